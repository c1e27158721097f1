#include "standin/astro/time.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace zep::astro {

namespace {

constexpr double kTwoPi = 2.0 * kPi;
constexpr double kSecondsPerDay = 86400.0;

double wrapTwoPi(double angle)
{
    double w = std::fmod(angle, kTwoPi);
    if (w < 0)
        w += kTwoPi;
    // fmod of a tiny negative angle can round back up to exactly 2 pi.
    return w >= kTwoPi ? 0.0 : w;
}

constexpr const char *kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool isLeap(long long y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(long long y, int month)
{
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(y) ? 29 : days[month - 1];
}

// Days from 2000-01-01 in the proleptic Gregorian calendar (month 1..12).
long long daysFromCivil(long long y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 730425;  // 730425 days from 0000-03-01 to 2000-01-01
}

void civilFromDays(long long z, long long &y, int &m, int &d)
{
    z += 730425;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos == m_text.size(); }

    // Reads minDigits..maxDigits decimal digits.
    bool digits(int minDigits, int maxDigits, int &value)
    {
        int count = 0;
        value = 0;
        while (count < maxDigits && m_pos < m_text.size() && isDigit(m_text[m_pos])) {
            value = value * 10 + (m_text[m_pos] - '0');
            ++m_pos;
            ++count;
        }
        return count >= minDigits && !(m_pos < m_text.size() && isDigit(m_text[m_pos]));
    }

    bool spaces()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t'))
            ++m_pos;
        return m_pos > start;
    }

    bool literal(char c)
    {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool month(int &month)
    {
        if (m_text.size() - m_pos < 3)
            return false;
        for (int k = 0; k < 12; ++k) {
            bool same = true;
            for (int c = 0; c < 3; ++c)
                same = same && lower(m_text[m_pos + c]) == lower(kMonths[k][c]);
            if (same) {
                m_pos += 3;
                month = k + 1;
                return !(m_pos < m_text.size() && isAlpha(m_text[m_pos]));
            }
        }
        return false;
    }

    // "ss" or "ss.fff": two digits, then a point and at least one digit.
    bool seconds(double &value)
    {
        const std::size_t start = m_pos;
        int whole = 0;
        if (!digits(2, 2, whole))
            return false;
        if (literal('.')) {
            const std::size_t fraction = m_pos;
            while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
                ++m_pos;
            if (m_pos == fraction)
                return false;
        }
        const char *first = m_text.data() + start;
        const char *last = m_text.data() + m_pos;
        const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
        return ec == std::errc() && end == last;
    }

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

std::optional<Instant> parseDate(std::string_view text)
{
    Scanner in(text);
    int day = 0, month = 0, year = 0, hour = 0, minute = 0;
    double second = 0;
    if (!in.digits(1, 2, day) || !in.spaces() || !in.month(month) || !in.spaces()
        || !in.digits(4, 4, year) || !in.spaces() || !in.digits(1, 2, hour) || !in.literal(':')
        || !in.digits(2, 2, minute) || !in.literal(':') || !in.seconds(second) || !in.atEnd())
        return std::nullopt;
    if (day < 1 || day > daysInMonth(year, month) || hour > 23 || minute > 59 || !(second < 60))
        return std::nullopt;
    const double days = double(daysFromCivil(year, month, day));
    return Instant{days * kSecondsPerDay + hour * 3600.0 + minute * 60.0 + second};
}

std::string formatDate(Instant t)
{
    // Printable range: the four-digit years that parseDate accepts.
    static const double first = double(daysFromCivil(0, 1, 1)) * kSecondsPerDay;
    static const double last = double(daysFromCivil(10000, 1, 1)) * kSecondsPerDay - 0.01;
    if (std::isnan(t.seconds))
        return {};
    const double clamped = std::clamp(t.seconds, first, last);
    // Round once to whole hundredths so 59.996 s becomes the next minute, not "60.00".
    const long long hundredths = std::llround(clamped * 100.0);
    long long days = hundredths / 8640000;
    long long rest = hundredths % 8640000;
    if (rest < 0) {
        rest += 8640000;
        --days;
    }
    long long year = 0;
    int month = 0, day = 0;
    civilFromDays(days, year, month, day);
    const int hour = int(rest / 360000);
    const int minute = int(rest / 6000 % 60);
    const int sec = int(rest / 100 % 60);
    const int frac = int(rest % 100);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d %s %04lld %02d:%02d:%02d.%02d", day, kMonths[month - 1], year,
                  hour, minute, sec, frac);
    return buf;
}

double gmst(Instant t)
{
    // Seconds of UT1 (= UTC here) from J2000.0, 2000-01-01 12:00.
    const double fromJ2000 = t.seconds - 43200.0;
    const double centuries = fromJ2000 / (kSecondsPerDay * 36525.0);
    // The 876600 h * T term is exactly one turn per solar day: take it as the
    // time of day so that it loses no precision far from J2000.
    double sec = 67310.54841 + std::fmod(fromJ2000, kSecondsPerDay)
                 + centuries * (8640184.812866 + centuries * (0.093104 - 6.2e-6 * centuries));
    sec = std::fmod(sec, kSecondsPerDay);
    if (sec < 0)
        sec += kSecondsPerDay;
    return wrapTwoPi(sec * (kTwoPi / kSecondsPerDay));
}

Vec3 inertialToFixed(const Vec3 &r, Instant t)
{
    const double theta = gmst(t);
    const double c = std::cos(theta), s = std::sin(theta);
    return {c * r.x + s * r.y, -s * r.x + c * r.y, r.z};
}

} // namespace zep::astro
