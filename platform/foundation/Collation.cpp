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

ThreadCollator& threadCollator()
{
    thread_local ThreadCollator collator;
    return collator;
}

} // namespace

int compareLocalizedIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    UCollator* collator = threadCollator().collator;
    if (!collator)
        return compareIgnoringCase(a, b);
    UCollationResult result = ucol_strcoll(collator, reinterpret_cast<const UChar*>(a.data()),
                                           static_cast<int32_t>(a.size()), reinterpret_cast<const UChar*>(b.data()),
                                           static_cast<int32_t>(b.size()));
    return result == UCOL_LESS ? -1 : (result == UCOL_GREATER ? 1 : 0);
}

std::optional<std::string> localizedIgnoringCaseSortKey(std::u16string_view text)
{
    UCollator* collator = threadCollator().collator;
    if (!collator)
        return std::nullopt;
    std::string key(text.size() * 2 + 16, '\0');
    auto source = reinterpret_cast<const UChar*>(text.data());
    auto length = static_cast<int32_t>(text.size());
    int32_t needed = ucol_getSortKey(collator, source, length, reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
    if (needed > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<size_t>(needed));
        needed = ucol_getSortKey(collator, source, length, reinterpret_cast<uint8_t*>(key.data()), needed);
    }
    if (needed <= 0)
        return std::nullopt;
    // Without the terminating zero.
    key.resize(static_cast<size_t>(needed - 1));
    return key;
}

} // namespace brevanton
