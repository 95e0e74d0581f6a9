#include "publishing/VornickPostDateText.h"

#include <memory>
#include <string>
#include <unicode/ucal.h>
#include <unicode/udat.h>
#include <unicode/uloc.h>

namespace brevanton {

namespace {

// A formatter costs far more to make than to use: each thread keeps the last
// one, made again when the default locale or time zone changed.
struct LongDateFormat {
    std::string locale;
    std::u16string timeZone;
    std::unique_ptr<UDateFormat, void (*)(UDateFormat*)> format { nullptr, udat_close };
};

UDateFormat* longDateFormatForDefaults()
{
    thread_local LongDateFormat cached;
    std::string locale = uloc_getDefault();
    UErrorCode status = U_ZERO_ERROR;
    UChar zone[128];
    int32_t zoneLength = ucal_getDefaultTimeZone(zone, 128, &status);
    std::u16string timeZone = U_SUCCESS(status) ? std::u16string(reinterpret_cast<const char16_t*>(zone), zoneLength) : std::u16string();
    if (cached.format && cached.locale == locale && cached.timeZone == timeZone)
        return cached.format.get();
    status = U_ZERO_ERROR;
    cached.format.reset(udat_open(UDAT_LONG, UDAT_LONG, nullptr, nullptr, 0, nullptr, 0, &status));
    if (U_FAILURE(status))
        cached.format.reset();
    cached.locale = std::move(locale);
    cached.timeZone = std::move(timeZone);
    return cached.format.get();
}

} // namespace

std::u16string VornickLongDateAndTimeString(Date date)
{
    auto* format = longDateFormatForDefaults();
    if (!format)
        return {};
    UDate milliseconds = date.timeIntervalSince1970() * 1000.0;
    std::u16string text(128, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = udat_format(format, milliseconds, reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()), nullptr, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        text.assign(static_cast<size_t>(length) + 1, u'\0');
        status = U_ZERO_ERROR;
        length = udat_format(format, milliseconds, reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()), nullptr, &status);
    }
    if (U_FAILURE(status))
        return {};
    text.resize(static_cast<size_t>(length));
    return text;
}

} // namespace brevanton
