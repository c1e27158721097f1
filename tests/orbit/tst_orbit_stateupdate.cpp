// The state update against the recording host: commands in order, the period
// label and the satellite colour.
#include "host/hostlink.h"
#include "host/orbitupdate.h"
#include "orbit/numbers.h"
#include "orbit/stateupdate.h"
#include "tests/support/fakehost.h"

#include <QtTest>

#include "exact.h"

#include <array>
#include <cmath>
#include <limits>

using namespace velmora;
using namespace velmora::orbit;
using velmora::testing::FakeHost;
using velmora::testing::RecordingNotice;

namespace {

const QString kUnchanged = QStringLiteral("(unchanged)");
const QString kQueries[] = {QStringLiteral("GetTimePeriod Scenario/Velmora"),
                            QStringLiteral("GetEpoch Scenario/Velmora")};
const QString kStatePrefix = QStringLiteral(
    "SetState Scenario/Velmora/Satellite/Satellite Classical TwoBody "
    "\"1 Jul 2005 12:00:00.00\" \"4 Jul 2005 12:00:00.00\" 60 J2000 \"1 Jul 2005 12:00:00.00\"");
const QString kAttrType = QStringLiteral("Graphics Scenario/Velmora/Satellite/Satellite SetAttrType Basic");

QString colorCommand(const QString &color)
{
    return QStringLiteral("Graphics Scenario/Velmora/Satellite/Satellite Basic Color ") + color;
}

class FakeDisplay : public host::OrbitDisplay {
public:
    QString axisText = QStringLiteral("6582");
    QString caption = kUnchanged;
    QString semimajorAxisText() const override { return axisText; }
    void setOrbitPeriodCaption(const QString &text) override { caption = text; }
};

// A connected link whose host has answered once, so later failures are tolerated.
struct Rig {
    FakeHost host;
    RecordingNotice notice;
    host::HostLink link{host, notice};
    FakeDisplay display;
    QString color;

    explicit Rig(bool warmUp = true)
    {
        link.ConnectToHost();
        if (warmUp)
            link.SendHostCommand(QStringLiteral("GetZEPVersion /"));
        host.commands.clear();
    }
    void apply(const OrbitElements &el) { host::ApplyOrbit(link, el, color, display); }
};

OrbitElements startupOrbit()
{
    OrbitElements el;
    el.SemimajorAxis = 6582;
    return el;
}

} // namespace

class TstOrbitStateUpdate : public QObject {
    Q_OBJECT
private slots:
    void periodCaption_data();
    void periodCaption();

    void transcript_data();
    void transcript();
    void redYellowAlternateAtGeostationaryWithLowPerigee();
    void secondCallWithoutChangeSendsThree();
    void perigeeOnTheEarthRadius_data();
    void perigeeOnTheEarthRadius();

    void commasGoBlanksAndQuotesStay();
    void failedQueriesLeaveEmptyPlaces_data();
    void failedQueriesLeaveEmptyPlaces();
    void refusedColourIsSentAgain();
    void fatalFailureStopsEverything();
};

void TstOrbitStateUpdate::periodCaption_data()
{
    QTest::addColumn<QString>("axis");
    QTest::addColumn<QString>("caption");  // empty: no caption

    // The plain cases are in the transcripts below.
    QTest::newRow("negative zero") << "-0" << ".00 min";
    QTest::newRow("below a minute") << "100" << ".17 min";
    QTest::newRow("read in double, not as the field") << "6378.13720703125" << "84.48 min";
    QTest::newRow("exponent form") << "4.2164E+04" << "1435.95 min";
    QTest::newRow("blanks around") << " 6582 " << "88.57 min";
    QTest::newRow("no thousands separator") << "1e5" << "5244.79 min";
    QTest::newRow("cube overflows") << "1E200" << "";
    QTest::newRow("beyond double") << "1E400" << "";
}

void TstOrbitStateUpdate::periodCaption()
{
    QFETCH(QString, axis);
    QFETCH(QString, caption);
    const std::optional<QString> got = orbitPeriodCaption(axis);
    QCOMPARE(got.value_or(QString()), caption);
}

void TstOrbitStateUpdate::transcript_data()
{
    QTest::addColumn<float>("a");
    QTest::addColumn<float>("e");
    QTest::addColumn<float>("i");
    QTest::addColumn<float>("omega");
    QTest::addColumn<float>("M");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("colorBefore");
    QTest::addColumn<QString>("numbers");  // empty: no state command
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("newColor");  // empty: no colour commands

    const auto row = [](const char *name, std::array<float, 5> el, const char *box,
                        const char *before, const char *numbers, const QString &caption,
                        const char *color) {
        QTest::newRow(name) << el[0] << el[1] << el[2] << el[3] << el[4] << QString(box)
                            << QString(before) << QString(numbers) << caption << QString(color);
    };
    row("start-up orbit turns white", {6582, 0, 0, 0, 0}, "6582", "", " 6582000 0 0 0 0 0",
        "88.57 min", "White");
    row("start-up orbit already white", {6582, 0, 0, 0, 0}, "6582", "White",
        " 6582000 0 0 0 0 0", "88.57 min", "");
    row("geostationary turns yellow", {42164, 0, 0, 0, 0}, "42164", "White",
        " 4.2164E+07 0 0 0 0 0", "1435.95 min", "Yellow");
    row("medium earth", {16764, 0, 0, 0, 0}, "16764", "White", " 1.6764E+07 0 0 0 0 0",
        "359.99 min", "");
    row("GPS after geostationary", {26560, 0, 55.1f, 0, 0}, "26560", "Yellow",
        " 2.656E+07 0 55.1 0 0 0", "717.91 min", "White");
    row("highly elliptical stays white", {26065, 0.6f, 63, 270, 0}, "26065", "White",
        " 2.6065E+07 0.6 63 270 0 0", "697.93 min", "");
    row("low perigee turns red", {6578, 0.05f, 0, 0, 0}, "6578", "White",
        " 6578000 0.05 0 0 0 0", "88.48 min", "Red");
    row("circular again turns white", {6578, 0, 0, 0, 0}, "6578", "Red", " 6578000 0 0 0 0 0",
        "88.48 min", "White");
    row("axis 0 is below the surface", {0, 0, 0, 0, 0}, "0", "White", " 0 0 0 0 0 0",
        ".00 min", "Red");
    row("tiny negative mean anomaly", {6582, 0, 0, 0, -1.4033419e-14f}, "6582", "White",
        " 6582000 0 0 0 0 -1.403342E-14", "88.57 min", "");
    row("negative mean anomaly as it is", {6582, 0.5f, 0, 0, -35.1902f}, "6582", "Red",
        " 6582000 0.5 0 0 0 -35.1902", "88.57 min", "");
    row("typed axis out of range is sent as typed", {7, 0, 0, 0, 0}, "7", "White",
        " 7000 0 0 0 0 0", ".00 min", "Red");
    // The box is no number: state still sent, label and colour kept.
    for (const char *box : {"", "abc", "-6582"})
        row(qPrintable(QStringLiteral("box '%1'").arg(box)), {6582, 0, 0, 0, 0}, box,
            *box ? "Red" : "", " 6582000 0 0 0 0 0", kUnchanged, "");
    // A state that cannot be written is not sent; the step fails after the
    // queries and nothing later runs.
    const float inf = std::numeric_limits<float>::infinity();
    row("metres overflow single", {1e36f, 0, 0, 0, 0}, "6582", "", "", kUnchanged, "");
    row("infinite axis", {inf, 0, 0, 0, 0}, "6582", "", "", kUnchanged, "");
    row("nan mean anomaly", {6582, 0, 0, 0, std::numeric_limits<float>::quiet_NaN()}, "6582", "", "",
        kUnchanged, "");
}

void TstOrbitStateUpdate::transcript()
{
    QFETCH(float, a);
    QFETCH(float, e);
    QFETCH(float, i);
    QFETCH(float, omega);
    QFETCH(float, M);
    QFETCH(QString, box);
    QFETCH(QString, colorBefore);
    QFETCH(QString, numbers);
    QFETCH(QString, caption);
    QFETCH(QString, newColor);

    Rig rig;
    rig.display.axisText = box;
    rig.color = colorBefore;
    OrbitElements el;
    el.SemimajorAxis = a;
    el.Eccentricity = e;
    el.Inclination = i;
    el.ArgumentOfPerigee = omega;
    el.MeanAnomaly = M;
    rig.apply(el);

    QStringList expected{kQueries[0], kQueries[1]};
    if (!numbers.isEmpty())
        expected << kStatePrefix + numbers;
    if (!newColor.isEmpty())
        expected << kAttrType << colorCommand(newColor);
    QCOMPARE(rig.host.commands, expected);
    QCOMPARE(rig.display.caption, caption);
    QCOMPARE(rig.color, newColor.isEmpty() ? colorBefore : newColor);
    QCOMPARE(rig.notice.endings, 0);
}

void TstOrbitStateUpdate::redYellowAlternateAtGeostationaryWithLowPerigee()
{
    Rig rig;
    rig.display.axisText = QStringLiteral("42164");
    rig.color = QStringLiteral("White");
    OrbitElements el;
    el.SemimajorAxis = 42164;
    el.Eccentricity = 0.9f;  // r_p about 4216 km
    for (const QString color : {"Red", "Yellow", "Red", "Yellow"}) {
        rig.host.commands.clear();
        rig.apply(el);
        QCOMPARE(rig.host.commands.size(), 5);
        QCOMPARE(rig.host.commands.at(3), kAttrType);
        QCOMPARE(rig.host.commands.at(4), colorCommand(color));
        QCOMPARE(rig.color, color);
    }
}

void TstOrbitStateUpdate::secondCallWithoutChangeSendsThree()
{
    Rig rig;
    const OrbitElements el = startupOrbit();
    rig.apply(el);
    QCOMPARE(rig.host.commands.size(), 5);
    rig.host.commands.clear();
    rig.display.caption.clear();
    rig.apply(el);
    QCOMPARE(rig.host.commands,
             (QStringList{kQueries[0], kQueries[1], kStatePrefix + " 6582000 0 0 0 0 0"}));
    QCOMPARE(rig.display.caption, QStringLiteral("88.57 min"));
    // Queried on every call, never cached: a changed epoch is picked up.
    rig.host.replies[kQueries[1]] = QStringList{QStringLiteral("2 Jul 2005 00:00:00.00")};
    rig.host.commands.clear();
    rig.apply(el);
    QVERIFY(rig.host.commands.at(2).contains(QStringLiteral("J2000 \"2 Jul 2005 00:00:00.00\" ")));
}

void TstOrbitStateUpdate::perigeeOnTheEarthRadius_data()
{
    QTest::addColumn<float>("a");
    QTest::addColumn<QString>("colorBefore");
    QTest::addColumn<QString>("newColor");

    const float R = 6378.137f;
    QCOMPARE_EXACT(double(R), 6378.13720703125);
    for (const char *before : {"", "Red", "Yellow", "White"}) {
        QTest::addRow("exactly on it, was '%s'", before) << R << QString(before) << QString();
    }
    QTest::newRow("one step below") << std::nextafter(R, 0.0f) << "White" << "Red";
    QTest::newRow("one step above") << std::nextafter(R, 1e6f) << "Red" << "White";
}

void TstOrbitStateUpdate::perigeeOnTheEarthRadius()
{
    QFETCH(float, a);
    QFETCH(QString, colorBefore);
    QFETCH(QString, newColor);
    Rig rig;
    rig.display.axisText = SingleToText(a);
    rig.color = colorBefore;
    OrbitElements el;
    el.SemimajorAxis = a;
    rig.apply(el);
    QCOMPARE(rig.host.commands.size(), newColor.isEmpty() ? 3 : 5);
    if (!newColor.isEmpty())
        QCOMPARE(rig.host.commands.last(), colorCommand(newColor));
    QCOMPARE(rig.display.caption, QStringLiteral("84.48 min"));
}

void TstOrbitStateUpdate::commasGoBlanksAndQuotesStay()
{
    Rig rig;
    rig.color = QStringLiteral("White");
    rig.host.replies[kQueries[0]] =
        QStringList{QStringLiteral(" \"1 Jul, 2005 12:00\" ,  \"2 Jul 2005\",,")};
    rig.apply(startupOrbit());
    QCOMPARE(rig.host.commands.at(2),
             QStringLiteral("SetState Scenario/Velmora/Satellite/Satellite Classical TwoBody "
                            " \"1 Jul 2005 12:00\"   \"2 Jul 2005\" 60 J2000 "
                            "\"1 Jul 2005 12:00:00.00\" 6582000 0 0 0 0 0"));
}

void TstOrbitStateUpdate::failedQueriesLeaveEmptyPlaces_data()
{
    QTest::addColumn<bool>("periodFails");
    QTest::addColumn<bool>("epochFails");
    QTest::addColumn<QString>("state");

    const QString head = QStringLiteral("SetState Scenario/Velmora/Satellite/Satellite Classical TwoBody ");
    const QString period = QStringLiteral("\"1 Jul 2005 12:00:00.00\" \"4 Jul 2005 12:00:00.00\"");
    const QString tail = QStringLiteral(" 6582000 0 0 0 0 0");
    QTest::newRow("time period") << true << false
                                 << head + " 60 J2000 \"1 Jul 2005 12:00:00.00\"" + tail;
    QTest::newRow("epoch") << false << true << head + period + " 60 J2000 \"\"" + tail;
    QTest::newRow("both") << true << true << head + " 60 J2000 \"\"" + tail;
}

void TstOrbitStateUpdate::failedQueriesLeaveEmptyPlaces()
{
    QFETCH(bool, periodFails);
    QFETCH(bool, epochFails);
    QFETCH(QString, state);
    Rig rig;
    rig.color = QStringLiteral("Red");
    if (periodFails)
        rig.host.failing << kQueries[0];
    if (epochFails)
        rig.host.failing << kQueries[1];
    rig.apply(startupOrbit());
    QCOMPARE(rig.host.commands,
             (QStringList{kQueries[0], kQueries[1], state, kAttrType, colorCommand("White")}));
    QCOMPARE(rig.display.caption, QStringLiteral("88.57 min"));
    QCOMPARE(rig.color, QStringLiteral("White"));
    QCOMPARE(rig.notice.endings, 0);
}

void TstOrbitStateUpdate::refusedColourIsSentAgain()
{
    Rig rig;
    rig.color = QStringLiteral("Red");
    rig.host.failing << colorCommand("White");
    rig.apply(startupOrbit());
    QCOMPARE(rig.host.commands.size(), 5);
    // The host was not told, so the colour is not taken as sent.
    QCOMPARE(rig.color, QStringLiteral("Red"));

    rig.host.failing.clear();
    rig.host.commands.clear();
    rig.apply(startupOrbit());
    QCOMPARE(rig.host.commands.mid(3), (QStringList{kAttrType, colorCommand("White")}));
    QCOMPARE(rig.color, QStringLiteral("White"));
}

void TstOrbitStateUpdate::fatalFailureStopsEverything()
{
    Rig rig(false);
    rig.host.failing << kQueries[0];
    rig.apply(startupOrbit());
    QCOMPARE(rig.host.commands, QStringList{kQueries[0]});
    QCOMPARE(rig.notice.endings, 1);
    QVERIFY(rig.link.ended());
    QCOMPARE(rig.display.caption, kUnchanged);
    QCOMPARE(rig.color, QString());
    // An ended link sends nothing more.
    rig.host.commands.clear();
    rig.apply(startupOrbit());
    QVERIFY(rig.host.commands.isEmpty());
    QCOMPARE(rig.display.caption, kUnchanged);
    QCOMPARE(rig.color, QString());
    QCOMPARE(rig.notice.endings, 1);
}

QTEST_GUILESS_MAIN(TstOrbitStateUpdate)
#include "tst_orbit_stateupdate.moc"
