// Matching an orbit: differences worked out by hand, angles across 0/360,
// the angles a circle or an equatorial orbit leaves undefined, and the
// tolerance's edge.

#include "standin/astro/match.h"

#include <QtTest>

using namespace zep::astro;

Q_DECLARE_METATYPE(zep::astro::Elements)

namespace {

Elements el(double aKm, double e, double iDeg, double raanDeg, double argpDeg, double mDeg)
{
    constexpr double kDeg = kPi / 180.0;
    return {aKm * 1000, e, iDeg * kDeg, raanDeg * kDeg, argpDeg * kDeg, mDeg * kDeg};
}

} // namespace

class TstAstroMatch : public QObject {
    Q_OBJECT
private slots:
    void differences_data()
    {
        QTest::addColumn<Elements>("mine");
        QTest::addColumn<Elements>("target");
        QTest::addColumn<QString>("compared");      // "-" before an angle left out
        QTest::addColumn<QList<double>>("values");  // mine minus target; km, e, degrees
        QTest::addColumn<QString>("within");        // per element: + within 50 km, 0.01, 1 deg
        const auto row = [](const char *name, Elements mine, Elements target, const char *compared, QList<double> values,
                            const char *within) { QTest::newRow(name) << mine << target << compared << values << within; };
        const char *plain = "a e i raan argp ta";
        row("same orbit", el(7000, 0.1, 30, 40, 50, 60), el(7000, 0.1, 30, 40, 50, 60), plain, {0, 0, 0, 0, 0, 0}, "++++++");
        // e 0.098 against 0.1 at M = 60: the true anomaly lags by 0.22 deg.
        row("each off", el(7120, 0.098, 33.2, 41.5, 49, 60), el(7000, 0.1, 30, 40, 50, 60), plain,
            {120, -0.002, 3.2, 1.5, -1, -0.22}, "-+--++");
        row("RAAN 359 against 1", el(7000, 0.1, 30, 359, 50, 60), el(7000, 0.1, 30, 1, 50, 60), plain, {0, 0, 0, -2, 0, 0}, "+++-++");
        row("circles, argument of latitude", el(7000, 0, 30, 40, 10, 20), el(7000, 0, 30, 40, 25, 5),
            "a e i raan -argp arglat", {0, 0, 0, 0, 0, 0}, "++++++");
        row("equatorial, longitude of perigee", el(7000, 0.1, 0, 10, 20, 0), el(7000, 0.1, 0, 350, 41, 0),
            "a e i -raan lonperi ta", {0, 0, 0, 0, -1, 0}, "++++++");
        row("equatorial circles, 1 deg apart", el(7000, 0, 0, 10, 20, 30), el(7000, 0, 0, 0, 0, 61),
            "a e i -raan -argp truelon", {0, 0, 0, 0, 0, -1}, "++++++");
        row("equatorial circles, 2 deg apart", el(7000, 0, 0, 10, 20, 30), el(7000, 0, 0, 0, 0, 62),
            "a e i -raan -argp truelon", {0, 0, 0, 0, 0, -2}, "+++++-");
        // Retrograde, angles in the plane run the other way round the pole: 100 - (20 + 30) against 0 - 310.
        row("retrograde equatorial circles", el(7000, 0, 180, 100, 20, 30), el(7000, 0, 180, 0, 0, 310),
            "a e i -raan -argp truelon", {0, 0, 0, 0, 0, 0}, "++++++");
        // Only one near circle: the target's perigee is still there to reach.
        row("one circle", el(7000, 0.005, 30, 40, 90, 0), el(7000, 0.012, 30, 40, 50, 0), plain, {0, -0.007, 0, 0, 40, 0}, "++++-+");
        row("at the edge", el(7050, 0.11, 31, 40, 50, 0), el(7000, 0.1, 30, 40, 50, 0), plain, {50, 0.01, 1, 0, 0, 0}, "++++++");
        row("past the edge", el(7050.1, 0.1101, 31.01, 40, 50, 0), el(7000, 0.1, 30, 40, 50, 0), plain,
            {50.1, 0.0101, 1.01, 0, 0, 0}, "---+++");
    }

    void differences()
    {
        QFETCH(Elements, mine);
        QFETCH(Elements, target);
        QFETCH(QString, compared);
        QFETCH(QList<double>, values);
        QFETCH(QString, within);
        static const char *names[] = {"a", "e", "i", "raan", "argp", "lonperi", "ta", "arglat", "truelon"};
        const OrbitMatch m = compareOrbits(mine, target, {});
        QStringList have;
        for (int k = 0; k < 6; ++k) {
            const ElementDifference &d = m.elements[size_t(k)];
            have << (d.defined ? QString() : QStringLiteral("-")) + names[int(d.quantity)];
            QVERIFY2(std::abs(d.value - values[k]) < (k == 5 ? 0.005 : 1e-6), qPrintable(QString::number(d.value)));
            QCOMPARE(d.within ? u'+' : u'-', within[k]);
        }
        QCOMPARE(have.join(' '), compared);
        QCOMPARE(m.matched, !within.contains('-'));
    }

    void perigeeAndApogeeAltitudes()
    {
        // 7000 km, e 0.1: 6300 and 7700 km from the centre; 7100 km: 6390 and 7810.
        const OrbitMatch m = compareOrbits(el(7000, 0.1, 30, 40, 50, 60), el(7100, 0.1, 30, 40, 50, 60), {});
        QCOMPARE(qRound(m.perigeeAltitudeKm * 1000), -90000);
        QCOMPARE(qRound(m.apogeeAltitudeKm * 1000), -110000);
    }
};

QTEST_APPLESS_MAIN(TstAstroMatch)
#include "tst_match.moc"
