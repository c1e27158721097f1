// The element set's rows, the anomaly conversion and the preset writes.
#include "orbit/elements.h"
#include "orbit/numbers.h"
#include "orbit/presets.h"

#include <QtTest>

#include "exact.h"

#include <cmath>
#include <limits>

using namespace velmora::orbit;

namespace {

const double kPi = 4.0 * std::atan(1.0);

QString describe(std::span<const ScrollWrite> writes)
{
    static const char *const names[] = {"Max", "Min", "Value", "Enabled"};
    QStringList parts;
    for (const ScrollWrite &w : writes)
        parts << QStringLiteral("%1 %2 %3").arg(rowIndex(w.row)).arg(QLatin1String(names[int(w.member)])).arg(w.value);
    return parts.join(QStringLiteral(", "));
}

} // namespace

class TstOrbitElements : public QObject {
    Q_OBJECT
private slots:
    void rowsAddressTheirFields();
    void meanAnomaly_data();
    void meanAnomaly();
    void presetWrites_data();
    void presetWrites();
};

void TstOrbitElements::rowsAddressTheirFields()
{
    OrbitElements el;
    for (int row = 0; row < kElementRows; ++row)
        elementField(el, Row(row)) = float(row + 1);
    QCOMPARE_EXACT(el.SemimajorAxis, 1.0f);
    QCOMPARE_EXACT(el.Eccentricity, 2.0f);
    QCOMPARE_EXACT(el.Inclination, 3.0f);
    QCOMPARE_EXACT(el.ArgumentOfPerigee, 4.0f);
    QCOMPARE_EXACT(el.RAAN, 5.0f);
    QCOMPARE_EXACT(el.TrueAnomaly, 6.0f);
    // The derived anomalies are no editable row.
    QCOMPARE_EXACT(el.EccentricAnomaly, 0.0f);
    QCOMPARE_EXACT(el.MeanAnomaly, 0.0f);
    const OrbitElements &view = el;
    QCOMPARE_EXACT(elementField(view, Row::ArgumentOfPerigee), 4.0f);
}

void TstOrbitElements::meanAnomaly_data()
{
    QTest::addColumn<float>("e");
    QTest::addColumn<float>("nu");
    QTest::addColumn<double>("pi");
    QTest::addColumn<float>("E");   // 7, the value before, where a step failed
    QTest::addColumn<QString>("M"); // 8, the value before, where a step failed

    QTest::newRow("circular, at perigee") << 0.0f << 0.0f << kPi << 0.0f << "0";
    QTest::newRow("nu 90, e 0.5") << 0.5f << 90.0f << kPi << 1.0471976f << "35.1902";
    QTest::newRow("nu 270, e 0.5 is negative") << 0.5f << 270.0f << kPi << -1.0471976f << "-35.1902";
    QTest::newRow("nu 180, e 0.5") << 0.5f << 180.0f << kPi << 3.1415927f << "180";
    QTest::newRow("nu 270, circular") << 0.0f << 270.0f << kPi << -1.5707964f << "-90";
    QTest::newRow("nu 360, circular leaves a tiny negative")
        << 0.0f << 360.0f << kPi << -2.4492937e-16f << "-1.403342E-14";
    QTest::newRow("near parabolic") << 0.999f << 179.9f << kPi << 3.0635929f << "171.0709";
    QTest::newRow("e 1 collapses E") << 1.0f << 90.0f << kPi << 0.0f << "0";
    QTest::newRow("negative e inside the domain") << -0.5f << 90.0f << kPi << 2.0943952f << "144.8098";

    // A failing step stores nothing.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("e above 1: root of a negative") << 1.5f << 90.0f << kPi << 7.0f << "8";
    QTest::newRow("e -1: division by zero") << -1.0f << 90.0f << kPi << 7.0f << "8";
    QTest::newRow("e below -1: root of a negative") << -1.5f << 90.0f << kPi << 7.0f << "8";
    QTest::newRow("e nan") << nan << 90.0f << kPi << 7.0f << "8";
    QTest::newRow("e infinite") << inf << 90.0f << kPi << 7.0f << "8";
    QTest::newRow("nu infinite") << 0.5f << inf << kPi << 7.0f << "8";
    QTest::newRow("nu nan") << 0.5f << nan << kPi << 7.0f << "8";
    // E is stored, then the mean anomaly step divides by zero.
    QTest::newRow("pi zero") << 0.5f << 90.0f << 0.0 << 0.0f << "8";
}

void TstOrbitElements::meanAnomaly()
{
    QFETCH(float, e);
    QFETCH(float, nu);
    QFETCH(double, pi);
    QFETCH(float, E);
    QFETCH(QString, M);
    OrbitElements el;
    el.Eccentricity = e;
    el.TrueAnomaly = nu;
    el.EccentricAnomaly = 7.0f;
    el.MeanAnomaly = 8.0f;
    UpdateMeanAnomaly(el, pi);
    QCOMPARE_EXACT(el.EccentricAnomaly, E);
    QCOMPARE(SingleToText(el.MeanAnomaly), M);
    // The other elements are not the conversion's business.
    QCOMPARE_EXACT(el.SemimajorAxis, 0.0f);
    QCOMPARE_EXACT(el.Eccentricity, e);
    QCOMPARE_EXACT(el.TrueAnomaly, nu);
}

void TstOrbitElements::presetWrites_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");    // empty: no preset
    QTest::addColumn<QString>("writes");  // the true anomaly is never written

    const QString common = QStringLiteral("3 Max 3600, 3 Min 0, 4 Enabled 1");
    QTest::newRow("Custom Orbit") << 0 << "Custom Orbit"
        << "0 Max 50000, 0 Min 6578, 0 Enabled 1, 1 Max 999, 1 Min 0, 1 Enabled 1, "
           "2 Max 1799, 2 Min 0, 2 Enabled 1, " + common;
    QTest::newRow("Low Earth Orbit") << 1 << "Low Earth Orbit"
        << "0 Max 16764, 0 Min 6578, 0 Value 6578, 0 Enabled 1, "
           "1 Max 500, 1 Min 0, 1 Value 0, 1 Enabled 1, 2 Max 1799, 2 Min 0, 2 Enabled 1, " + common;
    QTest::newRow("Medium Earth Orbit") << 2 << "Medium Earth Orbit"
        << "0 Max 34870, 0 Min 16764, 0 Value 16764, 0 Enabled 1, "
           "1 Max 100, 1 Min 0, 1 Value 0, 1 Enabled 1, 2 Max 1799, 2 Min 0, 2 Enabled 1, " + common;
    QTest::newRow("Highly Elliptical Orbit") << 3 << "Highly Elliptical Orbit"
        << "0 Max 27052, 0 Min 26065, 0 Value 26065, 0 Enabled 1, "
           "1 Max 750, 1 Min 600, 1 Value 600, 1 Enabled 1, "
           "2 Max 660, 2 Min 620, 2 Value 630, 2 Enabled 1, "
           "3 Max 2900, 3 Min 2500, 3 Value 2700, 4 Enabled 1";
    QTest::newRow("Geostationary Orbit") << 4 << "Geostationary Orbit"
        << "0 Max 50000, 0 Min 6578, 0 Value 42164, 0 Enabled 0, "
           "1 Max 100, 1 Min 0, 1 Value 0, 1 Enabled 0, "
           "2 Max 1799, 2 Min 0, 2 Value 0, 2 Enabled 0, " + common;
    QTest::newRow("GPS Constellation Orbit") << 5 << "GPS Constellation Orbit"
        << "0 Max 50000, 0 Min 6578, 0 Value 26560, 0 Enabled 0, "
           "1 Max 999, 1 Min 0, 1 Value 0, 1 Enabled 0, "
           "2 Max 1799, 2 Min 0, 2 Value 551, 2 Enabled 0, " + common;
    QTest::newRow("below the list") << -1 << "" << "";
    QTest::newRow("after the list") << 6 << "" << "";
    QTest::newRow("smallest index") << std::numeric_limits<int>::min() << "" << "";
}

void TstOrbitElements::presetWrites()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QString, writes);
    QCOMPARE(presetNames().value(index), name);
    QCOMPARE(describe(velmora::orbit::presetWrites(index)), writes);
}

QTEST_GUILESS_MAIN(TstOrbitElements)
#include "tst_orbit_elements.moc"
