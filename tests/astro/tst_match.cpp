// Matching an orbit: differences worked out by hand, angles across 0/360,
// the angles a circle or an equatorial orbit leaves undefined, and the
// tolerance's edge.

#include "standin/astro/match.h"

#include <QtTest>

using namespace zep::astro;

Q_DECLARE_METATYPE(zep::astro::Elements)
Q_DECLARE_METATYPE(zep::astro::MatchTolerance)

namespace {

constexpr double kDeg = kPi / 180.0;

Elements el(double aKm, double e, double iDeg, double raanDeg, double argpDeg, double mDeg)
{
    return {aKm * 1000, e, iDeg * kDeg, raanDeg * kDeg, argpDeg * kDeg, mDeg * kDeg};
}

QString code(const ElementDifference &d)
{
    static const char *names[] = {"a", "e", "i", "raan", "argp", "lonperi", "ta", "arglat", "truelon"};
    return (d.defined ? QString() : QStringLiteral("-")) + QLatin1String(names[int(d.quantity)]);
}

} // namespace

class TstAstroMatch : public QObject {
    Q_OBJECT
private slots:
    void differences_data()
    {
        QTest::addColumn<Elements>("mine");
        QTest::addColumn<Elements>("target");
        QTest::addColumn<MatchTolerance>("tolerance");
        QTest::addColumn<QStringList>("compared");
        QTest::addColumn<QList<double>>("values");  // mine minus target; km, e, degrees
        QTest::addColumn<QString>("within");        // per slot: + within, - outside
        QTest::addColumn<bool>("matched");
        const MatchTolerance usual;
        const QStringList plain{"a", "e", "i", "raan", "argp", "ta"};
        QTest::newRow("same orbit") << el(7000, 0.1, 30, 40, 50, 60) << el(7000, 0.1, 30, 40, 50, 60) << usual << plain
                                    << QList<double>{0, 0, 0, 0, 0, 0} << "++++++" << true;
        QTest::newRow("each off") << el(7120, 0.098, 33.2, 41.5, 49, 60) << el(7000, 0.1, 30, 40, 50, 60) << usual << plain
                                  << QList<double>{120, -0.002, 3.2, 1.5, -1, -0.22} << "-+--++" << false;
        QTest::newRow("RAAN 359 against 1") << el(7000, 0.1, 30, 359, 50, 60) << el(7000, 0.1, 30, 1, 50, 60) << usual << plain
                                            << QList<double>{0, 0, 0, -2, 0, 0} << "+++-++" << false;
        QTest::newRow("RAAN 1 against 359, 2 deg allowed") << el(7000, 0.1, 30, 1, 50, 60) << el(7000, 0.1, 30, 359, 50, 60)
                                                           << MatchTolerance{50, 0.01, 2} << plain
                                                           << QList<double>{0, 0, 0, 2, 0, 0} << "++++++" << true;
        // Periapsis on both at M = 0 and M = 180: apoapsis, so true anomaly 180 against 0 too.
        QTest::newRow("true anomaly half a turn") << el(7000, 0.1, 30, 40, 50, 180) << el(7000, 0.1, 30, 40, 50, 0) << usual
                                                  << plain << QList<double>{0, 0, 0, 0, 0, 180} << "+++++-" << false;
        // Circles: the perigee is lost, argument of perigee + true anomaly is what shows.
        QTest::newRow("circles, argument of latitude") << el(7000, 0, 30, 40, 10, 20) << el(7000, 0, 30, 40, 25, 5) << usual
                                                       << QStringList{"a", "e", "i", "raan", "-argp", "arglat"}
                                                       << QList<double>{0, 0, 0, 0, 0, 0} << "++++++" << true;
        // In the equator the node is lost: RAAN + argument of perigee.
        QTest::newRow("equatorial, longitude of perigee") << el(7000, 0.1, 0, 10, 20, 0) << el(7000, 0.1, 0, 350, 41, 0) << usual
                                                          << QStringList{"a", "e", "i", "-raan", "lonperi", "ta"}
                                                          << QList<double>{0, 0, 0, 0, -1, 0} << "++++++" << true;
        QTest::newRow("equatorial circles, true longitude") << el(7000, 0, 0, 10, 20, 30) << el(7000, 0, 0, 0, 0, 61) << usual
                                                            << QStringList{"a", "e", "i", "-raan", "-argp", "truelon"}
                                                            << QList<double>{0, 0, 0, 0, 0, -1} << "++++++" << true;
        QTest::newRow("equatorial circles, 2 deg apart") << el(7000, 0, 0, 10, 20, 30) << el(7000, 0, 0, 0, 0, 62) << usual
                                                         << QStringList{"a", "e", "i", "-raan", "-argp", "truelon"}
                                                         << QList<double>{0, 0, 0, 0, 0, -2} << "+++++-" << false;
        // Retrograde in the equator: angles in the plane run the other way round
        // the pole, 100 - (20 + 30) against 0 - (0 + 310).
        QTest::newRow("retrograde equatorial circles") << el(7000, 0, 180, 100, 20, 30) << el(7000, 0, 180, 0, 0, 310) << usual
                                                       << QStringList{"a", "e", "i", "-raan", "-argp", "truelon"}
                                                       << QList<double>{0, 0, 0, 0, 0, 0} << "++++++" << true;
        // Only one circle: the target's perigee is still there to reach.
        QTest::newRow("one circle") << el(7000, 0.005, 30, 40, 90, 0) << el(7000, 0.012, 30, 40, 50, 0) << usual << plain
                                    << QList<double>{0, -0.007, 0, 0, 40, 0} << "++++-+" << false;
        QTest::newRow("a at the edge") << el(7050, 0.1, 30, 40, 50, 60) << el(7000, 0.1, 30, 40, 50, 60) << usual << plain
                                       << QList<double>{50, 0, 0, 0, 0, 0} << "++++++" << true;
        QTest::newRow("a past the edge") << el(7050.1, 0.1, 30, 40, 50, 60) << el(7000, 0.1, 30, 40, 50, 60) << usual << plain
                                         << QList<double>{50.1, 0, 0, 0, 0, 0} << "-+++++" << false;
        QTest::newRow("e and i at the edge") << el(7000, 0.11, 31, 40, 50, 0) << el(7000, 0.1, 30, 40, 50, 0) << usual << plain
                                             << QList<double>{0, 0.01, 1, 0, 0, 0} << "++++++" << true;
        QTest::newRow("e and i past the edge") << el(7000, 0.1101, 31.01, 40, 50, 0) << el(7000, 0.1, 30, 40, 50, 0) << usual
                                               << plain << QList<double>{0, 0.0101, 1.01, 0, 0, 0} << "+--+++" << false;
    }

    void differences()
    {
        QFETCH(Elements, mine);
        QFETCH(Elements, target);
        QFETCH(MatchTolerance, tolerance);
        QFETCH(QStringList, compared);
        QFETCH(QList<double>, values);
        QFETCH(QString, within);
        QFETCH(bool, matched);
        const OrbitMatch m = compareOrbits(mine, target, tolerance);
        for (int k = 0; k < 6; ++k) {
            const ElementDifference &d = m.elements[size_t(k)];
            QCOMPARE(code(d), compared[k]);
            // The mean anomaly of the ellipses differs from the true one: a little slack there.
            QVERIFY2(std::abs(d.value - values[k]) < (k == 5 ? 0.05 : 1e-6),
                     qPrintable(QStringLiteral("%1: %2 not %3").arg(compared[k]).arg(d.value).arg(values[k])));
            QCOMPARE(d.within ? u'+' : u'-', within[k]);
        }
        QCOMPARE(m.matched, matched);
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
