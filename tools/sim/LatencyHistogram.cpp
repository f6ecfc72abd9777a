#include "sim/LatencyHistogram.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace orvex::sim {

void LatencyHistogram::record(Duration duration)
{
    duration = std::max(duration, Duration::zero());
    const auto micros = static_cast<std::uint64_t>(std::chrono::duration_cast<Micros>(duration).count());
    ++buckets_[bucketOf(micros)];
    ++count_;
    total_ += duration;
    longest_ = std::max(longest_, duration);
}

LatencyHistogram::Micros LatencyHistogram::percentile(double share) const
{
    if (count_ == 0)
        return Micros::zero();
    const auto rank =
        std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::ceil(share * static_cast<double>(count_))));
    std::uint64_t seen = 0;
    for (std::size_t bucket = 0; bucket < kBucketCount; ++bucket) {
        seen += buckets_[bucket];
        if (seen >= rank)
            return Micros(bucketTop(bucket));
    }
    return Micros(bucketTop(kBucketCount - 1));
}

// Below 2 x kSubBuckets a bucket per microsecond; above, each power of two
// is split into kSubBuckets buckets by the bits just below its highest one.
std::size_t LatencyHistogram::bucketOf(std::uint64_t micros)
{
    micros = std::min<std::uint64_t>(micros, (std::uint64_t{1} << kLargestBitWidth) - 1);
    const int shift = std::max(0, static_cast<int>(std::bit_width(micros)) - kSubBucketBits - 1);
    return static_cast<std::size_t>(shift) * kSubBuckets + (micros >> shift);
}

// The first microsecond count past the bucket.
std::uint64_t LatencyHistogram::bucketTop(std::size_t bucket)
{
    const auto shift = std::max<std::size_t>(1, bucket / kSubBuckets) - 1;
    const std::uint64_t bottom = (bucket - shift * kSubBuckets) << shift;
    return bottom + (std::uint64_t{1} << shift);
}

} // namespace orvex::sim
