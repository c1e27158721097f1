// The words beside the aids, without a display: vector names, display names
// and the "Classical Orbit Elements" text.

#include "standin/view/aidtext.h"
#include "tests/view/viewtest.h"

#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(zep::astro::Elements)

using namespace zep;
using namespace zep::view;
using astro::Vec3;

using namespace viewtest;

class TstAidText : public QObject {
    Q_OBJECT
private slots:
    // ---------------------------------------------------------------- names

    void pathsNameTheAidVectors()
    {
        const std::pair<const char *, AidVector> rows[] = {
            {"CentralBody/Earth VernalEquinox Vector", AidVector::VernalEquinox},
            {"CentralBody/Earth Inertial_Z Vector", AidVector::InertialZ},
            {"Satellite/Satellite LineOfNodes Vector", AidVector::LineOfNodes},
            {"satellite/satellite PERIAPSIS vector", AidVector::Periapsis},   // any case
            {"Scenario/Velmora/Satellite/Satellite Position Vector", AidVector::Position},   // full path
            {"Satellite/Satellite Orbit_AngMomentum Vector", AidVector::AngularMomentum},
            {"Satellite/Satellite Velocity Vector", AidVector::Velocity},
            {"CentralBody/Earth Inertial Axes", AidVector::Unknown},   // axes are not vectors
            {"", AidVector::Unknown},
            {"Satellite/Satellite Sun Vector", AidVector::Unknown},
        };
        for (const auto &[path, vector] : rows)
            QVERIFY2(aidVectorForPath(QString::fromLatin1(path)) == vector, path);
    }

    void displayNamesReadAsWords()
    {
        const std::pair<const char *, const char *> rows[] = {
            {"Satellite/Satellite RAAN Angle", "RAAN"},
            {"Satellite/Satellite Argument_of_Perigee Angle", "Argument of Perigee"},
            {"Satellite/Satellite Inclination Angle", "Inclination"},
            {"Satellite/Satellite LineOfNodes Vector", "Line of Nodes"},
            {"Satellite/Satellite Orbit_AngMomentum Vector", "Orbit Angular Momentum"},
            {"Satellite/Satellite SunAngleOfAttack Angle", "Sun Angle of Attack"},   // camel case
        };
        for (const auto &[path, name] : rows)
            QCOMPARE(displayName(QString::fromLatin1(path)), QString::fromLatin1(name));
    }

    // ---------------------------------------------------------------- data display

    void dataDisplayReadsTheElementsBack()
    {
        const astro::Elements el = elements(7000, 0.1, 30, 40, 50, 60);
        // True anomaly for M = 60 deg, e = 0.1 by plain Newton iteration here.
        double E = el.meanAnomaly;
        for (int k = 0; k < 50; ++k)
            E -= (E - el.e * std::sin(E) - el.meanAnomaly) / (1 - el.e * std::cos(E));
        const double nu = 2 * std::atan(std::sqrt((1 + el.e) / (1 - el.e)) * std::tan(E / 2)) / kDeg;
        const QStringList lines = classicalElementsLines(astro::toState(el), at("1 Jul 2005 12:00:00.00"));
        QCOMPARE(lines.value(0), QStringLiteral("Time: 1 Jul 2005 12:00:00.00 UTC"));
        QVERIFY(lines.contains(QStringLiteral("Semi-major Axis: 7000.000 km")));
        QVERIFY(lines.contains(QStringLiteral("Eccentricity: 0.100000")));
        QVERIFY(lines.contains(QStringLiteral("Inclination: 30.000 deg")));
        QVERIFY(lines.contains(QStringLiteral("RAAN: 40.000 deg")));
        QVERIFY(lines.contains(QStringLiteral("Arg of Perigee: 50.000 deg")));
        QVERIFY2(lines.contains(QStringLiteral("True Anomaly: %1 deg").arg(nu, 0, 'f', 3)), qPrintable(lines.join('|')));
    }

    void dataDisplayReadsOut_data()
    {
        // By hand: altitudes a(1 -+ e) - 6378.137 km, period 2 pi sqrt(a^3 / mu),
        // speed sqrt(mu (2 / r - 1 / a)) with mu = 398600.4418 km^3/s^2.
        QTest::addColumn<astro::Elements>("el");
        QTest::addColumn<QStringList>("want");
        QTest::newRow("a = 7000 km, e = 0.01, at perigee")
            << elements(7000, 0.01, 30, 40, 50, 0)
            << QStringList{"Perigee Altitude: 551.863 km", "Apogee Altitude: 691.863 km", "Period: 97.142 min",
                           "Altitude: 551.863 km", "Speed: 7.622 km/s"};
        QTest::newRow("the same at apogee")
            << elements(7000, 0.01, 30, 40, 50, 180)
            << QStringList{"Perigee Altitude: 551.863 km", "Apogee Altitude: 691.863 km", "Period: 97.142 min",
                           "Altitude: 691.863 km", "Speed: 7.471 km/s"};
        QTest::newRow("start-up circle, 6582 km")
            << elements(6582, 0, 0, 0, 0, 123)
            << QStringList{"Perigee Altitude: 203.863 km", "Apogee Altitude: 203.863 km", "Period: 88.572 min",
                           "Altitude: 203.863 km", "Speed: 7.782 km/s"};
        QTest::newRow("geostationary") << elements(42164, 0, 0, 0, 0, 0)
                                       << QStringList{"Perigee Altitude: 35785.863 km", "Apogee Altitude: 35785.863 km",
                                                      "Period: 1436.060 min", "Altitude: 35785.863 km",
                                                      "Speed: 3.075 km/s"};
    }

    void dataDisplayReadsOut()
    {
        QFETCH(astro::Elements, el);
        QFETCH(QStringList, want);
        const QStringList lines = classicalElementsLines(astro::toState(el), at("1 Jul 2005 12:00:00.00"));
        // After the elements, in this order.
        QCOMPARE(lines.mid(lines.size() - want.size()), want);
        QVERIFY(lines.filter(QStringLiteral("True Anomaly")).size() == 1);
    }

    void dataDisplayNeverPrints360()
    {
        // RAAN a hair below a full turn reads as 0, not 360.000.
        astro::Elements el = elements(8000, 0.1, 50, 0, 30, 10);
        el.raan = 2 * astro::kPi - 1e-13;
        const QStringList lines = classicalElementsLines(astro::toState(el), at("1 Jul 2005 12:00:00.00"));
        QVERIFY2(lines.contains(QStringLiteral("RAAN: 0.000 deg")), qPrintable(lines.join('|')));
    }

    void dataDisplayMarksUndefinedAngles()
    {
        const QStringList lines = classicalElementsLines(astro::toState(elements(6582, 0, 0, 0, 0, 0)), at("1 Jul 2005 12:00:00.00"));
        QVERIFY(lines.contains(QStringLiteral("Semi-major Axis: 6582.000 km")));
        QVERIFY(lines.contains(QStringLiteral("RAAN: 0.000 deg (undefined, i = 0)")));
        QVERIFY(lines.contains(QStringLiteral("Arg of Perigee: 0.000 deg (undefined, e = 0)")));
        QVERIFY(lines.filter(QStringLiteral("True Anomaly")).value(0).contains(QStringLiteral("from the x axis")));
        // No orbit at all is said in words, not as numbers.
        const QStringList none = classicalElementsLines(astro::State{}, at("1 Jul 2005 12:00:00.00"));
        QCOMPARE(none.size(), 2);
        QVERIFY(!none.join(' ').contains(QStringLiteral("nan"), Qt::CaseInsensitive));
    }
};

QTEST_APPLESS_MAIN(TstAidText)
#include "tst_aidtext.moc"
