// Dates and sidereal time of the stand-in host, checked against worked
// examples with published answers and by reading printed dates back.

#include "standin/astro/time.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <string>

using namespace zep::astro;

namespace {

constexpr double kDeg = kPi / 180.0;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// Difference of two angles, folded into [-pi, pi].
double angleDiff(double a, double b) { return std::remainder(a - b, 2.0 * kPi); }
QString num(double v) { return QString::number(v, 'g', 17); }

} // namespace

class TstAstroTime : public QObject {
    Q_OBJECT

private slots:
    void parseValid()
    {
        const double day = 86400.0, start = 2008 * day + 43200.0;  // 2000..2004 hold 1827 days, Jan..Jun 2005 181
        const std::pair<const char *, double> rows[] = {
            {"1 Jan 2000 00:00:00.00", 0.0}, {"1 Jul 2005 12:00:00.00", start}, {"1 Jul 2005 12:00:00", start},
            {"1 Jan 2000 00:00:01.123456789", 1.123456789}, {"1 Jan 2000 7:05:09.5", 7 * 3600.0 + 309.5},
            {"02 jan 2000 00:00:00", day}, {"2 JAN 2000 00:00:00", day}, {"2  Jan   2000\t00:00:00", day},
            {"1 Jan 1970 00:00:00.00", -946684800.0}, {"31 Dec 1999 23:59:59.99", -0.01},
            {"29 Feb 2000 00:00:00", 59 * day}, {"29 Feb 2004 12:00:00", (1461 + 59) * day + 43200},
            {"1 Mar 2100 00:00:00", 36525 * day + 59 * day}, {"31 Dec 2005 23:59:59.99", 2192 * day - 0.01},
            {"31 Dec 2000 00:00:00", 365 * day}, {"30 Apr 2001 00:00:00", (366 + 119) * day}};
        for (const auto &[text, seconds] : rows) {
            const auto t = parseDate(text);
            QVERIFY2(t.has_value(), text);
            QVERIFY2(std::abs(t->seconds - seconds) < 1e-6, qPrintable(QString("%1 -> %2").arg(text).arg(t->seconds, 0, 'f', 6)));
        }
    }

    void parseInvalid()
    {
        for (const char *text :
             {"", "1 Jul 2005", "1 Jul 2005 12:00", "1 Jul 12:00:00", "1 Jul 2005 12:00:00.00 UTC",
              "1 Jul 2005 12:00:00.00 ", " 1 Jul 2005 12:00:00.00", "31 Feb 2005 00:00:00", "29 Feb 2001 00:00:00",
              "29 Feb 1900 00:00:00", "31 Apr 2005 00:00:00", "0 Jul 2005 12:00:00", "32 Jul 2005 12:00:00",
              "-1 Jul 2005 12:00:00", "1 Jul 2005 12:00:60.00", "1 Jul 2005 12:00:60.5", "1 Jul 2005 12:00:-1",
              "1 Jul 2005 24:00:00", "1 Jul 2005 12:60:00", "1 Jul 2005 12:5:00", "1 Jul 2005 12:00:5",
              "001 Jul 2005 12:00:00", "1 Jul 2005 12:00:00.", "1 Jul 2005 12:00:0e1", "1 Jul 2005 12:00:00.0x",
              "1 July 2005 12:00:00", "1 Jly 2005 12:00:00", "1 07 2005 12:00:00", "1 Jul 05 12:00:00",
              "1 Jul 20050 12:00:00", "1Jul2005 12:00:00", "+1 Jul 2005 12:00:00", "2005-07-01T12:00:00",
              "1 Jul 2005 12:00:nan", "\"1 Jul 2005 12:00:00.00\""})
            QVERIFY2(!parseDate(text).has_value(), text);
    }

    void format()
    {
        const double day = 86400.0;
        const std::pair<double, const char *> rows[] = {
            {0.0, "1 Jan 2000 00:00:00.00"}, {2008 * day + 43200.0, "1 Jul 2005 12:00:00.00"},
            {3723.45, "1 Jan 2000 01:02:03.45"}, {59.994, "1 Jan 2000 00:00:59.99"},
            {59.996, "1 Jan 2000 00:01:00.00"},  // never 60.00
            {day - 0.001, "2 Jan 2000 00:00:00.00"}, {366 * day - 0.004, "1 Jan 2001 00:00:00.00"},
            {-0.01, "31 Dec 1999 23:59:59.99"}, {-0.001, "1 Jan 2000 00:00:00.00"},
            {59 * day + 1.5, "29 Feb 2000 00:00:01.50"}, {60 * day, "1 Mar 2000 00:00:00.00"},
            {-946684800.0, "1 Jan 1970 00:00:00.00"}, {(36525 + 59) * day, "1 Mar 2100 00:00:00.00"},
            {-1e15, "1 Jan 0000 00:00:00.00"}, {1e300, "31 Dec 9999 23:59:59.99"}};
        for (const auto &[seconds, text] : rows)
            QCOMPARE(formatDate(Instant{seconds}), std::string(text));
        QCOMPARE(formatDate(Instant{kNan}), std::string());
        // Every printed date reads back to the instant it names, to the hundredth.
        for (double t = -4e9; t < 4e9; t += 86400.0 * 97.3 + 1234.567) {
            const std::string text = formatDate(Instant{t});
            const auto back = parseDate(text);
            QVERIFY2(back.has_value(), text.c_str());
            QVERIFY2(std::abs(back->seconds - t) <= 0.005 + 1e-6, text.c_str());
            QCOMPARE(formatDate(*back), text);
        }
    }

    void siderealTimeAndEarthFixedFrame()
    {
        // Meeus, "Astronomical Algorithms", 2nd ed., Example 12.a: 1987 April 10, 0h UT:
        // 13h 10m 46.3668s; Example 12.b: 19h 21m 00s UT: 128.737 8734 deg. Vallado,
        // 4th ed., Example 3-5: 1992 August 20, 12:14 UT1: 152.578 787 886 deg.
        const std::pair<const char *, double> known[] = {
            {"10 Apr 1987 00:00:00", (13 + 10 / 60.0 + 46.3668 / 3600.0) * 15.0},
            {"10 Apr 1987 19:21:00", 128.7378734}, {"20 Aug 1992 12:14:00", 152.578787886}};
        for (const auto &[utc, degrees] : known) {
            const double theta = gmst(*parseDate(utc));
            QVERIFY2(std::abs(angleDiff(theta, degrees * kDeg)) < 1e-6 * kDeg, qPrintable(num(theta / kDeg)));
        }
        // One solar day carries Greenwich 1.002 737 909 turns round.
        const double rate = 2 * kPi * 1.00273790935 / 86400.0;
        for (double t = -3.2e9; t < 3.2e9; t += 1.0e7 + 0.37) {
            const double a = gmst(Instant{t});
            QVERIFY(a >= 0 && a < 2 * kPi);
            QVERIFY2(std::abs(angleDiff(gmst(Instant{t + 60.0}) - a, rate * 60.0)) < 1e-9, qPrintable(num(t)));
        }
        // The direction of Greenwich at an instant is the fixed frame's x axis.
        const Instant t = *parseDate("1 Jul 2005 12:00:00.00");
        const double theta = gmst(t);
        const Vec3 fixed = inertialToFixed({std::cos(theta) * 7e6, std::sin(theta) * 7e6, 1234.0}, t);
        QVERIFY(std::abs(fixed.x - 7e6) < 1e-6);
        QVERIFY(std::abs(fixed.y) < 1e-6);
        QCOMPARE(fixed.z, 1234.0);
        // Rotation only: lengths are kept; a point fixed in inertial space drifts
        // westward (decreasing longitude) in the fixed frame.
        const Vec3 r{-3.1e6, 5.2e6, -4.4e6};
        const Vec3 f = inertialToFixed(r, t), f2 = inertialToFixed(r, Instant{t.seconds + 60});
        QVERIFY(std::abs(std::hypot(f.x, f.y, f.z) - std::hypot(r.x, r.y, r.z)) < 1e-6);
        QVERIFY(std::atan2(f2.y, f2.x) < std::atan2(f.y, f.x));
    }};

QTEST_GUILESS_MAIN(TstAstroTime)
#include "tst_astro_time.moc"
