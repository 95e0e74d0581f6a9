#include "wordpress/VornickWordPressSiteTimeZone.h"

#include "platform/foundation/Text.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <unicode/timezone.h>

namespace brevanton {

namespace {

constexpr double largestOffsetHours = 14;

std::optional<double> withinReach(double hours)
{
    return std::isfinite(hours) && std::abs(hours) <= largestOffsetHours ? std::optional(hours) : std::nullopt;
}

// "5.5", "-3", "+2": the whole text a number.
std::optional<double> numberOfText(const std::string& text)
{
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front())))
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    double number = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE)
        return std::nullopt;
    return number;
}

// The offset of a zone the system knows by that name, at `at`.
std::optional<double> offsetOfNamedZone(const std::u16string& name, Date at)
{
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(icu::UnicodeString(name.data(), static_cast<int32_t>(name.size()))));
    if (!zone || *zone == icu::TimeZone::getUnknown())
        return std::nullopt;
    int32_t raw = 0;
    int32_t daylight = 0;
    UErrorCode status = U_ZERO_ERROR;
    zone->getOffset(at.timeIntervalSince1970() * 1000.0, false, raw, daylight, status);
    if (U_FAILURE(status))
        return std::nullopt;
    return (raw + daylight) / 3600000.0;
}

} // namespace

std::optional<double> vornickWordPressTimeZoneOffsetHours(const Value& value, Date at)
{
    if (value.isInteger() || value.isReal())
        return withinReach(value.doubleValue());
    if (!value.isString() || value.string().empty())
        return std::nullopt;
    std::string text = toUTF8(value.string());
    if (auto number = numberOfText(text))
        return withinReach(*number);
    // WordPress names an offset set by hand "UTC+5.5" (and UTC itself "UTC").
    if (text.starts_with("UTC")) {
        std::string rest = text.substr(3);
        if (rest.empty())
            return 0.0;
        if (rest.front() == '+' || rest.front() == '-') {
            if (auto number = numberOfText(rest))
                return withinReach(*number);
        }
    }
    if (auto hours = offsetOfNamedZone(value.string(), at))
        return withinReach(*hours);
    return std::nullopt;
}

} // namespace brevanton
