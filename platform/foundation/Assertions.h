// Assertions: programming errors throw InternalInconsistencyException so that
// tests can catch them and the application can report them.
#pragma once

#include <stdexcept>
#include <string>

namespace brevanton {

class InternalInconsistencyException : public std::logic_error {
public:
    explicit InternalInconsistencyException(const std::string& reason)
        : std::logic_error(reason) {}
    const char* reason() const noexcept { return what(); }
};

[[noreturn]] void throwInternalInconsistency(const char* file, int line, const char* condition,
                                             const std::string& description);

} // namespace brevanton

// Throws InternalInconsistencyException naming the file, the line, the
// condition and the description when `condition` is false.
#define BREVANTON_ASSERT(condition, description)                                              \
    do {                                                                                      \
        if (!(condition))                                                                     \
            ::brevanton::throwInternalInconsistency(__FILE__, __LINE__, #condition,           \
                                                    (description));                           \
    } while (0)
