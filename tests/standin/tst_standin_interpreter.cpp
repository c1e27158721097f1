// The host's command language: every command the toolbar sends, its effect on
// the published scenario, its replies, and the refusals.

#include "standin/model/interpreter.h"

#include <QTest>

#include <cmath>

using namespace zep;

namespace {

const QString Q = QStringLiteral("\"");
const QString kStart = QStringLiteral("1 Jul 2005 12:00:00.00");
const QString kStop = QStringLiteral("4 Jul 2005 12:00:00.00");
const QString kSat = QStringLiteral("Scenario/Velmora/Satellite/Satellite");

QString showAxes(const QString &path)
{
    return "VO * SetVectorGeometry Modify " + Q + path + Q + " Show On ShowLabel On Color " + Q + "Yellow" + Q;
}
QString hideAxes(const QString &path)
{
    return "VO * SetVectorGeometry Modify " + Q + path + Q + " Show Off Color " + Q + "Yellow" + Q;
}
QString visibility(const QString &verb, const QString &path, const QString &colour, const QString &on)
{
    return "VO * SetVectorGeometry " + verb + " " + Q + path + Q + " ShowLabel On Color " + colour + " Show " + on;
}
QString angle(const QString &prefix, const QStringList &vectors)
{
    QString line = prefix + Q + "Between Vectors" + Q;
    for (const QString &v : vectors)
        line += " " + Q + v + Q;
    return line;
}

// The scenario preparation, the window arrangement's commands and the
// start-up's view commands, in the order the toolbar sends them.
QStringList preparation()
{
    return {
        "New / Scenario Velmora",
        "SetTimePeriod Scenario/Velmora " + Q + kStart + Q + " " + Q + kStop + Q,
        "Animate Scenario/Velmora SetValues " + Q + kStart + Q + " 60 1 " + Q + kStop + Q,
        "Animate Scenario/Velmora SetRefreshMode HighSpeed",
        "SetEpoch Scenario/Velmora " + Q + kStart + Q,
        "VO Scenario/Velmora Grids Space ShowECI On ECIColor green ShowRadial On",
        "VO Scenario/Velmora Annotation Time Show Off",
        "VO Scenario/Velmora Annotation Time ShowTimeStep Off",
        "VO Scenario/Velmora Annotation Frame Show Off",
        "Application / Statusbar Hide",
        "New / Scenario/Velmora/Satellite Satellite",
        "VO Scenario/Velmora/Satellite/Satellite Pass OrbitLead All",
        "VO Scenario/Velmora/Satellite/Satellite DynDataText DataDisplay " + Q + "Classical Orbit Elements" + Q + " Show On",
        "ConControl / VerboseOff AckOff",
        "Application / ToolBar Hide " + Q + "*" + Q,
        "Application / ToolBar Show " + Q + "Animation" + Q,
        "Application / MenuBar Hide",
        "Application / StatusBar Hide",
        showAxes("CentralBody/Earth Inertial Axes"),
        hideAxes("CentralBody/Earth Fixed Axes"),
        "VO Scenario/Velmora View NextReferenceFrame",
        "Vo * ViewerPosition 30 0 100000000",
        "VO Scenario/Velmora View NextReferenceFrame",
    };
}

QStringList aids(const QString &verb, const QString &on)
{
    return {
        hideAxes("CentralBody/Earth Inertial Axes"),
        hideAxes("CentralBody/Earth Fixed Axes"),
        "VO * SetVectorGeometry Modify " + Q + "CentralBody/Earth VernalEquinox Vector" + Q + " ShowLabel On Color White Show " + on,
        "VectorTool * Earth Create Vector Inertial_Z " + Q + "Fixed in Axes" + Q + " Cartesian 0 0 1 " + Q + "CentralBody/Earth Inertial" + Q,
        visibility(verb, "CentralBody/Earth Inertial_Z Vector", "White", on),
        visibility(verb, "Satellite/Satellite LineOfNodes Vector", "White", on),
        visibility(verb, "Satellite/Satellite Periapsis Vector", "White", on),
        visibility(verb, "Satellite/Satellite Position Vector", "White", on),
        visibility(verb, "Satellite/Satellite Orbit_AngMomentum Vector", "White", on),
        angle("VectorTool * Satellite/Satellite Create Angle RAAN ",
              {"CentralBody/Earth VernalEquinox Vector", "Satellite/Satellite LineOfNodes Vector", "CentralBody/Earth Inertial_Z Vector"}),
        visibility(verb, "Satellite/Satellite RAAN Angle", "Yellow", on),
        angle("VectorTool * Satellite/Satellite Create Angle Argument_of_Perigee ",
              {"Satellite/Satellite LineOfNodes Vector", "Satellite/Satellite Periapsis Vector", "Satellite/Satellite Orbit_AngMomentum Vector"}),
        visibility(verb, "Satellite/Satellite Argument_of_Perigee Angle", "Red", on),
        angle("VectorTool * Satellite/Satellite Create Angle Inclination ",
              {"CentralBody/Earth Inertial_Z Vector", "Satellite/Satellite Orbit_AngMomentum Vector"}),
        visibility(verb, "Satellite/Satellite Inclination Angle", "Blue", on),
    };
}

QString stateCommand(const QString &elements)
{
    return "SetState " + kSat + " Classical TwoBody " + Q + kStart + Q + " " + Q + kStop + Q + " 60 J2000 " + Q + kStart + Q + " " + elements;
}

struct Host {
    ScenarioStore store;
    CommandInterpreter interpreter{store};

    CommandOutcome run(const QString &line) { return interpreter.execute(line); }
    bool runAll(const QStringList &lines)
    {
        for (const QString &line : lines) {
            const CommandOutcome out = run(line);
            if (!out.ok) {
                qWarning("refused: %s: %s", qPrintable(line), qPrintable(out.error));
                return false;
            }
        }
        return true;
    }
    SnapshotPtr s() const { return store.snapshot(); }
    const GeometryItem item(const QString &path) const { return s()->geometry.value(path.toLower()); }
};

} // namespace

class InterpreterTest : public QObject {
    Q_OBJECT
private slots:
    void acceptsEveryToolbarCommand();
    void scenarioPreparationEffects();
    void handOverEffects();
    void queries();
    void timePeriodReplyFeedsTheStateCommand();
    void stateCommandStoresElements();
    void refusals_data();
    void refusals();
    void refusalLeavesOrbitAndRevision();
    void keywordsIgnoreCase();
    void secondScenarioFails();
    void frameCyclesBetweenTwo();
    void barRequestsGoToTheGui_data();
    void barRequestsGoToTheGui();
    void geometryAidsOnAndOff();
    void repeatedDefinitions();
    void versionText();
};

void InterpreterTest::acceptsEveryToolbarCommand()
{
    Host host;
    QCOMPARE(host.run("CheckScenario /").reply, QStringList{"0"});
    QVERIFY(host.runAll(preparation()));
    QVERIFY(host.runAll({stateCommand("6582000 0 0 0 0 0"),
                         "Graphics " + kSat + " SetAttrType Basic",
                         "Graphics " + kSat + " Basic Color White"}));
    QVERIFY(host.runAll(aids("Add", "On")));
    QVERIFY(host.runAll(aids("Modify", "Off")));
    QVERIFY(host.runAll(aids("Modify", "On")));
    QVERIFY(host.runAll({
        "Application / ToolBar Show " + Q + "*" + Q,
        "Application / Statusbar Show",
        "Application / MenuBar Show",
        "VO Scenario/Velmora Annotation Time Show On",
        "VO Scenario/Velmora Annotation Time ShowTimeStep On",
        "VO Scenario/Velmora Annotation Frame Show On",
        "GetZEPVersion /",
    }));
}

void InterpreterTest::scenarioPreparationEffects()
{
    Host host;
    QVERIFY(host.runAll(preparation()));
    const SnapshotPtr s = host.s();
    QVERIFY(s->scenarioOpen);
    QCOMPARE(s->scenarioName, QString("Velmora"));
    QCOMPARE(QString::fromStdString(astro::formatDate(s->start)), kStart);
    QCOMPARE(QString::fromStdString(astro::formatDate(s->stop)), kStop);
    QCOMPARE(s->stop.seconds - s->start.seconds, 3 * 86400.0);
    QCOMPARE(s->animationStart.seconds, s->start.seconds);
    QCOMPARE(s->animationStop.seconds, s->stop.seconds);
    QCOMPARE(s->animationStep, 60.0);
    QCOMPARE(s->animationRate, 1.0);
    QCOMPARE(s->refreshMode, QString("HighSpeed"));
    QCOMPARE(s->epoch.seconds, s->start.seconds);
    QVERIFY(s->grid.showEci);
    QVERIFY(s->grid.showRadial);
    QCOMPARE(s->grid.eciColor, QColor("green"));
    QVERIFY(!s->annotations.time);
    QVERIFY(!s->annotations.timeStep);
    QVERIFY(!s->annotations.frame);
    QVERIFY(s->hasSatellite);
    QCOMPARE(s->satelliteName, QString("Satellite"));
    QVERIFY(!s->hasOrbit);
    QVERIFY(s->orbitLeadAll);
    QVERIFY(s->dataDisplayShown);
    QCOMPARE(s->dataDisplayName, QString("Classical Orbit Elements"));
    QVERIFY(!s->verbose);
    QVERIFY(!s->acknowledge);
    QVERIFY(!s->chrome.statusBar);
    QVERIFY(!s->chrome.menuBar);
    QCOMPARE(s->chrome.toolBars.value("Animation"), true);
    QCOMPARE(s->chrome.toolBars.value("Standard"), false);
    QCOMPARE(s->chrome.toolBars.value("View"), false);
    // Two steps of a two-frame cycle: back where it started.
    QCOMPARE(s->frame, ReferenceFrame::Inertial);
    QCOMPARE(s->viewer.latitudeDeg, 30.0);
    QCOMPARE(s->viewer.longitudeDeg, 0.0);
    QCOMPARE(s->viewer.rangeM, 1e8);
    QCOMPARE(s->viewer.serial, quint64(1));
    QVERIFY(host.item("CentralBody/Earth Inertial Axes").show);
    QVERIFY(host.item("CentralBody/Earth Inertial Axes").showLabel);
    QCOMPARE(host.item("CentralBody/Earth Inertial Axes").color, QColor(Qt::yellow));
    QVERIFY(!host.item("CentralBody/Earth Fixed Axes").show);
}

void InterpreterTest::handOverEffects()
{
    Host host;
    QVERIFY(host.runAll(preparation()));
    QVERIFY(host.runAll({
        "Application / ToolBar Show " + Q + "*" + Q,
        "Application / Statusbar Show",
        "Application / MenuBar Show",
        "VO Scenario/Velmora Annotation Time Show On",
        "VO Scenario/Velmora Annotation Time ShowTimeStep On",
        "VO Scenario/Velmora Annotation Frame Show On",
    }));
    const SnapshotPtr s = host.s();
    QVERIFY(s->chrome.statusBar);
    QVERIFY(s->chrome.menuBar);
    for (const QString &bar : hostToolBarNames())
        QCOMPARE(s->chrome.toolBars.value(bar), true);
    QVERIFY(s->annotations.time);
    QVERIFY(s->annotations.timeStep);
    QVERIFY(s->annotations.frame);
}

void InterpreterTest::queries()
{
    Host host;
    QVERIFY(host.runAll(preparation()));
    QCOMPARE(host.run("CheckScenario /").reply, QStringList{"1"});
    QCOMPARE(host.run("GetTimePeriod Scenario/Velmora").reply,
             QStringList{"\"1 Jul 2005 12:00:00.00\", \"4 Jul 2005 12:00:00.00\""});
    QCOMPARE(host.run("GetEpoch Scenario/Velmora").reply, QStringList{"1 Jul 2005 12:00:00.00"});
    QVERIFY(host.run("SetEpoch Scenario/Velmora \"2 Jul 2005 06:30:15.25\"").ok);
    QCOMPARE(host.run("GetEpoch Scenario/Velmora").reply, QStringList{"2 Jul 2005 06:30:15.25"});

    // Queries publish nothing.
    const quint64 revision = host.s()->revision;
    host.run("GetTimePeriod Scenario/Velmora");
    host.run("CheckScenario /");
    QCOMPARE(host.s()->revision, revision);
}

void InterpreterTest::timePeriodReplyFeedsTheStateCommand()
{
    // The toolbar removes the commas of the period reply and quotes the epoch reply.
    Host host;
    QVERIFY(host.runAll(preparation()));
    QString period = host.run("GetTimePeriod Scenario/Velmora").reply.first();
    period.remove(u',');
    const QString epoch = host.run("GetEpoch Scenario/Velmora").reply.first();
    const QString line = "SetState " + kSat + " Classical TwoBody " + period + " 60 J2000 " + Q + epoch + Q
                         + " 4.2164E+07 0 0 0 0 0";
    const CommandOutcome out = host.run(line);
    QVERIFY2(out.ok, qPrintable(out.error));
    QCOMPARE(host.s()->elements.a, 42164000.0);
}

void InterpreterTest::stateCommandStoresElements()
{
    Host host;
    QVERIFY(host.runAll(preparation()));
    QVERIFY(host.run(stateCommand("1.6764E+07 0.5 45.5 90 270.5 -35.1902")).ok);
    const SnapshotPtr s = host.s();
    QVERIFY(s->hasOrbit);
    const double deg = astro::kPi / 180;
    QCOMPARE(s->elements.a, 16764000.0);
    QCOMPARE(s->elements.e, 0.5);
    QVERIFY(std::abs(s->elements.i - 45.5 * deg) < 1e-15);
    QVERIFY(std::abs(s->elements.argp - 90 * deg) < 1e-15);
    QVERIFY(std::abs(s->elements.raan - 270.5 * deg) < 1e-15);
    QVERIFY(std::abs(s->elements.meanAnomaly + 35.1902 * deg) < 1e-15);
    QCOMPARE(s->elementsEpoch.seconds, s->start.seconds);
    QCOMPARE(s->orbitStep, 60.0);

    // A tiny negative mean anomaly arrives in exponent form.
    QVERIFY(host.run(stateCommand("6582000 0 0 0 0 -1.424842E-14")).ok);
    QVERIFY(host.s()->elements.meanAnomaly < 0);
    QVERIFY(host.s()->elements.meanAnomaly > -1e-15);

    QVERIFY(host.run("Graphics " + kSat + " Basic Color Red").ok);
    QCOMPARE(host.s()->satelliteColor, QColor(Qt::red));
    QVERIFY(host.run("Graphics " + kSat + " Basic Color Yellow").ok);
    QCOMPARE(host.s()->satelliteColor, QColor(Qt::yellow));
}

void InterpreterTest::refusals_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("because");

    QTest::newRow("empty") << "" << "empty command";
    QTest::newRow("blanks") << "  " << "only blanks";
    QTest::newRow("unbalanced") << "SetEpoch Scenario/Velmora \"1 Jul" << "unbalanced";
    QTest::newRow("control") << "GetEpoch\x01 /" << "control character";
    QTest::newRow("non-ASCII") << QString::fromUtf8("New / Scenario Ünïcode") << "outside ASCII";
    QTest::newRow("unknown") << "Frobnicate /" << "unknown command \"Frobnicate\"";
    QTest::newRow("no target") << "GetEpoch" << "target path is missing";
    QTest::newRow("other scenario") << "GetEpoch Scenario/Other" << "no scenario \"Scenario/Other\"";
    QTest::newRow("other satellite") << "Graphics Scenario/Velmora/Satellite/Sat2 Basic Color Red" << "no satellite";
    QTest::newRow("bad colour") << "Graphics " + kSat + " Basic Color Blurple" << "not a colour";
    QTest::newRow("bad date") << "SetEpoch Scenario/Velmora \"31 Jun 2005 12:00:00.00\"" << "not a date";
    QTest::newRow("stop before start")
        << "SetTimePeriod Scenario/Velmora \"4 Jul 2005 12:00:00.00\" \"1 Jul 2005 12:00:00.00\"" << "after the start";
    QTest::newRow("zero step") << "Animate Scenario/Velmora SetValues \"" + kStart + "\" 0 1 \"" + kStop + "\"" << "positive";
    QTest::newRow("refresh mode") << "Animate Scenario/Velmora SetRefreshMode Warp" << "unknown refresh mode";
    QTest::newRow("annotation") << "VO Scenario/Velmora Annotation Frame ShowTimeStep On" << "has no setting";
    QTest::newRow("switch") << "VO Scenario/Velmora Annotation Time Show Maybe" << "On or Off";
    QTest::newRow("grid key") << "VO Scenario/Velmora Grids Space ShowLLA On" << "unknown grid setting";
    QTest::newRow("frame") << "VO Scenario/Velmora View PreviousReferenceFrame" << "NextReferenceFrame";
    QTest::newRow("latitude") << "Vo * ViewerPosition 91 0 100000000" << "latitude";
    QTest::newRow("range inside Earth") << "Vo * ViewerPosition 30 0 1000" << "range";
    QTest::newRow("viewer nan") << "Vo * ViewerPosition nan 0 100000000" << "latitude";
    QTest::newRow("unknown geometry") << "VO * SetVectorGeometry Modify \"Satellite/Satellite Nothing Vector\" Show On"
                                      << "no vector, axes or angle";
    QTest::newRow("geometry verb") << "VO * SetVectorGeometry Remove \"CentralBody/Earth Fixed Axes\" Show On" << "Add or Modify";
    QTest::newRow("geometry odd") << "VO * SetVectorGeometry Modify \"CentralBody/Earth Fixed Axes\" Show" << "expected";
    QTest::newRow("angle of unknown vector")
        << "VectorTool * Satellite/Satellite Create Angle X \"Between Vectors\" \"A Vector\" \"B Vector\"" << "no vector \"A Vector\"";
    QTest::newRow("angle of axes")
        << "VectorTool * Satellite/Satellite Create Angle X \"Between Vectors\" \"CentralBody/Earth Fixed Axes\" \"Satellite/Satellite Position Vector\""
        << "no vector";
    QTest::newRow("angle of one vector")
        << "VectorTool * Satellite/Satellite Create Angle X \"Between Vectors\" \"Satellite/Satellite Position Vector\"" << "expected";
    QTest::newRow("zero vector")
        << "VectorTool * Earth Create Vector Z \"Fixed in Axes\" Cartesian 0 0 0 \"CentralBody/Earth Inertial\"" << "length zero";
    QTest::newRow("vector in unknown axes")
        << "VectorTool * Earth Create Vector Z \"Fixed in Axes\" Cartesian 0 0 1 \"CentralBody/Moon Inertial\"" << "no axes";
    QTest::newRow("redefine host vector")
        << "VectorTool * Satellite/Satellite Create Vector Position \"Fixed in Axes\" Cartesian 1 0 0 \"CentralBody/Earth Inertial\""
        << "exists already";
    QTest::newRow("tool bar") << "Application / ToolBar Hide \"Nonesuch\"" << "no tool bar \"Nonesuch\"";
    QTest::newRow("bar verb") << "Application / MenuBar Toggle" << "Hide or Show";
    QTest::newRow("application target") << "Application Scenario/Velmora MenuBar Hide" << "expected \"/\"";
    QTest::newRow("data display") << "VO " + kSat + " DynDataText DataDisplay \"Other\" Show On" << "unknown data display";
    QTest::newRow("con control") << "ConControl / LoudOn" << "unknown setting";
    QTest::newRow("second satellite") << "New / Scenario/Velmora/Satellite Other" << "one satellite";
    QTest::newRow("bad name") << "New / Scenario/Velmora/Satellite a/b" << "not a name";

    // The state command: the orbit must make sense and every field must be a plain number.
    QTest::newRow("e = 1") << stateCommand("7000000 1 0 0 0 0") << "eccentricity";
    QTest::newRow("e > 1") << stateCommand("7000000 1.5 0 0 0 0") << "eccentricity";
    QTest::newRow("e < 0") << stateCommand("7000000 -0.1 0 0 0 0") << "eccentricity";
    QTest::newRow("a = 0") << stateCommand("0 0 0 0 0 0") << "semi-major axis";
    QTest::newRow("a < 0") << stateCommand("-7000000 0 0 0 0 0") << "semi-major axis";
    QTest::newRow("missing field") << stateCommand("7000000 0 0 0 0") << "expected";
    QTest::newRow("extra field") << stateCommand("7000000 0 0 0 0 0 0") << "expected";
    QTest::newRow("nan") << stateCommand("nan 0 0 0 0 0") << "semi-major axis \"nan\" is not a finite decimal";
    QTest::newRow("inf") << stateCommand("7000000 0 inf 0 0 0") << "inclination \"inf\" is not a finite decimal";
    QTest::newRow("overflow") << stateCommand("7000000 0 0 1e999 0 0") << "argument of perigee \"1e999\"";
    QTest::newRow("hexadecimal") << stateCommand("0x10 0 0 0 0 0") << "not a finite decimal";
    QTest::newRow("trailing junk") << stateCommand("7000000 0 0 0 12abc 0") << "RAAN \"12abc\"";
    QTest::newRow("lone sign") << stateCommand("7000000 0 0 0 0 -") << "mean anomaly \"-\"";
    QTest::newRow("lone point") << stateCommand("7000000 . 0 0 0 0") << "eccentricity \".\"";
    QTest::newRow("comma decimal") << stateCommand("7000000 0,5 0 0 0 0") << "eccentricity \"0,5\"";
    QTest::newRow("empty epoch")
        << "SetState " + kSat + " Classical TwoBody \"" + kStart + "\" \"" + kStop + "\" 60 J2000 \"\" 7000000 0 0 0 0 0"
        << "not a date";
    QTest::newRow("frame") << "SetState " + kSat + " Classical TwoBody \"" + kStart + "\" \"" + kStop + "\" 60 B1950 \"" + kStart + "\" 7000000 0 0 0 0 0"
                           << "J2000";
    QTest::newRow("propagator") << "SetState " + kSat + " Classical HPOP \"" + kStart + "\" \"" + kStop + "\" 60 J2000 \"" + kStart + "\" 7000000 0 0 0 0 0"
                                << "TwoBody";
}

void InterpreterTest::refusals()
{
    QFETCH(QString, line);
    QFETCH(QString, because);
    Host host;
    QVERIFY(host.runAll(preparation()));
    const CommandOutcome out = host.run(line);
    QVERIFY(!out.ok);
    QVERIFY(out.reply.isEmpty());
    QCOMPARE(out.ui.kind, UiRequest::Kind::None);
    QVERIFY2(out.error.contains(because), qPrintable(out.error));
}

void InterpreterTest::refusalLeavesOrbitAndRevision()
{
    Host host;
    QVERIFY(host.runAll(preparation()));
    QVERIFY(host.run(stateCommand("7000000 0.1 10 20 30 40")).ok);
    const SnapshotPtr before = host.s();
    for (const QString &bad : {stateCommand("7000000 1 10 20 30 40"), stateCommand("-1 0.1 10 20 30 40"),
                               stateCommand("7000000 0.1 nan 20 30 40"), stateCommand("7000000 0.1 10 20 30")}) {
        const CommandOutcome out = host.run(bad);
        QVERIFY(!out.ok);
        QVERIFY2(out.error.contains("SetState") , qPrintable(out.error));
    }
    const SnapshotPtr after = host.s();
    QCOMPARE(after.get(), before.get());  // nothing published
    QCOMPARE(after->elements.a, 7000000.0);
    QCOMPARE(after->elements.e, 0.1);
}

void InterpreterTest::keywordsIgnoreCase()
{
    Host host;
    QVERIFY(host.runAll({"NEW / SCENARIO Velmora", "new / scenario/velmora/satellite Satellite",
                         "vo * viewerposition 10 20 30000000", "Vo SCENARIO/VELMORA view nextreferenceframe",
                         "application / statusbar hide", "graphics scenario/velmora/satellite/satellite basic color red",
                         "checkscenario /"}));
    QCOMPARE(host.s()->frame, ReferenceFrame::Fixed);
    QCOMPARE(host.s()->viewer.latitudeDeg, 10.0);
    QVERIFY(!host.s()->chrome.statusBar);
    QCOMPARE(host.s()->satelliteColor, QColor(Qt::red));
}

void InterpreterTest::secondScenarioFails()
{
    Host host;
    const CommandOutcome early = host.run("New / Scenario/Velmora/Satellite Satellite");
    QVERIFY(!early.ok);
    QVERIFY2(early.error.contains("no scenario is open"), qPrintable(early.error));
    const CommandOutcome first = host.run("New / Scenario Velmora");
    QVERIFY(first.ok);
    QCOMPARE(first.ui.kind, UiRequest::Kind::OpenScenarioWindow);
    const CommandOutcome second = host.run("New / Scenario Other");
    QVERIFY(!second.ok);
    QVERIFY2(second.error.contains("already open"), qPrintable(second.error));
    QCOMPARE(host.s()->scenarioName, QString("Velmora"));
}

void InterpreterTest::frameCyclesBetweenTwo()
{
    Host host;
    QVERIFY(host.run("New / Scenario Velmora").ok);
    QCOMPARE(host.s()->frame, ReferenceFrame::Inertial);
    const ReferenceFrame expected[] = {ReferenceFrame::Fixed, ReferenceFrame::Inertial, ReferenceFrame::Fixed,
                                       ReferenceFrame::Inertial};
    for (ReferenceFrame frame : expected) {
        QVERIFY(host.run("VO Scenario/Velmora View NextReferenceFrame").ok);
        QCOMPARE(host.s()->frame, frame);
    }
}

void InterpreterTest::barRequestsGoToTheGui_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("show");
    QTest::addColumn<QString>("toolBar");

    QTest::newRow("status bar lower b") << "Application / Statusbar Hide" << int(UiRequest::Kind::StatusBar) << false << "";
    QTest::newRow("status bar upper B") << "Application / StatusBar Show" << int(UiRequest::Kind::StatusBar) << true << "";
    QTest::newRow("menu bar") << "Application / MenuBar Hide" << int(UiRequest::Kind::MenuBar) << false << "";
    QTest::newRow("all tool bars") << "Application / ToolBar Hide \"*\"" << int(UiRequest::Kind::ToolBar) << false << "*";
    QTest::newRow("one tool bar") << "Application / ToolBar Show \"animation\"" << int(UiRequest::Kind::ToolBar) << true
                                  << "Animation";
}

void InterpreterTest::barRequestsGoToTheGui()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(bool, show);
    QFETCH(QString, toolBar);
    Host host;
    const CommandOutcome out = host.run(line);
    QVERIFY2(out.ok, qPrintable(out.error));
    QCOMPARE(int(out.ui.kind), kind);
    QCOMPARE(out.ui.show, show);
    QCOMPARE(out.ui.toolBar, toolBar);
}

void InterpreterTest::geometryAidsOnAndOff()
{
    Host host;
    QVERIFY(host.runAll(preparation()));
    QVERIFY(host.run(stateCommand("7000000 0.1 30 40 50 60")).ok);
    QVERIFY(host.runAll(aids("Add", "On")));

    const QStringList vectors{"CentralBody/Earth VernalEquinox Vector", "CentralBody/Earth Inertial_Z Vector",
                              "Satellite/Satellite LineOfNodes Vector", "Satellite/Satellite Periapsis Vector",
                              "Satellite/Satellite Position Vector", "Satellite/Satellite Orbit_AngMomentum Vector"};
    for (const QString &path : vectors) {
        const GeometryItem item = host.item(path);
        QCOMPARE(item.path, path);
        QCOMPARE(item.kind, GeometryItem::Kind::Vector);
        QVERIFY2(item.show && item.showLabel, qPrintable(path));
        QCOMPARE(item.color, QColor(Qt::white));
    }
    const GeometryItem z = host.item("CentralBody/Earth Inertial_Z Vector");
    QVERIFY(z.userDefined);
    QCOMPARE(z.fixedComponents.z, 1.0);
    QCOMPARE(z.axes, QString("CentralBody/Earth Inertial Axes"));

    const GeometryItem raan = host.item("Satellite/Satellite RAAN Angle");
    QCOMPARE(raan.kind, GeometryItem::Kind::Angle);
    QCOMPARE(raan.color, QColor(Qt::yellow));
    QCOMPARE(raan.betweenVectors, (QStringList{"CentralBody/Earth VernalEquinox Vector",
                                               "Satellite/Satellite LineOfNodes Vector",
                                               "CentralBody/Earth Inertial_Z Vector"}));
    QCOMPARE(host.item("Satellite/Satellite Argument_of_Perigee Angle").color, QColor(Qt::red));
    const GeometryItem inclination = host.item("Satellite/Satellite Inclination Angle");
    QCOMPARE(inclination.color, QColor(Qt::blue));
    QCOMPARE(inclination.betweenVectors.size(), 2);
    QVERIFY(inclination.show);
    QVERIFY(!host.item("CentralBody/Earth Inertial Axes").show);
    QVERIFY(!host.item("CentralBody/Earth Fixed Axes").show);

    // Off: the frame handling shows the inertial axes again, the aids go.
    QVERIFY(host.run(showAxes("CentralBody/Earth Inertial Axes")).ok);
    QVERIFY(host.runAll(aids("Modify", "Off").mid(2)));
    for (const QString &path : vectors)
        QVERIFY2(!host.item(path).show, qPrintable(path));
    QVERIFY(!host.item("Satellite/Satellite Inclination Angle").show);
    QVERIFY(host.item("Satellite/Satellite Inclination Angle").showLabel);
    QVERIFY(host.item("CentralBody/Earth Inertial Axes").show);
}

void InterpreterTest::repeatedDefinitions()
{
    Host host;
    QVERIFY(host.runAll(preparation()));
    const QString vector = "VectorTool * Earth Create Vector Inertial_Z \"Fixed in Axes\" Cartesian 0 0 1 \"CentralBody/Earth Inertial\"";
    const QString inclination = angle("VectorTool * Satellite/Satellite Create Angle Inclination ",
                                      {"CentralBody/Earth Inertial_Z Vector", "Satellite/Satellite Orbit_AngMomentum Vector"});
    QVERIFY(host.runAll({vector, inclination}));
    QVERIFY(host.run("VO * SetVectorGeometry Add \"Satellite/Satellite Inclination Angle\" Show On Color Blue").ok);

    // The same definition again is accepted and changes nothing, display flags included.
    const SnapshotPtr before = host.s();
    QVERIFY(host.run(vector).ok);
    QVERIFY(host.run(inclination).ok);
    QCOMPARE(host.s().get(), before.get());
    QVERIFY(host.item("Satellite/Satellite Inclination Angle").show);

    // Another definition under the same name is refused and the first one stays.
    const CommandOutcome other = host.run(
        "VectorTool * Earth Create Vector Inertial_Z \"Fixed in Axes\" Cartesian 1 0 0 \"CentralBody/Earth Inertial\"");
    QVERIFY(!other.ok);
    QVERIFY2(other.error.contains("another definition"), qPrintable(other.error));
    QCOMPARE(host.item("CentralBody/Earth Inertial_Z Vector").fixedComponents.z, 1.0);
    const CommandOutcome otherAngle = host.run(angle("VectorTool * Satellite/Satellite Create Angle Inclination ",
                                                     {"Satellite/Satellite Position Vector", "Satellite/Satellite Orbit_AngMomentum Vector"}));
    QVERIFY(!otherAngle.ok);
    QCOMPARE(host.item("Satellite/Satellite Inclination Angle").betweenVectors.first(),
             QString("CentralBody/Earth Inertial_Z Vector"));
}

void InterpreterTest::versionText()
{
    Host host;
    const CommandOutcome out = host.run("GetZEPVersion /");
    QVERIFY(out.ok);
    QCOMPARE(out.reply.size(), 1);
    QVERIFY(out.reply.first().startsWith("ZEP v7"));
    QVERIFY(!host.run("GetZEPVersion Scenario/Velmora").ok);
}

QTEST_APPLESS_MAIN(InterpreterTest)
#include "tst_standin_interpreter.moc"
