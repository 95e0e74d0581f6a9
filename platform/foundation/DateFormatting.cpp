#include "platform/foundation/DateFormatting.h"

#include "platform/foundation/Text.h"

#include <cmath>
#include <memory>

#include <unicode/gregocal.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

namespace brevanton {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
static int64_t daysFromCivil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

static void civilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day)
{
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

static bool isLeapYear(int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

static unsigned daysInMonth(int64_t year, unsigned month)
{
    static const unsigned days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

namespace {

class ISO8601Reader {
public:
    explicit ISO8601Reader(std::u16string_view text) : m_text(text) {}

    bool atEnd() const { return m_position == m_text.size(); }
    char16_t peek() const { return atEnd() ? 0 : m_text[m_position]; }
    bool consume(char16_t c)
    {
        if (peek() != c)
            return false;
        ++m_position;
        return true;
    }
    bool digits(size_t count, int& value)
    {
        if (m_position + count > m_text.size())
            return false;
        value = 0;
        for (size_t i = 0; i < count; ++i) {
            char16_t c = m_text[m_position + i];
            if (c < u'0' || c > u'9')
                return false;
            value = value * 10 + (c - u'0');
        }
        m_position += count;
        return true;
    }
    // A fraction after "." or ",": its value in [0, 1).
    bool fraction(double& value)
    {
        if (!consume(u'.') && !consume(u','))
            return true;
        value = 0;
        double scale = 0.1;
        size_t count = 0;
        while (peek() >= u'0' && peek() <= u'9') {
            value += (m_text[m_position++] - u'0') * scale;
            scale /= 10;
            ++count;
        }
        return count > 0;
    }

private:
    std::u16string_view m_text;
    size_t m_position { 0 };
};

} // namespace

std::optional<Date> dateFromISO8601String(std::u16string_view text, ZonelessDateTimes zoneless)
{
    ISO8601Reader reader(text);
    int year, month, day;
    if (!reader.digits(4, year))
        return std::nullopt;
    bool extended = reader.consume(u'-');
    if (!reader.digits(2, month) || (extended && !reader.consume(u'-')) || !reader.digits(2, day))
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || static_cast<unsigned>(day) > daysInMonth(year, month))
        return std::nullopt;
    int64_t days = daysFromCivil(year, month, day);
    if (reader.atEnd())
        return Date(static_cast<double>(days) * 86400.0);

    if (!reader.consume(u'T') && !reader.consume(u't') && !reader.consume(u' '))
        return std::nullopt;
    int hour, minute, second = 0;
    double fraction = 0;
    if (!reader.digits(2, hour))
        return std::nullopt;
    bool extendedTime = reader.consume(u':');
    if (!reader.digits(2, minute))
        return std::nullopt;
    if (extendedTime ? reader.consume(u':') : (reader.peek() >= u'0' && reader.peek() <= u'9')) {
        if (!reader.digits(2, second) || !reader.fraction(fraction))
            return std::nullopt;
    }
    if (hour > 24 || minute > 59 || second > 60 || (hour == 24 && (minute || second || fraction > 0)))
        return std::nullopt;

    int offsetSeconds = 0;
    if (reader.consume(u'Z') || reader.consume(u'z')) {
        // UTC
    } else if (reader.peek() == u'+' || reader.peek() == u'-') {
        int sign = reader.peek() == u'-' ? -1 : 1;
        reader.consume(reader.peek());
        int offsetHours, offsetMinutes = 0;
        if (!reader.digits(2, offsetHours))
            return std::nullopt;
        if (reader.consume(u':')) {
            if (!reader.digits(2, offsetMinutes))
                return std::nullopt;
        } else if (!reader.atEnd() && !reader.digits(2, offsetMinutes))
            return std::nullopt;
        if (offsetHours > 23 || offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = sign * (offsetHours * 3600 + offsetMinutes * 60);
    } else if (reader.atEnd()) {
        if (zoneless != ZonelessDateTimes::AsUTC)
            return std::nullopt;
    } else
        return std::nullopt;
    if (!reader.atEnd())
        return std::nullopt;

    double seconds = static_cast<double>(days) * 86400.0 + hour * 3600 + minute * 60 + second + fraction
        - offsetSeconds;
    return Date(seconds);
}

std::optional<Date> dateFromISO8601String(std::string_view text, ZonelessDateTimes zoneless)
{
    return dateFromISO8601String(toUTF16(text), zoneless);
}

static void appendNumber(std::u16string& out, int64_t value, int width)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (value < 0)
        out += u'-';
    for (int i = static_cast<int>(digits.size()); i < width; ++i)
        out += u'0';
    for (char c : digits)
        out += static_cast<char16_t>(c);
}

std::u16string ISO8601StringFromDate(Date date, ISO8601WriteOptions options)
{
    double t = date.timeIntervalSince1970();
    int64_t whole = static_cast<int64_t>(std::floor(t));
    int64_t milliseconds = options.fractionalSeconds ? std::llround((t - static_cast<double>(whole)) * 1000.0) : 0;
    if (milliseconds >= 1000) {
        whole += 1;
        milliseconds -= 1000;
    }
    int64_t days = whole >= 0 ? whole / 86400 : -((-whole + 86399) / 86400);
    int64_t secondsOfDay = whole - days * 86400;
    int64_t year;
    unsigned month, day;
    civilFromDays(days, year, month, day);

    std::u16string out;
    appendNumber(out, year, 4);
    out += u'-';
    appendNumber(out, month, 2);
    out += u'-';
    appendNumber(out, day, 2);
    out += u'T';
    appendNumber(out, secondsOfDay / 3600, 2);
    out += u':';
    appendNumber(out, secondsOfDay / 60 % 60, 2);
    out += u':';
    appendNumber(out, secondsOfDay % 60, 2);
    if (options.fractionalSeconds) {
        out += u'.';
        appendNumber(out, milliseconds, 3);
    }
    if (options.withZone)
        out += u'Z';
    return out;
}

static std::u16string formatDateInZone(Date date, std::u16string_view pattern, icu::TimeZone* zone)
{
    std::unique_ptr<icu::TimeZone> ownedZone(zone);
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale("en_US_POSIX");
    icu::SimpleDateFormat formatter(icu::UnicodeString(pattern.data(), static_cast<int32_t>(pattern.size())),
                                    locale, status);
    if (U_FAILURE(status))
        return {};
    auto calendar = std::make_unique<icu::GregorianCalendar>(ownedZone.release(), locale, status);
    if (U_FAILURE(status))
        return {};
    formatter.adoptCalendar(calendar.release());
    icu::UnicodeString result;
    formatter.format(date.timeIntervalSince1970() * 1000.0, result);
    return std::u16string(result.getBuffer(), static_cast<size_t>(result.length()));
}

std::u16string formatDate(Date date, std::u16string_view pattern, DateFormatTimeZone timeZone)
{
    icu::TimeZone* zone = timeZone == DateFormatTimeZone::UTC ? icu::TimeZone::getGMT()->clone()
                                                              : icu::TimeZone::createDefault();
    return formatDateInZone(date, pattern, zone);
}

std::u16string formatDate(Date date, std::u16string_view pattern, std::u16string_view timeZoneIdentifier)
{
    icu::TimeZone* zone = icu::TimeZone::createTimeZone(
        icu::UnicodeString(timeZoneIdentifier.data(), static_cast<int32_t>(timeZoneIdentifier.size())));
    if (*zone == icu::TimeZone::getUnknown()) {
        delete zone;
        zone = icu::TimeZone::getGMT()->clone();
    }
    return formatDateInZone(date, pattern, zone);
}

} // namespace brevanton
