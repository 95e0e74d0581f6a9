#include "toolkit/VornickDateFormatterExtensions.h"

#include "toolkit/VornickLog.h"
#include "platform/foundation/Value.h"

namespace brevanton {

namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// True when `text` has the shape "dddd-dd-ddTdd:dd:ddZ".
bool hasLegacyShape(std::u16string_view text)
{
    constexpr std::u16string_view shape = u"0000-00-00T00:00:00Z";
    if (text.size() != shape.size())
        return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == u'0' ? !isDigit(text[i]) : text[i] != shape[i])
            return false;
    }
    return true;
}

} // namespace

std::u16string VornickISO8601DateFormatter::stringFromDate(Date date) const
{
    return ISO8601StringFromDate(date);
}

std::optional<Date> VornickISO8601DateFormatter::dateFromString(std::u16string_view text, ZonelessDateTimes zoneless) const
{
    if (m_kind == Kind::Modern)
        return dateFromISO8601String(text, zoneless);
    if (!hasLegacyShape(text))
        return std::nullopt;
    return dateFromISO8601String(text);
}

const VornickISO8601DateFormatter& vornick_modernISO8601DateFormatter()
{
    static const VornickISO8601DateFormatter formatter(VornickISO8601DateFormatter::Kind::Modern);
    return formatter;
}

const VornickISO8601DateFormatter& vornick_legacyISO8601DateFormatter()
{
    static const VornickISO8601DateFormatter formatter(VornickISO8601DateFormatter::Kind::Legacy);
    return formatter;
}

std::u16string vornick_ISO8601StringFromDate(Date date)
{
    return vornick_modernISO8601DateFormatter().stringFromDate(date);
}

std::optional<Date> vornick_dateFromValue(const Value* value, ZonelessDateTimes zoneless)
{
    if (!value)
        return std::nullopt;
    if (value->isDate())
        return value->date();
    if (value->isString() && !value->string().empty())
        return vornick_dateFromISO8601String(value->string(), zoneless);
    return std::nullopt;
}

std::optional<Date> vornick_dateFromISO8601String(std::u16string_view text, ZonelessDateTimes zoneless)
{
    if (auto date = vornick_modernISO8601DateFormatter().dateFromString(text, zoneless))
        return date;
    if (auto date = vornick_legacyISO8601DateFormatter().dateFromString(text))
        return date;
    VornickGeneralLog("Failed to get NSDate from string \"{}\" (using both modernISO8601DateFormatter and legacyISO8601DateFormatter)",
                      std::u16string(text));
    return std::nullopt;
}

std::u16string vornick_uniqueIdentifierStringFromDate(Date date)
{
    return formatDate(date, u"yyyy_MM_dd_HH_mm_ss", DateFormatTimeZone::Local);
}

} // namespace brevanton
