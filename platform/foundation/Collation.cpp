#include "platform/foundation/Collation.h"

#include "platform/foundation/Text.h"

#include <cstdlib>
#include <string>
#include <unicode/ucol.h>

namespace brevanton {

namespace {

// The locale whose collation the user reads lists in: LC_ALL, LC_COLLATE or
// LANG without its encoding; the C and POSIX locales (which would collate by
// code point) and none take the root collation.
std::string userCollationLocale()
{
    const char* value = nullptr;
    for (const char* name : { "LC_ALL", "LC_COLLATE", "LANG" }) {
        value = std::getenv(name);
        if (value && *value)
            break;
    }
    std::string locale = value ? value : "";
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale == "C" || locale == "POSIX")
        return {};
    return locale;
}

// One collator per thread (a collator is not to be shared between threads),
// opened for the user's locale at secondary strength: accents count, case
// does not.
struct ThreadCollator {
    UCollator* collator { nullptr };
    ThreadCollator()
    {
        UErrorCode status = U_ZERO_ERROR;
        collator = ucol_open(userCollationLocale().c_str(), &status);
        if (U_FAILURE(status)) {
            if (collator)
                ucol_close(collator);
            collator = nullptr;
            return;
        }
        ucol_setStrength(collator, UCOL_SECONDARY);
    }
    ~ThreadCollator()
    {
        if (collator)
            ucol_close(collator);
    }
    ThreadCollator(const ThreadCollator&) = delete;
    ThreadCollator& operator=(const ThreadCollator&) = delete;
};

} // namespace

int compareLocalizedIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    thread_local ThreadCollator threadCollator;
    if (!threadCollator.collator)
        return compareIgnoringCase(a, b);
    UCollationResult result = ucol_strcoll(threadCollator.collator, reinterpret_cast<const UChar*>(a.data()),
                                           static_cast<int32_t>(a.size()), reinterpret_cast<const UChar*>(b.data()),
                                           static_cast<int32_t>(b.size()));
    return result == UCOL_LESS ? -1 : (result == UCOL_GREATER ? 1 : 0);
}

} // namespace brevanton
