#include "SDateTime.h"

#include <limits>
#include <string>

const STimeZone STimeZone::TZ_UTC(0);

namespace {

constexpr int64_t kMsPerDay = 86400000;

int64_t saturatingAdd(int64_t a, int64_t b)
{
    int64_t sum;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    return sum;
}

int64_t saturatingMul(int64_t a, int64_t b)
{
    int64_t product;
    if (__builtin_mul_overflow(a, b, &product))
        return (a < 0) != (b < 0) ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    return product;
}

int64_t floorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's
// days_from_civil), valid over the whole range a 64-bit count can reach.
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2;
    const int64_t era = floorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    int64_t year;
    int month, day, hour, minute, second, millisecond;
};

Civil civilFromMilliseconds(int64_t ms)
{
    // Split without forming days * kMsPerDay, which overflows near INT64_MIN.
    int64_t days = ms / kMsPerDay;
    int64_t rest = ms % kMsPerDay;
    if (rest < 0) {
        rest += kMsPerDay;
        --days;
    }
    Civil c{};
    c.millisecond = static_cast<int>(rest % 1000);
    rest /= 1000;
    c.second = static_cast<int>(rest % 60);
    rest /= 60;
    c.minute = static_cast<int>(rest % 60);
    c.hour = static_cast<int>(rest / 60);

    const int64_t z = days + 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = yoe + era * 400 + (c.month <= 2);
    return c;
}

void appendNumber(std::u16string& out, int64_t value, int width)
{
    std::string digits = std::to_string(value < 0 ? -(value + 1) + 1ULL : static_cast<unsigned long long>(value));
    if (value < 0) out += u'-';
    for (int i = static_cast<int>(digits.size()); i < width; ++i) out += u'0';
    out.append(digits.begin(), digits.end());
}

std::size_t runLength(const char16_t* p, char16_t c)
{
    std::size_t n = 0;
    while (p[n] == c) ++n;
    return n;
}

const char16_t* const kMonths[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                     u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

}  // namespace

SDateTime::SDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond,
                     const STimeZone& zone)
{
    // Normalise the month first so that days_from_civil sees 1 .. 12.
    // (64-bit throughout: month - 1 and days * kMsPerDay overflow 32 and 64
    // bits at the ends of the int range.)
    const int64_t monthIndex = static_cast<int64_t>(month) - 1;
    int64_t y = year + floorDiv(monthIndex, 12);
    int64_t m = monthIndex - floorDiv(monthIndex, 12) * 12 + 1;
    int64_t ms = saturatingMul(daysFromCivil(y, m, 1), kMsPerDay);
    ms = saturatingAdd(ms, (static_cast<int64_t>(day) - 1) * kMsPerDay);
    ms = saturatingAdd(ms, static_cast<int64_t>(hour) * 3600000);
    ms = saturatingAdd(ms, static_cast<int64_t>(minute) * 60000);
    ms = saturatingAdd(ms, static_cast<int64_t>(second) * 1000);
    ms = saturatingAdd(ms, millisecond);
    m_ms = saturatingAdd(ms, -static_cast<int64_t>(zone.offsetMinutes()) * 60000);
}

SDateTime SDateTime::fromMillisecondsSinceEpoch(int64_t ms) { return SDateTime(ms); }

SDateTime SDateTime::operator+(const STimeSpan& span) const
{
    return SDateTime(saturatingAdd(m_ms, span.milliseconds()));
}

SWCharString SDateTime::Format(const char16_t* pattern, const STimeZone& zone) const
{
    const Civil c = civilFromMilliseconds(saturatingAdd(m_ms, static_cast<int64_t>(zone.offsetMinutes()) * 60000));
    std::u16string out;
    const char16_t* p = pattern ? pattern : u"";
    while (*p) {
        const char16_t ch = *p;
        const std::size_t n = runLength(p, ch);
        switch (ch) {
        case u'y':
            if (n == 2) appendNumber(out, ((c.year % 100) + 100) % 100, 2);
            else appendNumber(out, c.year, static_cast<int>(n < 4 ? 4 : n));
            break;
        case u'M':
            if (n >= 3) out += kMonths[c.month - 1];
            else appendNumber(out, c.month, static_cast<int>(n));
            break;
        case u'd': appendNumber(out, c.day, static_cast<int>(n)); break;
        case u'H': appendNumber(out, c.hour, static_cast<int>(n)); break;
        case u'm': appendNumber(out, c.minute, static_cast<int>(n)); break;
        case u's': appendNumber(out, c.second, static_cast<int>(n)); break;
        case u'f': appendNumber(out, c.millisecond, 3); break;
        case u'\'': {
            const char16_t* q = p + 1;
            while (*q && *q != u'\'') out += *q++;
            p = *q ? q + 1 : q;
            continue;
        }
        default: out.append(n, ch); break;
        }
        p += n;
    }
    return SWCharString(out);
}

SimpleTimeInitExit::SimpleTimeInitExit() = default;
SimpleTimeInitExit::~SimpleTimeInitExit() = default;
