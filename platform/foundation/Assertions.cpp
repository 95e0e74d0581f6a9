#include "platform/foundation/Assertions.h"

#include <cstring>

namespace brevanton {

void throwInternalInconsistency(const char* file, int line, const char* condition,
                                const std::string& description)
{
    const char* slash = std::strrchr(file, '/');
    std::string reason = description;
    reason += " (";
    reason += slash ? slash + 1 : file;
    reason += ":" + std::to_string(line) + ": " + condition + ")";
    throw InternalInconsistencyException(reason);
}

} // namespace brevanton
