// Two-impulse transfers against sums worked out by hand.

#include "standin/astro/transfer.h"

#include <QtTest>

#include <cmath>
#include <variant>

using namespace zep::astro;

Q_DECLARE_METATYPE(zep::astro::Elements)

namespace {

constexpr double kDeg = kPi / 180.0;

Elements circle(double km, double iDeg = 0, double raanDeg = 0, double e = 0)
{
    Elements el;
    el.a = km * 1000;
    el.e = e;
    el.i = iDeg * kDeg;
    el.raan = raanDeg * kDeg;
    return el;
}

} // namespace

class TstTransfer : public QObject {
    Q_OBJECT

private slots:
    // mu = 3.986004418e14. LEO 6678 km to GEO 42164 km: at = 24421 km;
    // circular speeds sqrt(mu/r) 7725.84 and 3074.67 m/s; on the ellipse
    // sqrt(mu (2/r - 1/at)) 10151.61 at perigee and 1607.83 at apogee.
    // dv1 = 10151.61 - 7725.84 = 2425.77; coplanar dv2 = 3074.67 - 1607.83
    // = 1466.84; with 28.5 deg turned at GEO dv2 = sqrt(1607.83^2 +
    // 3074.67^2 - 2 * 1607.83 * 3074.67 * cos 28.5) = 1830.23; the time is
    // pi sqrt(at^3 / mu) = 18990.05 s (5 h 16.5 min) either way.
    void hohmann_data()
    {
        QTest::addColumn<Elements>("from");
        QTest::addColumn<Elements>("to");
        QTest::addColumn<double>("dv1");
        QTest::addColumn<double>("dv2");
        QTest::addColumn<double>("angle");  // deg
        QTest::newRow("LEO to GEO") << circle(6678) << circle(42164) << 2425.77 << 1466.84 << 0.0;
        QTest::newRow("LEO at 28.5 deg to GEO") << circle(6678, 28.5) << circle(42164) << 2425.77 << 1830.23 << 28.5;
        // Down again: the same burns in the other order, the turn still at GEO.
        QTest::newRow("GEO to LEO at 28.5 deg") << circle(42164) << circle(6678, 28.5) << 1830.23 << 2425.77 << 28.5;
        // Planes that differ by their nodes alone: 28.5 deg each, 180 deg apart, 57 deg between them.
        QTest::newRow("nodes apart") << circle(6678, 28.5) << circle(42164, 28.5, 180) << 2425.77
                                     << std::sqrt(1607.8276 * 1607.8276 + 3074.6663 * 3074.6663
                                                  - 2 * 1607.8276 * 3074.6663 * std::cos(57 * kDeg))
                                     << 57.0;
    }

    void hohmann()
    {
        QFETCH(Elements, from);
        QFETCH(Elements, to);
        QFETCH(double, dv1);
        QFETCH(double, dv2);
        QFETCH(double, angle);
        const auto result = zep::astro::hohmann(from, to);
        QVERIFY(std::holds_alternative<Transfer>(result));
        const Transfer &t = std::get<Transfer>(result);
        QVERIFY2(std::abs(t.dv1 - dv1) < 0.01, qPrintable(QString::number(t.dv1, 'f', 3)));
        QVERIFY2(std::abs(t.dv2 - dv2) < 0.01, qPrintable(QString::number(t.dv2, 'f', 3)));
        QCOMPARE(t.total, t.dv1 + t.dv2);
        QVERIFY(std::abs(t.time - 18990.05) < 0.01);
        QVERIFY(std::abs(t.planeAngle / kDeg - angle) < 1e-9);
        // The ellipse touches both orbits where the burns are, and the turn
        // at the higher radius lies where the two planes cross.
        const Vec3 low = positionAtEccentric(t.ellipse, 0), high = positionAtEccentric(t.ellipse, kPi);
        QVERIFY(std::abs(norm(low) - 6678e3) < 1 && std::abs(norm(high) - 42164e3) < 1);
        const bool raising = to.a > from.a;
        QVERIFY(norm((raising ? t.burn1 : t.burn2) - low) < 1 && norm((raising ? t.burn2 : t.burn1) - high) < 1);
        const Elements &upper = raising ? to : from;
        const Vec3 upperNormal{std::sin(upper.raan) * std::sin(upper.i), -std::cos(upper.raan) * std::sin(upper.i),
                               std::cos(upper.i)};
        QVERIFY(std::abs(dot(normalized(high), upperNormal)) < 1e-9);
    }

    void refusals_data()
    {
        QTest::addColumn<Elements>("from");
        QTest::addColumn<Elements>("to");
        QTest::addColumn<QString>("why");
        QTest::newRow("elliptical departure") << circle(26600, 63.4, 0, 0.74) << circle(42164) << "departure orbit is not near circular";
        QTest::newRow("just elliptical arrival") << circle(6678) << circle(42164, 0, 0, 0.01) << "arrival orbit is not near circular";
        QTest::newRow("no orbit") << circle(-1) << circle(42164) << "departure orbit: semi-major axis";
    }

    void refusals()
    {
        QFETCH(Elements, from);
        QFETCH(Elements, to);
        QFETCH(QString, why);
        const auto result = zep::astro::hohmann(from, to);
        QVERIFY(std::holds_alternative<std::string>(result));
        QVERIFY2(QString::fromStdString(std::get<std::string>(result)).contains(why),
                 std::get<std::string>(result).c_str());
    }
};

QTEST_APPLESS_MAIN(TstTransfer)
#include "tst_transfer.moc"
