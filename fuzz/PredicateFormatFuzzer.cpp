// Predicate format text: any bytes parse to a predicate or fail with a
// format error, never crash; a parsed predicate writes a readable form.
#include "platform/foundation/Text.h"
#include "platform/store/PersistentStore.h"
#include "platform/store/Predicate.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto format = toUTF16(std::string_view(reinterpret_cast<const char*>(data), size));
    // Enough arguments for a few %@ and %K in the text.
    std::vector<PredicateArgument> arguments { Value(u"title"), Value(u"text"), Value(3), Value(u"status.identifier"), Value(true) };
    Error error;
    auto predicate = Predicate::predicateWithFormat(format, arguments, &error);
    if (!predicate) {
        if (!error.is(PersistentStoreErrorDomain, PredicateFormatError))
            std::abort();
        return 0;
    }
    if (predicate->predicateFormat().empty())
        std::abort();
    return 0;
}
