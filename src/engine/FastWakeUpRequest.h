#pragma once

namespace orvex {

// Every exchange of a run waits for the unit's reply and then answers it at
// once, thousands of times in a row. A processor that has gone into a deep
// idle state between the bytes of a reply takes tens of microseconds to wake
// for the last one (a virtual machine's halted processor the longest), which
// over a run adds up to whole seconds. While one of these lives, Linux keeps
// the processors out of idle states that are slow to leave (its PM QoS
// request, /dev/cpu_dma_latency); the request ends with the object. Where the
// program may not ask (the device is root's unless a udev rule shares it) or
// on other systems, nothing changes and nothing fails.
class FastWakeUpRequest {
public:
    static constexpr const char* kPmQosDevice = "/dev/cpu_dma_latency";

    // Tests name a file of their own in the device's place.
    explicit FastWakeUpRequest(const char* device = kPmQosDevice);
    ~FastWakeUpRequest();
    FastWakeUpRequest(const FastWakeUpRequest&) = delete;
    FastWakeUpRequest& operator=(const FastWakeUpRequest&) = delete;

private:
    int handle_ = -1;
};

} // namespace orvex
