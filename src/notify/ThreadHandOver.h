#pragma once

// Qt is not built with ThreadSanitizer, so the waits inside it (a blocking
// queued call, the end of a QThread) order nothing in the sanitizer's eyes.
// Where this program relies on such a wait, the thread that hands data over
// calls handOver() before it, and the thread that takes the data calls
// takeOver() after it; both compile to nothing in other builds.

#if defined(__SANITIZE_THREAD__)
#define ORVEX_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ORVEX_THREAD_SANITIZER 1
#endif
#endif

#ifdef ORVEX_THREAD_SANITIZER
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace orvex {

// What this thread wrote before is seen by the thread that calls takeOver
// with the same address after the wait.
inline void handOver([[maybe_unused]] const void* address)
{
#ifdef ORVEX_THREAD_SANITIZER
    __tsan_release(const_cast<void*>(address));
#endif
}

inline void takeOver([[maybe_unused]] const void* address)
{
#ifdef ORVEX_THREAD_SANITIZER
    __tsan_acquire(const_cast<void*>(address));
#endif
}

} // namespace orvex
