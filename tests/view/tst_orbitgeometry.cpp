// What the 3-D view draws around the Earth, without a display: the frame on
// show, orbit paths, arcs, the aids' directions, the Sun and the grid.

#include "standin/view/aidtext.h"
#include "standin/view/orbitgeometry.h"
#include "tests/view/viewtest.h"

#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(zep::astro::Vec3)
Q_DECLARE_METATYPE(zep::astro::Elements)

using namespace zep;
using namespace zep::view;
using astro::Vec3;

using namespace viewtest;

class TstOrbitGeometry : public QObject {
    Q_OBJECT
private slots:
    // ---------------------------------------------------------------- frames

    void fixedFrameUndoesTheEarthsTurn()
    {
        // A quarter turn of the Earth: the inertial x axis now lies over 90 W.
        const Vec3 x = toDisplay({1, 0, 0}, true, astro::kPi / 2);
        QVERIFY2(near(x, {0, -1, 0}, 1e-12), qPrintable(str(x)));
        const Vec3 same = toDisplay({1, 2, 3}, false, 1.0);
        QVERIFY(near(same, {1, 2, 3}, 0));
        // The same rotation the astro code uses for Earth-fixed coordinates.
        const astro::Instant t = at("1 Jul 2005 12:00:00.00");
        const Vec3 r{7e6, -2e6, 1e6};
        QVERIFY(near(toDisplay(r, true, astro::gmst(t)), astro::inertialToFixed(r, t), 1e-6));
    }

    // ---------------------------------------------------------------- paths

    void wholeOrbitIsClosedPlanarAndBounded_data()
    {
        QTest::addColumn<astro::Elements>("el");
        QTest::newRow("start-up LEO") << elements(6582, 0, 0, 0, 0, 0);
        QTest::newRow("inclined ellipse") << elements(12000, 0.3, 50, 40, 60, 30);
        QTest::newRow("e = 0.999") << elements(30000, 0.999, 20, 10, 80, 0);
        QTest::newRow("a inside the Earth") << elements(3000, 0.1, 10, 0, 0, 0);
        QTest::newRow("a = 50000 km") << elements(50000, 0, 0, 0, 0, 0);
        QTest::newRow("retrograde") << elements(8000, 0.05, 170, 200, 300, 100);
    }

    void wholeOrbitIsClosedPlanarAndBounded()
    {
        QFETCH(astro::Elements, el);
        const std::vector<Vec3> path = inertialOrbitPath(el, 720);
        QCOMPARE(path.size(), size_t(721));
        QVERIFY(near(path.front(), path.back(), 1e-6));
        const astro::State s = astro::toState(el);
        const Vec3 h = normalized(cross(s.r, s.v));
        const double rp = el.a * (1 - el.e), ra = el.a * (1 + el.e);
        double lo = 1e300, hi = 0, longestStep = 0;
        for (size_t k = 0; k < path.size(); ++k) {
            const double r = norm(path[k]);
            lo = std::min(lo, r);
            hi = std::max(hi, r);
            QVERIFY2(std::abs(dot(path[k], h)) < 1e-6 * el.a, "point off the orbit plane");
            if (k > 0)
                longestStep = std::max(longestStep, norm(path[k] - path[k - 1]));
        }
        QVERIFY(lo >= rp * (1 - 1e-9) && hi <= ra * (1 + 1e-9));
        // The turn at periapsis and the far end are both sampled.
        QVERIFY2(lo <= rp * 1.001 && hi >= ra * 0.999, qPrintable(QStringLiteral("%1 %2").arg(lo).arg(hi)));
        // Smooth enough to draw: no chord longer than 1% of the orbit's size.
        QVERIFY(longestStep < 0.01 * 2 * ra);
    }

    void invalidElementsGiveNoPath()
    {
        QVERIFY(inertialOrbitPath(elements(7000, 1.0, 0, 0, 0, 0), 360).empty());
        QVERIFY(inertialOrbitPath(elements(-7000, 0.1, 0, 0, 0, 0), 360).empty());
        QVERIFY(inertialOrbitPath(elements(std::nan(""), 0.1, 0, 0, 0, 0), 360).empty());
        const astro::Instant t = at("1 Jul 2005 12:00:00.00");
        QVERIFY(leadPath(elements(7000, 1.5, 0, 0, 0, 0), t, t, 1, 360, true).empty());
    }

    void leadPathStartsAtTheSatelliteAndEndsAFractionLater()
    {
        const astro::Elements el = elements(9000, 0.2, 30, 20, 40, 10);
        const astro::Instant epoch = at("1 Jul 2005 12:00:00.00");
        const astro::Instant from{epoch.seconds + 1234};
        const double T = astro::period(el.a);
        const Vec3 now = astro::toState(astro::propagate(el, 1234)).r;
        const Vec3 quarter = astro::toState(astro::propagate(el, 1234 + T / 4)).r;
        const std::vector<Vec3> inertial = leadPath(el, epoch, from, 0.25, 720, false);
        QVERIFY(inertial.size() > 20);
        QVERIFY2(near(inertial.front(), now, 1), qPrintable(str(inertial.front()) + str(now)));
        QVERIFY2(near(inertial.back(), quarter, 1), qPrintable(str(inertial.back()) + str(quarter)));
        const std::vector<Vec3> whole = leadPath(el, epoch, from, 1, 720, false);
        QVERIFY(near(whole.front(), whole.back(), 1));

        // Earth-fixed: each point as the Earth had turned at its time.
        const std::vector<Vec3> fixed = leadPath(el, epoch, from, 1, 720, true);
        QVERIFY(near(fixed.front(), astro::inertialToFixed(now, from), 1));
        const astro::Instant end{from.seconds + T};
        QVERIFY(near(fixed.back(), astro::inertialToFixed(now, end), 1));
    }

    void geostationaryOrbitStandsStillOverTheEarth()
    {
        // One sidereal day's orbit: relative to the Earth it hardly moves, so
        // every point of the path is turned with the Earth at its own time.
        const astro::Instant t = at("1 Jul 2005 12:00:00.00");
        const std::vector<Vec3> path = leadPath(elements(42164.17, 0, 0, 0, 0, 0), t, t, 1, 720, true);
        QVERIFY(!path.empty());
        double spread = 0;
        for (const Vec3 &p : path)
            spread = std::max(spread, norm(p - path.front()));
        QVERIFY2(spread < 20e3, qPrintable(QString::number(spread)));
    }

    // A path from the cache after the orbit or the time changed is the one
    // sampled afresh, never the one before; what a frame no longer asks for
    // is let go.
    void cachedPathIsTheFreshOne_data()
    {
        QTest::addColumn<int>("kind");  // 0 whole orbit, 1 lead path, 2 Earth-fixed lead path
        QTest::addColumn<astro::Elements>("before");
        QTest::addColumn<astro::Elements>("after");
        QTest::addColumn<double>("laterS");
        const astro::Elements leo = elements(7000, 0.001, 51.6, 30, 40, 10);
        QTest::newRow("whole: inclination swept") << 0 << leo << elements(7000, 0.001, 51.7, 30, 40, 10) << 0.0;
        QTest::newRow("whole: to an ellipse") << 0 << leo << elements(7000, 0.3, 51.6, 30, 40, 10) << 0.0;
        QTest::newRow("whole: the satellite moved on") << 0 << leo << elements(7000, 0.001, 51.6, 30, 40, 90) << 600.0;
        QTest::newRow("lead: node turned") << 1 << leo << elements(7000, 0.001, 51.6, 31, 40, 10) << 0.0;
        QTest::newRow("lead: a minute later") << 1 << leo << leo << 60.0;
        QTest::newRow("Earth-fixed: a minute later") << 2 << leo << leo << 60.0;
        QTest::newRow("Earth-fixed: to GEO") << 2 << leo << elements(42164, 0, 0, 0, 0, 0) << 0.0;
    }

    void cachedPathIsTheFreshOne()
    {
        QFETCH(int, kind);
        QFETCH(astro::Elements, before);
        QFETCH(astro::Elements, after);
        QFETCH(double, laterS);
        const astro::Instant epoch = at("1 Jul 2005 12:00:00.00");
        const astro::Instant t1{epoch.seconds + 100}, t2{t1.seconds + laterS};
        OrbitPathCache cache;
        const auto cached = [&](const astro::Elements &el, astro::Instant t) {
            return kind == 0 ? cache.wholeOrbit(el, 240) : cache.lead(el, epoch, t, 0.5, 240, kind == 2);
        };
        cache.beginFrame();
        cached(before, t1);
        cache.beginFrame();
        const std::vector<Vec3> got = cached(after, t2);
        const std::vector<Vec3> fresh =
            kind == 0 ? inertialOrbitPath(after, 240) : leadPath(after, epoch, t2, 0.5, 240, kind == 2);
        QCOMPARE(got.size(), fresh.size());
        for (size_t k = 0; k < got.size(); ++k)
            QVERIFY2(near(got[k], fresh[k], 0), qPrintable(QStringLiteral("point %1: ").arg(k) + str(got[k]) + str(fresh[k])));
        cache.beginFrame();
        cached(after, t2);
        cache.beginFrame();
        QCOMPARE(cache.size(), size_t(1));
    }

    // ---------------------------------------------------------------- arcs

    void arcSweepsTheAngle_data()
    {
        QTest::addColumn<Vec3>("a");
        QTest::addColumn<Vec3>("b");
        QTest::addColumn<Vec3>("sense");
        QTest::addColumn<double>("angleDeg");
        QTest::addColumn<Vec3>("middle");
        const double h = std::sqrt(0.5);
        QTest::newRow("quarter, short way") << Vec3{1, 0, 0} << Vec3{0, 1, 0} << Vec3{} << 90.0 << Vec3{h, h, 0};
        QTest::newRow("RAAN 270 about +z") << Vec3{1, 0, 0} << Vec3{0, -1, 0} << Vec3{0, 0, 1} << 270.0 << Vec3{-h, h, 0};
        QTest::newRow("same pair, short way") << Vec3{1, 0, 0} << Vec3{0, -1, 0} << Vec3{} << 90.0 << Vec3{h, -h, 0};
        QTest::newRow("half turn about +z") << Vec3{1, 0, 0} << Vec3{-1, 0, 0} << Vec3{0, 0, 1} << 180.0 << Vec3{0, 1, 0};
        QTest::newRow("inclination 30") << Vec3{0, 0, 1} << Vec3{0, -0.5, std::sqrt(0.75)} << Vec3{} << 30.0
                                        << Vec3{0, -std::sin(15 * kDeg), std::cos(15 * kDeg)};
        QTest::newRow("sense projects tilted vectors") << Vec3{1, 0, 0.5} << Vec3{0, 2, -1} << Vec3{0, 0, 3} << 90.0 << Vec3{h, h, 0};
        QTest::newRow("parallel: no arc") << Vec3{0, 0, 2} << Vec3{0, 0, 1} << Vec3{} << 0.0 << Vec3{};
    }

    void arcSweepsTheAngle()
    {
        QFETCH(Vec3, a);
        QFETCH(Vec3, b);
        QFETCH(Vec3, sense);
        QFETCH(double, angleDeg);
        QFETCH(Vec3, middle);
        const double radius = 2e7;
        const Arc arc = arcBetween(a, b, sense, radius, 72);
        QVERIFY2(std::abs(arc.angle / kDeg - angleDeg) < 1e-9, qPrintable(QString::number(arc.angle / kDeg)));
        if (angleDeg == 0) {
            QVERIFY(arc.points.empty());
            return;
        }
        QVERIFY(arc.points.size() >= 3);
        for (const Vec3 &p : arc.points)
            QVERIFY(std::abs(norm(p) - radius) < 1e-3);
        QVERIFY(arc.points.size() % 2 == 1);  // even steps: a point at the middle
        const Vec3 mid = normalized(arc.points[arc.points.size() / 2]);
        QVERIFY2(near(mid, middle, 1e-9), qPrintable(str(mid)));
    }

    void anglesThatRoundToNoneHaveNoArc_data()
    {
        // b is a turned about the axis by `turnDeg`; the label reads 0.0 and
        // no ring is drawn for anything within 0.05 deg of 0 or 360.
        QTest::addColumn<Vec3>("a");
        QTest::addColumn<Vec3>("axis");
        QTest::addColumn<double>("turnDeg");
        QTest::addColumn<bool>("counted");  // about the axis, or the short way
        QTest::addColumn<QString>("label");
        const Vec3 x{1, 0, 0}, z{0, 0, 1};
        const Vec3 node{std::cos(40 * kDeg), std::sin(40 * kDeg), 0};
        const Vec3 normal{std::sin(50 * kDeg) * std::sin(40 * kDeg), -std::sin(50 * kDeg) * std::cos(40 * kDeg), std::cos(50 * kDeg)};
        QTest::newRow("RAAN a hair below 0") << x << z << -1e-13 << true << "0.0\u00B0";
        QTest::newRow("RAAN a hair above 0") << x << z << 1e-13 << true << "0.0\u00B0";
        QTest::newRow("RAAN 359.96") << x << z << 359.96 << true << "0.0\u00B0";
        QTest::newRow("RAAN 0.049") << x << z << 0.049 << true << "0.0\u00B0";
        QTest::newRow("RAAN 0.06 is drawn") << x << z << 0.06 << true << "0.1\u00B0";
        QTest::newRow("RAAN 359.94 is drawn") << x << z << 359.94 << true << "359.9\u00B0";
        QTest::newRow("perigee on the node, below") << node << normal << -1e-9 << true << "0.0\u00B0";
        QTest::newRow("perigee on the node, above") << node << normal << 0.03 << true << "0.0\u00B0";
        QTest::newRow("true anomaly at perigee, below") << node << normal << -0.01 << true << "0.0\u00B0";
        QTest::newRow("inclination 0, short way") << z << x << 1e-7 << false << "0.0\u00B0";
        QTest::newRow("inclination 0.04, short way") << z << x << 0.04 << false << "0.0\u00B0";
        QTest::newRow("inclination 0.1 is drawn") << z << x << 0.1 << false << "0.1\u00B0";
    }

    void anglesThatRoundToNoneHaveNoArc()
    {
        QFETCH(Vec3, a);
        QFETCH(Vec3, axis);
        QFETCH(double, turnDeg);
        QFETCH(bool, counted);
        QFETCH(QString, label);
        const double t = turnDeg * kDeg;
        // Rodrigues' rotation of a about the unit axis.
        const Vec3 b = a * std::cos(t) + cross(axis, a) * std::sin(t) + axis * (dot(axis, a) * (1 - std::cos(t)));
        const Arc arc = arcBetween(a, b, counted ? axis : Vec3{}, 2e7, 96);
        QCOMPARE(angleLabel(QStringLiteral("RAAN"), arc.angle), QStringLiteral("RAAN ") + label);
        const bool none = label == QStringLiteral("0.0\u00B0");
        QCOMPARE(arc.points.empty(), none);
        if (none)
            QCOMPARE(arc.angle, 0.0);
    }

    // ---------------------------------------------------------------- aids

    void sunAtEquinoxesAndSolstices()
    {
        // Instants of the 2005 equinoxes and solstices (astronomical almanac, to the minute).
        const struct { const char *when; double declinationDeg, rightAscensionDeg; } rows[] = {
            {"20 Mar 2005 12:33:00.00", 0, 0}, {"21 Jun 2005 06:46:00.00", 23.44, 90},
            {"22 Sep 2005 22:23:00.00", 0, 180}, {"21 Dec 2005 18:35:00.00", -23.44, 270},
        };
        for (const auto &r : rows) {
            const Vec3 s = sunDirection(at(r.when));
            QVERIFY(std::abs(norm(s) - 1) < 1e-12);
            const double dec = std::asin(s.z) / kDeg;
            const double ra = std::atan2(s.y, s.x) / kDeg;
            QVERIFY2(std::abs(dec - r.declinationDeg) < 0.05, qPrintable(QString::number(dec)));
            QVERIFY2(std::abs(std::remainder(ra - r.rightAscensionDeg, 360.0)) < 0.1, qPrintable(QString::number(ra)));
        }
    }

    void aidDirectionsMatchTheTextbookFormulas_data()
    {
        QTest::addColumn<astro::Elements>("el");
        QTest::newRow("prograde") << elements(7000, 0.1, 30, 40, 50, 60);
        QTest::newRow("polar") << elements(9000, 0.4, 90, 300, 120, 200);
        QTest::newRow("retrograde") << elements(26000, 0.7, 120, 170, 280, 10);
        QTest::newRow("high e") << elements(40000, 0.999, 10, 10, 10, 180);
    }

    void aidDirectionsMatchTheTextbookFormulas()
    {
        // Node, periapsis and normal from the elements with the rotation
        // R3(-raan) R1(-i) R3(-argp) written out.
        QFETCH(astro::Elements, el);
        const double O = el.raan, w = el.argp, i = el.i;
        const Vec3 node{std::cos(O), std::sin(O), 0};
        const Vec3 peri{std::cos(O) * std::cos(w) - std::sin(O) * std::sin(w) * std::cos(i),
                        std::sin(O) * std::cos(w) + std::cos(O) * std::sin(w) * std::cos(i), std::sin(w) * std::sin(i)};
        const Vec3 normal{std::sin(i) * std::sin(O), -std::sin(i) * std::cos(O), std::cos(i)};
        const astro::State s = astro::toState(el);
        const AidDirections d = aidDirections(s);
        QVERIFY(d.lineOfNodes && d.periapsis && d.angularMomentum && d.position);
        QVERIFY2(near(*d.lineOfNodes, node, 1e-9), qPrintable(str(*d.lineOfNodes)));
        QVERIFY2(near(*d.periapsis, peri, 1e-7), qPrintable(str(*d.periapsis) + str(peri)));
        QVERIFY2(near(*d.angularMomentum, normal, 1e-9), qPrintable(str(*d.angularMomentum)));
        QVERIFY(near(*d.vernalEquinox, {1, 0, 0}, 0));
        QVERIFY(near(*d.inertialZ, {0, 0, 1}, 0));
        QVERIFY(d.nodesUndefinedWhy.isEmpty() && d.periapsisUndefinedWhy.isEmpty());

        // The arcs the aids draw measure the elements themselves.
        QVERIFY(std::abs(arcBetween(*d.vernalEquinox, *d.lineOfNodes, *d.inertialZ, 1, 8).angle - O) < 1e-9);
        QVERIFY(std::abs(arcBetween(*d.lineOfNodes, *d.periapsis, *d.angularMomentum, 1, 8).angle - w) < 1e-7);
        QVERIFY(std::abs(arcBetween(*d.inertialZ, *d.angularMomentum, {}, 1, 8).angle - i) < 1e-9);
    }

    void degenerateOrbitsSayWhatIsUndefined_data()
    {
        QTest::addColumn<astro::Elements>("el");
        QTest::addColumn<QString>("nodes");
        QTest::addColumn<QString>("periapsis");
        QTest::newRow("circular equatorial") << elements(6582, 0, 0, 0, 0, 0) << "i = 0" << "e = 0";
        QTest::newRow("circular inclined") << elements(7000, 0, 45, 10, 0, 30) << "" << "e = 0";
        QTest::newRow("elliptic equatorial") << elements(7000, 0.2, 0, 0, 30, 30) << "i = 0" << "";
        QTest::newRow("retrograde equatorial") << elements(7000, 0.2, 180, 0, 30, 30) << "i = 180" << "";
        QTest::newRow("geostationary") << elements(42164, 0, 0, 0, 0, 0) << "i = 0" << "e = 0";
    }

    void degenerateOrbitsSayWhatIsUndefined()
    {
        QFETCH(astro::Elements, el);
        QFETCH(QString, nodes);
        QFETCH(QString, periapsis);
        const AidDirections d = aidDirections(astro::toState(el));
        QCOMPARE(d.nodesUndefinedWhy, nodes);
        QCOMPARE(d.periapsisUndefinedWhy, periapsis);
        QCOMPARE(bool(d.lineOfNodes), nodes.isEmpty());
        QCOMPARE(bool(d.periapsis), periapsis.isEmpty());
        QVERIFY(d.angularMomentum && d.position);
    }


    void gridSpacingIsRound()
    {
        double previous = 0;
        for (double range : {1e7, 3e7, 1e8, 3e8, 2e9}) {
            const double s = gridSpacing(range);
            const double mantissa = s / std::pow(10.0, std::floor(std::log10(s)));
            QVERIFY2(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 || std::abs(mantissa - 5) < 1e-9,
                     qPrintable(QString::number(s)));
            QVERIFY(s >= 1e6 && s >= previous);
            // A handful of rings in view: between 5 and 25 spacings across the range.
            QVERIFY(range / s >= 5 && range / s <= 25);
            previous = s;
        }
    }
};

QTEST_APPLESS_MAIN(TstOrbitGeometry)
#include "tst_orbitgeometry.moc"
