// Dates of the foundation library.
//
// Time is counted in milliseconds: an SDateTime is a count of milliseconds
// since 1970-01-01 00:00:00.000 UTC, and an STimeSpan is a count of
// milliseconds.  That is the unit in which the commentary service sends its
// timestamps, so a timestamp goes into an STimeSpan unscaled.  Arithmetic
// saturates at the ends of the 64-bit range instead of overflowing.
#pragma once

#include <cstdint>

#include "SString.h"

class STimeZone {
public:
    static const STimeZone TZ_UTC;
    explicit constexpr STimeZone(int offsetMinutes) : m_offsetMinutes(offsetMinutes) {}
    constexpr int offsetMinutes() const { return m_offsetMinutes; }

private:
    int m_offsetMinutes;
};

class STimeSpan {
public:
    explicit constexpr STimeSpan(int64_t milliseconds) : m_ms(milliseconds) {}
    constexpr int64_t milliseconds() const { return m_ms; }

private:
    int64_t m_ms;
};

class SDateTime {
public:
    // The given wall-clock time in the zone.  Fields out of their usual range
    // roll over (month 13 is January of the next year).
    SDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond,
              const STimeZone& zone);

    static SDateTime fromMillisecondsSinceEpoch(int64_t ms);
    int64_t millisecondsSinceEpoch() const { return m_ms; }

    SDateTime operator+(const STimeSpan& span) const;

    // Pattern letters: yyyy (year, at least four digits, '-' before years
    // before 1), yy, MMM (Jan .. Dec), MM, M, dd, d, HH, H, mm, m, ss, s, fff
    // (milliseconds).  Text between single quotes and every other character
    // is copied as it stands.
    SWCharString Format(const char16_t* pattern, const STimeZone& zone) const;

private:
    explicit SDateTime(int64_t ms) : m_ms(ms) {}
    int64_t m_ms;
};

// Static guard of the sources that render times (the date tables are built on
// first use; the guard only brackets their lifetime).
class SimpleTimeInitExit {
public:
    SimpleTimeInitExit();
    ~SimpleTimeInitExit();
    SimpleTimeInitExit(const SimpleTimeInitExit&) = delete;
    SimpleTimeInitExit& operator=(const SimpleTimeInitExit&) = delete;
};
