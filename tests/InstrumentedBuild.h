#pragma once

// Whether the tests run in a sanitizer's build: its allocator keeps freed
// blocks in quarantine and adds shadow memory, and the program runs several
// times slower. Bounds that tell a fault from a working program grow with it.
namespace brevanton {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool testsRunInstrumented = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool testsRunInstrumented = true;
#else
inline constexpr bool testsRunInstrumented = false;
#endif
#else
inline constexpr bool testsRunInstrumented = false;
#endif

} // namespace brevanton
