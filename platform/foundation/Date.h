// A point in time: seconds since 1970-01-01 00:00:00 UTC, with sub-second precision.
#pragma once

#include <compare>

namespace brevanton {

class Date {
public:
    constexpr Date() = default;
    constexpr explicit Date(double secondsSince1970) : m_seconds(secondsSince1970) {}

    static Date now();
    static constexpr Date distantPast() { return Date(-62135769600.0); }
    static constexpr Date distantFuture() { return Date(64092211200.0); }

    constexpr double timeIntervalSince1970() const { return m_seconds; }
    constexpr double timeIntervalSince(Date other) const { return m_seconds - other.m_seconds; }
    constexpr Date addingTimeInterval(double seconds) const { return Date(m_seconds + seconds); }

    constexpr auto operator<=>(const Date&) const = default;

private:
    double m_seconds { 0 };
};

} // namespace brevanton
