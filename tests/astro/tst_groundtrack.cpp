// The map's ground track and the overlay's readouts, against orbits whose
// answers are known by hand.

#include "standin/astro/groundtrack.h"
#include "standin/astro/readouts.h"

#include <QtTest>

#include <cmath>

using namespace zep::astro;

namespace {

constexpr double kDeg = kPi / 180.0;
constexpr double kKm = 1000.0;
constexpr double kDay = 86400.0;
constexpr Instant kJ2000Noon{43200.0};  // GMST 18h41m50.548s = 280.4606 deg

Elements orbit(double aKm, double e, double iDeg, double raanDeg = 0, double argpDeg = 0, double mDeg = 0)
{
    return {aKm * kKm, e, iDeg * kDeg, raanDeg * kDeg, argpDeg * kDeg, mDeg * kDeg};
}

double arcDeg(const GeoPoint &p, const GeoPoint &q)
{
    const double c = std::sin(p.latitudeDeg * kDeg) * std::sin(q.latitudeDeg * kDeg)
                     + std::cos(p.latitudeDeg * kDeg) * std::cos(q.latitudeDeg * kDeg)
                           * std::cos((q.longitudeDeg - p.longitudeDeg) * kDeg);
    return std::acos(std::clamp(c, -1.0, 1.0)) / kDeg;
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

Q_DECLARE_METATYPE(zep::astro::Vec3)
Q_DECLARE_METATYPE(zep::astro::Elements)
Q_DECLARE_METATYPE(std::vector<zep::astro::GeoPoint>)
Q_DECLARE_METATYPE(std::vector<zep::astro::GeoPolyline>)

class TestGroundTrack : public QObject {
    Q_OBJECT

private slots:
    void subSatellitePoint_data()
    {
        QTest::addColumn<Vec3>("r");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        // At J2000 noon Greenwich is 280.4606 deg east of the inertial x axis.
        QTest::newRow("x axis") << Vec3{7e6, 0, 0} << 0.0 << 79.5394;
        QTest::newRow("y axis") << Vec3{0, 7e6, 0} << 0.0 << 169.5394;
        QTest::newRow("-y axis wraps west") << Vec3{0, -7e6, 0} << 0.0 << -10.4606;
        QTest::newRow("45 deg north") << Vec3{5e6, 0, 5e6} << 45.0 << 79.5394;
        QTest::newRow("south pole") << Vec3{0, 0, -7e6} << -90.0 << 0.0;
    }

    void subSatellitePoint()
    {
        QFETCH(Vec3, r);
        QFETCH(double, lat);
        QFETCH(double, lon);
        const GeoPoint p = zep::astro::subSatellitePoint(r, kJ2000Noon);
        QVERIFY2(std::abs(p.latitudeDeg - lat) < 1e-4, qPrintable(QString::number(p.latitudeDeg)));
        QVERIFY2(std::abs(p.longitudeDeg - lon) < 1e-4, qPrintable(QString::number(p.longitudeDeg)));
    }

    void latitudeBand_data()
    {
        QTest::addColumn<Elements>("el");
        QTest::addColumn<double>("bandDeg");
        QTest::addColumn<double>("sampling");  // how far below the band the samples may stop
        QTest::newRow("equatorial LEO") << orbit(7000, 0, 0) << 0.0 << 0.0;
        QTest::newRow("equatorial eccentric") << orbit(12000, 0.4, 0, 30, 70) << 0.0 << 0.0;
        QTest::newRow("63.4 LEO") << orbit(7000, 0.001, 63.4, 40, 10) << 63.4 << 0.05;
        QTest::newRow("63.4 high eccentric") << orbit(26600, 0.74, 63.4, 0, 270) << 63.4 << 0.05;
        QTest::newRow("63.4 retrograde") << orbit(7000, 0, 116.6, 200) << 63.4 << 0.05;
        // Over the pole latitude turns back at a corner: half a sample short at worst.
        QTest::newRow("polar") << orbit(7200, 0, 90) << 90.0 << 0.5;
    }

    // Over a full revolution the geocentric latitude sweeps exactly +-i (or
    // 180 - i): the orbit plane's reach above the equator, and no further.
    void latitudeBand()
    {
        QFETCH(Elements, el);
        QFETCH(double, bandDeg);
        QFETCH(double, sampling);
        const double t1 = kJ2000Noon.seconds + period(el.a);
        double lo = 90, hi = -90;
        for (const GeoPolyline &line : groundTrack(el, kJ2000Noon, kJ2000Noon, Instant{t1})) {
            for (const GeoPoint &p : line) {
                lo = std::min(lo, p.latitudeDeg);
                hi = std::max(hi, p.latitudeDeg);
            }
        }
        const QString range = QStringLiteral("%1..%2").arg(lo, 0, 'f', 6).arg(hi, 0, 'f', 6);
        QVERIFY2(hi <= bandDeg + 1e-9 && lo >= -bandDeg - 1e-9, qPrintable(range));
        QVERIFY2(hi >= bandDeg - sampling && lo <= -bandDeg + sampling, qPrintable(range));
    }

    void geostationaryStaysPut()
    {
        // a = 42164.17 km has a period of 86164.09 s, one sidereal day: the
        // point under the satellite stays where GMST put it at the epoch.
        const Elements geo = orbit(42164.17, 0, 0);
        const auto lines = groundTrack(geo, kJ2000Noon, kJ2000Noon, Instant{kJ2000Noon.seconds + kDay});
        QCOMPARE(lines.size(), size_t(1));
        QVERIFY(lines[0].size() >= 2);
        for (const GeoPoint &p : lines[0]) {
            QVERIFY2(std::abs(p.longitudeDeg - 79.5394) < 0.01, qPrintable(QString::number(p.longitudeDeg)));
            QVERIFY(std::abs(p.latitudeDeg) < 1e-9);
        }
    }

    void splitAtDateLine_data()
    {
        QTest::addColumn<std::vector<GeoPoint>>("points");
        QTest::addColumn<std::vector<GeoPolyline>>("expected");
        QTest::newRow("no crossing")
            << std::vector<GeoPoint>{{0, 10}, {1, -10}, {2, -170}}
            << std::vector<GeoPolyline>{{{0, 10}, {1, -10}, {2, -170}}};
        QTest::newRow("eastward, crossing at lat 15")
            << std::vector<GeoPoint>{{0, 170}, {10, 179}, {20, -179}}
            << std::vector<GeoPolyline>{{{0, 170}, {10, 179}, {15, 180}}, {{15, -180}, {20, -179}}};
        QTest::newRow("westward, crossing at lat -5")
            << std::vector<GeoPoint>{{0, -178}, {-10, 178}}
            << std::vector<GeoPolyline>{{{0, -178}, {-5, -180}}, {{-5, 180}, {-10, 178}}};
        QTest::newRow("twice")
            << std::vector<GeoPoint>{{0, 179}, {2, -179}, {4, 179}}
            << std::vector<GeoPolyline>{{{0, 179}, {1, 180}}, {{1, -180}, {2, -179}, {3, -180}}, {{3, 180}, {4, 179}}};
        QTest::newRow("starts on the date line going west")
            << std::vector<GeoPoint>{{5, -180}, {6, 179}, {7, 178}}
            << std::vector<GeoPolyline>{{{5, 180}, {6, 179}, {7, 178}}};
        QTest::newRow("ends on the date line going east")
            << std::vector<GeoPoint>{{5, 178}, {6, 179}, {7, -180}}
            << std::vector<GeoPolyline>{{{5, 178}, {6, 179}, {7, 180}}};
    }

    void splitAtDateLine()
    {
        QFETCH(std::vector<GeoPoint>, points);
        QFETCH(std::vector<GeoPolyline>, expected);
        const auto lines = zep::astro::splitAtDateLine(points);
        bool same = lines.size() == expected.size();
        for (size_t k = 0; same && k < lines.size(); ++k) {
            same = lines[k].size() == expected[k].size();
            for (size_t j = 0; same && j < lines[k].size(); ++j)
                same = std::abs(lines[k][j].latitudeDeg - expected[k][j].latitudeDeg) < 1e-12
                       && lines[k][j].longitudeDeg == expected[k][j].longitudeDeg;
        }
        QVERIFY2(same, qPrintable(show(lines) + QStringLiteral("  expected  ") + show(expected)));
    }

    void trackIsSmoothAndBounded_data()
    {
        QTest::addColumn<Elements>("el");
        QTest::addColumn<double>("spanS");
        QTest::addColumn<double>("maxArcDeg");
        QTest::newRow("ISS-like, 2 revolutions") << orbit(6790, 0.0005, 51.6, 120, 30, 10) << 2 * 5560.0 << 1.05;
        QTest::newRow("high eccentric, 2 revolutions") << orbit(26600, 0.74, 63.4, 0, 270) << 2 * 43175.0 << 1.2;
        QTest::newRow("LEO over a year") << orbit(7000, 0.01, 98) << 365 * kDay << 180.0;
        QTest::newRow("tiny orbit, long span") << orbit(1e-3, 0.5, 45) << 10 * kDay << 180.0;
    }

    // Neighbouring samples are close on the globe, nothing runs across the
    // map, breaks sit on the date line, and the point count stays bounded.
    void trackIsSmoothAndBounded()
    {
        QFETCH(Elements, el);
        QFETCH(double, spanS);
        QFETCH(double, maxArcDeg);
        const auto lines = groundTrack(el, kJ2000Noon, kJ2000Noon, Instant{kJ2000Noon.seconds + spanS});
        QVERIFY(!lines.empty());
        size_t count = 0;
        for (size_t k = 0; k < lines.size(); ++k) {
            const GeoPolyline &line = lines[k];
            QVERIFY(line.size() >= 2);
            count += line.size();
            for (size_t j = 1; j < line.size(); ++j) {
                QVERIFY2(std::abs(line[j].longitudeDeg - line[j - 1].longitudeDeg) <= 180.0,
                         qPrintable(QStringLiteral("line %1 point %2").arg(k).arg(j)));
                QVERIFY2(arcDeg(line[j - 1], line[j]) <= maxArcDeg,
                         qPrintable(QString::number(arcDeg(line[j - 1], line[j]))));
            }
            if (k + 1 < lines.size()) {
                const GeoPoint end = line.back(), next = lines[k + 1].front();
                QCOMPARE(std::abs(end.longitudeDeg), 180.0);
                QCOMPARE(next.longitudeDeg, -end.longitudeDeg);
                QCOMPARE(next.latitudeDeg, end.latitudeDeg);
            }
        }
        // Each break adds its two edge points to the samples.
        QVERIFY2(count <= size_t(kMaxTrackPoints) + 2 * lines.size(), qPrintable(QString::number(count)));
    }

    void refusesWhatHasNoTrack_data()
    {
        QTest::addColumn<Elements>("el");
        QTest::addColumn<double>("t0");
        QTest::addColumn<double>("t1");
        QTest::newRow("backwards span") << orbit(7000, 0, 10) << 100.0 << 0.0;
        QTest::newRow("empty span") << orbit(7000, 0, 10) << 100.0 << 100.0;
        QTest::newRow("NaN end") << orbit(7000, 0, 10) << 0.0 << std::nan("");
        QTest::newRow("open orbit") << orbit(7000, 1.0, 10) << 0.0 << 100.0;
        QTest::newRow("zero a") << orbit(0, 0, 10) << 0.0 << 100.0;
    }

    void refusesWhatHasNoTrack()
    {
        QFETCH(Elements, el);
        QFETCH(double, t0);
        QFETCH(double, t1);
        QVERIFY(groundTrack(el, Instant{0}, Instant{t0}, Instant{t1}).empty());
    }

    void groundTrackSpan_data()
    {
        QTest::addColumn<Elements>("el");
        QTest::addColumn<double>("halfS");
        QTest::newRow("LEO: one revolution") << orbit(7000, 0.01, 50) << 97.14194396 * 60;
        QTest::newRow("GEO: one sidereal day") << orbit(42164.17, 0, 0) << 86164.09165;
        QTest::newRow("beyond GEO: capped at a day") << orbit(100000, 0.2, 10) << 86400.0;
        QTest::newRow("invalid: nothing") << orbit(7000, 1.5, 0) << 0.0;
    }

    void groundTrackSpan()
    {
        QFETCH(Elements, el);
        QFETCH(double, halfS);
        const TimeSpan span = zep::astro::groundTrackSpan(el, Instant{1e6});
        QVERIFY2(std::abs(span.begin.seconds - (1e6 - halfS)) < 1e-3, qPrintable(QString::number(span.begin.seconds, 'f')));
        QVERIFY2(std::abs(span.end.seconds - (1e6 + halfS)) < 1e-3, qPrintable(QString::number(span.end.seconds, 'f')));
    }

    void readouts_data()
    {
        QTest::addColumn<Elements>("el");
        QTest::addColumn<double>("perigeeKm");
        QTest::addColumn<double>("apogeeKm");
        QTest::addColumn<double>("periodMin");
        QTest::addColumn<double>("altitudeKm");
        QTest::addColumn<double>("speedKmS");
        // rp = 7000 (1 - 0.01) = 6930 km, ra = 7070 km above R = 6378.137 km;
        // vis-viva at the apsides: v^2 = mu/a (1 +- e)/(1 -+ e).
        QTest::newRow("e 0.01 at perigee") << orbit(7000, 0.01, 28.5, 10, 20, 0) << 551.863 << 691.863
                                           << 97.141944 << 551.863 << 7.6218949;
        QTest::newRow("e 0.01 at apogee") << orbit(7000, 0.01, 28.5, 10, 20, 180) << 551.863 << 691.863
                                          << 97.141944 << 691.863 << 7.4709663;
        // Circular: v = sqrt(mu / a) everywhere.
        QTest::newRow("GEO") << orbit(42164.17, 0, 0, 0, 0, 77) << 35786.033 << 35786.033 << 1436.0682
                             << 35786.033 << 3.0746601;
    }

    void readouts()
    {
        QFETCH(Elements, el);
        QFETCH(double, perigeeKm);
        QFETCH(double, apogeeKm);
        QFETCH(double, periodMin);
        QFETCH(double, altitudeKm);
        QFETCH(double, speedKmS);
        // Read through the propagation the host draws, two revolutions on.
        const auto r = orbitReadouts(stateAt(el, Instant{0}, Instant{2 * period(el.a)}));
        QVERIFY(r);
        QVERIFY2(std::abs(r->perigeeAltitudeKm - perigeeKm) < 1e-6, qPrintable(QString::number(r->perigeeAltitudeKm, 'f', 9)));
        QVERIFY2(std::abs(r->apogeeAltitudeKm - apogeeKm) < 1e-6, qPrintable(QString::number(r->apogeeAltitudeKm, 'f', 9)));
        QVERIFY2(std::abs(r->periodMin - periodMin) < 1e-5, qPrintable(QString::number(r->periodMin, 'f', 9)));
        QVERIFY2(std::abs(r->altitudeKm - altitudeKm) < 1e-6, qPrintable(QString::number(r->altitudeKm, 'f', 9)));
        QVERIFY2(std::abs(r->speedKmS - speedKmS) < 1e-6, qPrintable(QString::number(r->speedKmS, 'f', 9)));
    }

    void readoutsOfNoOrbit()
    {
        // Escape speed at 7000 km is 10.67 km/s: 11 km/s leaves for good.
        QVERIFY(!orbitReadouts(State{{7e6, 0, 0}, {0, 11e3, 0}}));
        QVERIFY(!orbitReadouts(State{{7e6, 0, 0}, {-7e3, 0, 0}}));
    }
};

QTEST_APPLESS_MAIN(TestGroundTrack)
#include "tst_groundtrack.moc"
