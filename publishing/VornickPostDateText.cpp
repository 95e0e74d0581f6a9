#include "publishing/VornickPostDateText.h"

#include "blog/VornickBlog.h"
#include "platform/foundation/Text.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <unicode/ucal.h>
#include <unicode/udat.h>
#include <unicode/uloc.h>

namespace brevanton {

namespace {

// A formatter costs far more to make than to use: each thread keeps the last
// one, made again when the default locale or the time zone changed.
struct LongDateFormat {
    std::string locale;
    std::u16string timeZone;
    std::unique_ptr<UDateFormat, void (*)(UDateFormat*)> format { nullptr, udat_close };
};

// "GMT+05:30": the custom zone of an offset, to the minute.
std::u16string zoneOfOffset(double hours)
{
    long minutes = std::lround(std::abs(hours) * 60);
    char text[16];
    std::snprintf(text, sizeof text, "GMT%c%02ld:%02ld", hours < 0 ? '-' : '+', minutes / 60 % 100, minutes % 60);
    return toUTF16(text);
}

UDateFormat* longDateFormat(std::optional<double> utcOffsetHours)
{
    thread_local LongDateFormat cached;
    std::string locale = uloc_getDefault();
    UErrorCode status = U_ZERO_ERROR;
    std::u16string timeZone;
    if (utcOffsetHours) {
        timeZone = zoneOfOffset(*utcOffsetHours);
    } else {
        UChar zone[128];
        int32_t zoneLength = ucal_getDefaultTimeZone(zone, 128, &status);
        if (U_SUCCESS(status))
            timeZone.assign(reinterpret_cast<const char16_t*>(zone), static_cast<size_t>(zoneLength));
    }
    if (cached.format && cached.locale == locale && cached.timeZone == timeZone)
        return cached.format.get();
    status = U_ZERO_ERROR;
    const UChar* zoneID = utcOffsetHours ? reinterpret_cast<const UChar*>(timeZone.data()) : nullptr;
    int32_t zoneIDLength = utcOffsetHours ? static_cast<int32_t>(timeZone.size()) : 0;
    cached.format.reset(udat_open(UDAT_LONG, UDAT_LONG, nullptr, zoneID, zoneIDLength, nullptr, 0, &status));
    if (U_FAILURE(status))
        cached.format.reset();
    cached.locale = std::move(locale);
    cached.timeZone = std::move(timeZone);
    return cached.format.get();
}

} // namespace

std::optional<double> VornickSiteUTCOffsetHours(const VornickBlog* blog)
{
    if (!blog || !blog->respondsToKey(u"wordPressTimeZone"))
        return std::nullopt;
    Value zone = blog->valueForKey(u"wordPressTimeZone");
    if (!zone.isReal() && !zone.isInteger())
        return std::nullopt;
    // A blog file may hold anything: no zone is further than fourteen hours from UTC.
    double hours = zone.doubleValue();
    return std::isfinite(hours) && std::abs(hours) <= 14 ? std::optional<double>(hours) : std::nullopt;
}

std::u16string VornickLongDateAndTimeString(Date date, std::optional<double> utcOffsetHours)
{
    auto* format = longDateFormat(utcOffsetHours);
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
