#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace orvex::sim {

// Counts durations in buckets instead of keeping each one, so that a session
// of any length costs the same few kilobytes. Buckets are one microsecond wide
// below 64 us and 1/32 of their power of two above, so a percentile read back
// is at most about 3% above the true value; durations past an hour share the
// last bucket.
class LatencyHistogram {
public:
    using Duration = std::chrono::nanoseconds;
    using Micros = std::chrono::microseconds;

    // A negative duration counts as zero.
    void record(Duration duration);

    std::uint64_t count() const { return count_; }
    Duration total() const { return total_; }
    Duration longest() const { return longest_; }
    // The top of the bucket holding the record at this share of the count
    // (0.5 for the median); zero while nothing is recorded.
    Micros percentile(double share) const;

private:
    static constexpr int kSubBucketBits = 5;
    static constexpr std::uint64_t kSubBuckets = 1u << kSubBucketBits;
    static constexpr int kLargestBitWidth = 32; // 2^32 us, over an hour
    static constexpr std::size_t kBucketCount = (kLargestBitWidth - kSubBucketBits + 1) * kSubBuckets;

    static std::size_t bucketOf(std::uint64_t micros);
    static std::uint64_t bucketTop(std::size_t bucket);

    std::array<std::uint64_t, kBucketCount> buckets_{};
    std::uint64_t count_ = 0;
    Duration total_{0};
    Duration longest_{0};
};

} // namespace orvex::sim
