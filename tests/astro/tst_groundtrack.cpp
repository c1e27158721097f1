// The map's ground track and the overlay's readouts, against orbits whose
// answers are known by hand.

#include "standin/astro/groundtrack.h"
#include "standin/astro/readouts.h"

#include <QtTest>

#include <cmath>

using namespace zep::astro;

namespace {

constexpr double kDeg = kPi / 180.0;
constexpr Instant kJ2000Noon{43200.0};  // GMST 18h41m50.548s: Greenwich 280.4606 deg east of x

Elements orbit(double aKm, double e, double iDeg, double raanDeg = 0, double argpDeg = 0, double mDeg = 0)
{
    return {aKm * 1000, e, iDeg * kDeg, raanDeg * kDeg, argpDeg * kDeg, mDeg * kDeg};
}

std::vector<GeoPolyline> track(const Elements &el, double spanS)
{
    return groundTrack(el, kJ2000Noon, kJ2000Noon, Instant{kJ2000Noon.seconds + spanS});
}

QString show(const std::vector<GeoPolyline> &lines)
{
    QStringList out;
    for (const GeoPolyline &line : lines) {
        QStringList pts;
        for (const GeoPoint &p : line)
            pts << QStringLiteral("(%1,%2)").arg(p.latitudeDeg).arg(p.longitudeDeg);
        out << pts.join(' ');
    }
    return out.join(" | ");
}

} // namespace

Q_DECLARE_METATYPE(zep::astro::Elements)

class TstAstroGroundTrack : public QObject {
    Q_OBJECT

private slots:
    void latitudeBand_data()
    {
        QTest::addColumn<Elements>("el");
        QTest::addColumn<double>("band");
        QTest::addColumn<double>("sampling");  // how far short of the band the samples may stop
        QTest::newRow("equatorial LEO") << orbit(7000, 0, 0) << 0.0 << 0.0;
        QTest::newRow("equatorial eccentric") << orbit(12000, 0.4, 0, 30, 70) << 0.0 << 0.0;
        QTest::newRow("63.4 LEO") << orbit(7000, 0.001, 63.4, 40, 10) << 63.4 << 0.05;
        QTest::newRow("63.4 high eccentric") << orbit(26600, 0.74, 63.4, 0, 270) << 63.4 << 0.05;
        QTest::newRow("63.4 retrograde") << orbit(7000, 0, 116.6, 200) << 63.4 << 0.05;
        // Over the pole latitude turns back at a corner: half a sample short at worst.
        QTest::newRow("polar") << orbit(7200, 0, 90) << 90.0 << 0.5;
    }

    // Over a revolution the geocentric latitude sweeps +-i (or 180 - i) and no further.
    void latitudeBand()
    {
        QFETCH(Elements, el);
        QFETCH(double, band);
        QFETCH(double, sampling);
        double lo = 90, hi = -90;
        for (const GeoPolyline &line : track(el, period(el.a)))
            for (const GeoPoint &p : line)
                lo = std::min(lo, p.latitudeDeg), hi = std::max(hi, p.latitudeDeg);
        const QString range = QStringLiteral("%1..%2").arg(lo, 0, 'f', 6).arg(hi, 0, 'f', 6);
        QVERIFY2(hi <= band + 1e-9 && lo >= -band - 1e-9, qPrintable(range));
        QVERIFY2(hi >= band - sampling && lo <= -band + sampling, qPrintable(range));
    }

    void geostationaryStaysPut()
    {
        // a = 42164.17 km goes round in one sidereal day: the point stays
        // where GMST put it, 180 deg on from Greenwich's 79.54 E is 100.46 W.
        const auto lines = track(orbit(42164.17, 0, 0, 180), 86400);
        QCOMPARE(lines.size(), size_t(1));
        for (const GeoPoint &p : lines[0])
            QVERIFY2(std::abs(p.longitudeDeg + 100.4606) < 0.01 && p.latitudeDeg == 0, qPrintable(show(lines)));
        const GeoPoint north = zep::astro::subSatellitePoint({5e6, 0, 5e6}, kJ2000Noon);
        QVERIFY(std::abs(north.latitudeDeg - 45) < 1e-9 && std::abs(north.longitudeDeg - 79.5394) < 1e-4);
    }

    void splitAtDateLine_data()
    {
        QTest::addColumn<std::vector<GeoPoint>>("points");
        QTest::addColumn<QString>("lines");
        QTest::newRow("no crossing") << std::vector<GeoPoint>{{0, 10}, {1, -10}, {2, -170}}
                                     << "(0,10) (1,-10) (2,-170)";
        QTest::newRow("east at lat 15") << std::vector<GeoPoint>{{0, 170}, {10, 179}, {20, -179}}
                                        << "(0,170) (10,179) (15,180) | (15,-180) (20,-179)";
        QTest::newRow("west at lat -5") << std::vector<GeoPoint>{{0, -178}, {-10, 178}}
                                        << "(0,-178) (-5,-180) | (-5,180) (-10,178)";
        QTest::newRow("twice") << std::vector<GeoPoint>{{0, 179}, {2, -179}, {4, 179}}
                               << "(0,179) (1,180) | (1,-180) (2,-179) (3,-180) | (3,180) (4,179)";
        QTest::newRow("starts on it going west") << std::vector<GeoPoint>{{5, -180}, {6, 179}}
                                                 << "(5,180) (6,179)";
        QTest::newRow("ends on it going east") << std::vector<GeoPoint>{{5, 179}, {7, -180}}
                                               << "(5,179) (7,180)";
    }

    void splitAtDateLine()
    {
        QFETCH(std::vector<GeoPoint>, points);
        QFETCH(QString, lines);
        QCOMPARE(show(zep::astro::splitAtDateLine(points)), lines);
    }

    void trackIsSmoothAndBounded_data()
    {
        QTest::addColumn<Elements>("el");
        QTest::addColumn<double>("spanS");
        QTest::addColumn<double>("maxArcDeg");
        QTest::newRow("ISS-like, 2 revolutions") << orbit(6790, 0.0005, 51.6, 120, 30, 10) << 11120.0 << 1.05;
        QTest::newRow("high eccentric, 2 revolutions") << orbit(26600, 0.74, 63.4, 0, 270) << 86350.0 << 1.2;
        QTest::newRow("LEO over a year") << orbit(7000, 0.01, 98) << 365 * 86400.0 << 180.0;
        QTest::newRow("tiny orbit, long span") << orbit(1e-3, 0.5, 45) << 10 * 86400.0 << 180.0;
    }

    // Neighbours are close on the globe, nothing runs across the map, breaks
    // sit on the date line, and the point count stays bounded.
    void trackIsSmoothAndBounded()
    {
        QFETCH(Elements, el);
        QFETCH(double, spanS);
        QFETCH(double, maxArcDeg);
        const auto lines = track(el, spanS);
        QVERIFY(!lines.empty());
        size_t count = 0;
        for (size_t k = 0; k < lines.size(); ++k) {
            const GeoPolyline &line = lines[k];
            count += line.size();
            for (size_t j = 1; j < line.size(); ++j) {
                const GeoPoint p = line[j - 1], q = line[j];
                const double arc = std::acos(std::clamp(std::sin(p.latitudeDeg * kDeg) * std::sin(q.latitudeDeg * kDeg)
                    + std::cos(p.latitudeDeg * kDeg) * std::cos(q.latitudeDeg * kDeg)
                          * std::cos((q.longitudeDeg - p.longitudeDeg) * kDeg), -1.0, 1.0)) / kDeg;
                QVERIFY2(std::abs(q.longitudeDeg - p.longitudeDeg) <= 180 && arc <= maxArcDeg, qPrintable(QString::number(arc)));
            }
            if (k + 1 < lines.size()) {
                QCOMPARE(std::abs(line.back().longitudeDeg), 180.0);
                QCOMPARE(lines[k + 1].front().longitudeDeg, -line.back().longitudeDeg);
                QCOMPARE(lines[k + 1].front().latitudeDeg, line.back().latitudeDeg);
            }
        }
        QVERIFY2(count <= size_t(kMaxTrackPoints) + 2 * lines.size(), qPrintable(QString::number(count)));
    }

    void spansAndRefusals()
    {
        // One revolution either side, capped at a day; nothing for what has no orbit.
        const struct { const char *name; Elements el; double half; } spans[] = {
            {"LEO", orbit(7000, 0.01, 50), 97.14194396 * 60}, {"GEO", orbit(42164.17, 0, 0), 86164.09165},
            {"beyond GEO", orbit(100000, 0.2, 10), 86400}, {"open", orbit(7000, 1.5, 0), 0}};
        for (const auto &row : spans) {
            const TimeSpan span = groundTrackSpan(row.el, Instant{1e6});
            QVERIFY2(std::abs(span.begin.seconds - (1e6 - row.half)) < 1e-3
                         && std::abs(span.end.seconds - (1e6 + row.half)) < 1e-3, row.name);
        }
        for (double spanS : {-100.0, 0.0, std::nan("")})
            QVERIFY(track(orbit(7000, 0, 10), spanS).empty());
        QVERIFY(track(orbit(7000, 1.0, 10), 100).empty());
        // A span below the clock's resolution there comes back (a point: nothing to draw).
        QVERIFY(track(orbit(7000, 0, 10), 1e-11).size() <= 1);
    }

    void readouts()
    {
        // rp = 7000 (1 - 0.01) = 6930 km, ra = 7070 km, above R = 6378.137 km;
        // vis-viva at the apsides v^2 = mu/a (1 +- e)/(1 -+ e); circular v = sqrt(mu/a).
        const struct { const char *name; Elements el; double rp, ra, minutes, alt, speed; } rows[] = {
            {"at perigee", orbit(7000, 0.01, 28.5, 10, 20, 0), 551.863, 691.863, 97.141944, 551.863, 7.6218949},
            {"at apogee", orbit(7000, 0.01, 28.5, 10, 20, 180), 551.863, 691.863, 97.141944, 691.863, 7.4709663},
            {"GEO", orbit(42164.17, 0, 0, 0, 0, 77), 35786.033, 35786.033, 1436.0682, 35786.033, 3.0746601}};
        for (const auto &row : rows) {
            // Read through the propagation the host draws, two revolutions on.
            const auto r = orbitReadouts(stateAt(row.el, Instant{0}, Instant{2 * period(row.el.a)}));
            QVERIFY2(r && std::abs(r->perigeeAltitudeKm - row.rp) < 1e-6 && std::abs(r->apogeeAltitudeKm - row.ra) < 1e-6
                         && std::abs(r->periodMin - row.minutes) < 1e-5 && std::abs(r->altitudeKm - row.alt) < 1e-6
                         && std::abs(r->speedKmS - row.speed) < 1e-6, row.name);
        }
        // Escape speed at 7000 km is 10.67 km/s; falling straight in has no orbit plane.
        QVERIFY(!orbitReadouts(State{{7e6, 0, 0}, {0, 11e3, 0}}));
        QVERIFY(!orbitReadouts(State{{7e6, 0, 0}, {-7e3, 0, 0}}));
    }
};

QTEST_APPLESS_MAIN(TstAstroGroundTrack)
#include "tst_groundtrack.moc"
