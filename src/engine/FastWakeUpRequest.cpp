#include "engine/FastWakeUpRequest.h"

#ifdef __linux__
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#endif

namespace orvex {

#ifdef __linux__

namespace {

// Microseconds of wake-up latency the run can bear: none. A reply's last
// byte is answered within about 15 us when no processor has to wake from
// halt, and a whole run lasts about a minute at 115200 bps.
constexpr std::int32_t kBearableWakeUpUs = 0;

} // namespace

FastWakeUpRequest::FastWakeUpRequest(const char* device) : handle_(::open(device, O_WRONLY | O_CLOEXEC))
{
    if (handle_ < 0)
        return;
    if (::write(handle_, &kBearableWakeUpUs, sizeof kBearableWakeUpUs) != sizeof kBearableWakeUpUs) {
        ::close(handle_);
        handle_ = -1;
    }
}

FastWakeUpRequest::~FastWakeUpRequest()
{
    // Closing the device is what withdraws the request.
    if (handle_ >= 0)
        ::close(handle_);
}

#else

FastWakeUpRequest::FastWakeUpRequest(const char*) {}
FastWakeUpRequest::~FastWakeUpRequest() = default;

#endif

} // namespace orvex
