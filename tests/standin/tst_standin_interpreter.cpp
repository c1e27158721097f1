// The host's command language: every command the toolbar sends, its effect on
// the published scenario, its replies, and the refusals.

#include "standin/model/interpreter.h"
#include "tests/support/transcript.h"

#include <QTest>

#include <cmath>

using namespace zep;
namespace golden = velmora::testing::golden;

namespace {

const QString Q = QStringLiteral("\"");
using golden::kStart;
using golden::kStop;
const QString kSat = QStringLiteral("Scenario/Velmora/Satellite/Satellite");

QString angle(const QString &prefix, const QStringList &vectors)
{
    QString line = prefix + Q + "Between Vectors" + Q;
    for (const QString &v : vectors)
        line += " " + Q + v + Q;
    return line;
}

// What the toolbar's start-up sends, up to its second frame pick (which only
// repeats the axes).
QStringList preparation()
{
    QStringList lines = golden::scenarioPreparation() + golden::barsHidden() + golden::startupView();
    lines.resize(lines.size() - 2);
    return lines;
}

// The aids switched: the frames' axes hidden, then the aids.
QStringList aids(const QString &verb, const QString &on)
{
    return QStringList{golden::hideAxes(QStringLiteral("Inertial")), golden::hideAxes(QStringLiteral("Fixed"))}
        + golden::geometryAids(verb, on);
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

class TstStandInInterpreter : public QObject {
    Q_OBJECT
private slots:
    void preparationAndHandOver()
    {
        // Every command the toolbar sends is accepted, and has its effect.
        Host host;
        QCOMPARE(host.run("CheckScenario /").reply, QStringList{"0"});
        QVERIFY(host.runAll(preparation()));
        SnapshotPtr s = host.s();
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
        QVERIFY(!s->annotations.time && !s->annotations.timeStep && !s->annotations.frame);
        QVERIFY(!s->satellites.empty());
        QCOMPARE(s->satellites.at(0).name, QString("Satellite"));
        QVERIFY(!s->satellites.at(0).hasOrbit);
        QVERIFY(s->satellites.at(0).orbitLeadAll);
        QVERIFY(s->satellites.at(0).dataDisplayShown);
        QCOMPARE(s->satellites.at(0).dataDisplayName, QString("Classical Orbit Elements"));
        QVERIFY(!s->verbose && !s->acknowledge);
        QVERIFY(!s->chrome.statusBar && !s->chrome.menuBar);
        QCOMPARE(s->chrome.toolBars.value("Animation"), true);
        QCOMPARE(s->chrome.toolBars.value("Standard"), false);
        QCOMPARE(s->chrome.toolBars.value("View"), false);
        // Two steps of a two-frame cycle: back where it started.
        QCOMPARE(s->frame, ReferenceFrame::Inertial);
        QCOMPARE(s->viewer.latitudeDeg, 30.0);
        QCOMPARE(s->viewer.longitudeDeg, 0.0);
        QCOMPARE(s->viewer.rangeM, 1e8);
        QCOMPARE(s->viewer.serial, quint64(1));
        const GeometryItem inertial = host.item("CentralBody/Earth Inertial Axes");
        QVERIFY(inertial.show && inertial.showLabel);
        QCOMPARE(inertial.color, QColor(Qt::yellow));
        QVERIFY(!host.item("CentralBody/Earth Fixed Axes").show);

        QVERIFY(host.runAll({stateCommand("6582000 0 0 0 0 0"), "Graphics " + kSat + " SetAttrType Basic",
                             "Graphics " + kSat + " Basic Color White"}));
        QVERIFY(host.runAll(aids("Add", "On") + aids("Modify", "Off") + aids("Modify", "On")));
        QVERIFY(host.runAll(golden::handOverRestore()));
        s = host.s();
        QVERIFY(s->chrome.statusBar && s->chrome.menuBar);
        for (const QString &bar : hostToolBarNames())
            QCOMPARE(s->chrome.toolBars.value(bar), true);
        QVERIFY(s->annotations.time && s->annotations.timeStep && s->annotations.frame);
    }

    void queriesAndTheStateCommand()
    {
        Host host;
        QVERIFY(host.runAll(preparation()));
        QCOMPARE(host.run("CheckScenario /").reply, QStringList{"1"});
        QCOMPARE(host.run("GetTimePeriod Scenario/Velmora").reply,
                 QStringList{"\"1 Jul 2005 12:00:00.00\", \"4 Jul 2005 12:00:00.00\""});
        QCOMPARE(host.run("GetEpoch Scenario/Velmora").reply, QStringList{"1 Jul 2005 12:00:00.00"});
        // Queries publish nothing.
        const quint64 revision = host.s()->revision;
        host.run("CheckScenario /");
        QCOMPARE(host.s()->revision, revision);

        // The toolbar removes the commas of the period reply and quotes the epoch reply.
        QString period = host.run("GetTimePeriod Scenario/Velmora").reply.first();
        period.remove(u',');
        const QString epoch = host.run("GetEpoch Scenario/Velmora").reply.first();
        const CommandOutcome out = host.run("SetState " + kSat + " Classical TwoBody " + period + " 60 J2000 " + Q + epoch + Q
                                            + " 4.2164E+07 0 0 0 0 0");
        QVERIFY2(out.ok, qPrintable(out.error));
        QCOMPARE(host.s()->satellites.at(0).elements.a, 42164000.0);

        QVERIFY(host.run(stateCommand("1.6764E+07 0.5 45.5 90 270.5 -35.1902")).ok);
        const SnapshotPtr s = host.s();
        QVERIFY(s->satellites.at(0).hasOrbit);
        const double deg = astro::kPi / 180;
        QCOMPARE(s->satellites.at(0).elements.a, 16764000.0);
        QCOMPARE(s->satellites.at(0).elements.e, 0.5);
        QVERIFY(std::abs(s->satellites.at(0).elements.i - 45.5 * deg) < 1e-15);
        QVERIFY(std::abs(s->satellites.at(0).elements.argp - 90 * deg) < 1e-15);
        QVERIFY(std::abs(s->satellites.at(0).elements.raan - 270.5 * deg) < 1e-15);
        QVERIFY(std::abs(s->satellites.at(0).elements.meanAnomaly + 35.1902 * deg) < 1e-15);
        QCOMPARE(s->satellites.at(0).elementsEpoch.seconds, s->start.seconds);
        QCOMPARE(s->satellites.at(0).orbitStep, 60.0);
        // A tiny negative mean anomaly arrives in exponent form.
        QVERIFY(host.run(stateCommand("6582000 0 0 0 0 -1.424842E-14")).ok);
        QVERIFY(host.s()->satellites.at(0).elements.meanAnomaly < 0 && host.s()->satellites.at(0).elements.meanAnomaly > -1e-15);
        QVERIFY(host.run("Graphics " + kSat + " Basic Color Red").ok);
        QCOMPARE(host.s()->satellites.at(0).color, QColor(Qt::red));
        QVERIFY(host.run("SetEpoch Scenario/Velmora \"2 Jul 2005 06:30:15.25\"").ok);
        QCOMPARE(host.run("GetEpoch Scenario/Velmora").reply, QStringList{"2 Jul 2005 06:30:15.25"});
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("because");
        // Word splitting's own refusals are covered with the tokenizer; one stands for them here.
        const QString angleX = "VectorTool * Satellite/Satellite Create Angle X \"Between Vectors\" ";
        const QString vectorZ = "VectorTool * Earth Create Vector Z \"Fixed in Axes\" Cartesian ";
        const QString state = "SetState " + kSat + " Classical %1 \"" + kStart + "\" \"" + kStop + "\" 60 %2 \"%3\" 7000000 0 0 0 0 0";
        const auto row = [](const char *name, const QString &line, const QString &because) {
            QTest::newRow(name) << line << because;
        };
        row("control character", "GetEpoch\x01 /", "control character");
        row("unknown command", "Frobnicate /", "unknown command \"Frobnicate\"");
        row("no target", "GetEpoch", "target path is missing");
        row("other scenario", "GetEpoch Scenario/Other", "no scenario \"Scenario/Other\"");
        row("other satellite", "Graphics Scenario/Velmora/Satellite/Sat2 Basic Color Red", "no satellite");
        row("bad colour", "Graphics " + kSat + " Basic Color Blurple", "not a colour");
        row("bad epoch", "SetEpoch Scenario/Velmora \"31 Jun 2005 12:00:00.00\"", "not a date");
        row("extra word", "SetEpoch Scenario/Velmora \"" + kStart + "\" Now", "expected \"SetEpoch Scenario/NAME");
        row("stop before start", "SetTimePeriod Scenario/Velmora \"4 Jul 2005 12:00:00.00\" \"1 Jul 2005 12:00:00.00\"", "after the start");
        row("animation step", "Animate Scenario/Velmora SetValues \"" + kStart + "\" 0 1 \"" + kStop + "\"", "positive");
        row("animation stop before start", "Animate Scenario/Velmora SetValues \"" + kStop + "\" 60 1 \"" + kStart + "\"", "after the start");
        row("refresh mode", "Animate Scenario/Velmora SetRefreshMode Warp", "unknown refresh mode");
        row("animate without request", "Animate Scenario/Velmora",
            "expected \"Animate Scenario/NAME SetValues|SetRefreshMode|Start|Pause|Reset|StepForward|StepBackward ...\"");
        row("animate request", "Animate Scenario/Velmora Play",
            "unknown request \"Play\" (SetValues, SetRefreshMode, Start, Pause, Reset, StepForward or StepBackward)");
        row("vo request", "VO Scenario/Velmora Frobnicate", "unknown request \"Frobnicate\" (Grids, Annotation");
        row("frame time step", "VO Scenario/Velmora Annotation Frame ShowTimeStep On", "has no setting");
        row("annotation switch", "VO Scenario/Velmora Annotation Time Show Maybe", "On or Off");
        row("grid setting", "VO Scenario/Velmora Grids Space ShowLLA On", "unknown grid setting");
        row("grid without setting", "VO Scenario/Velmora Grids Space", "expected");
        row("previous frame", "VO Scenario/Velmora View PreviousReferenceFrame", "NextReferenceFrame");
        row("latitude", "Vo * ViewerPosition 91 0 100000000", "latitude");
        row("range", "Vo * ViewerPosition 30 0 1000", "range");
        row("latitude nan", "Vo * ViewerPosition nan 0 100000000", "latitude");
        row("viewer without range", "Vo * ViewerPosition 30 0", "expected \"VO * ViewerPosition LATITUDE");
        row("missing geometry", "VO * SetVectorGeometry Modify \"Satellite/Satellite Nothing Vector\" Show On", "no vector, axes or angle");
        row("geometry verb", "VO * SetVectorGeometry Remove \"CentralBody/Earth Fixed Axes\" Show On", "Add or Modify");
        row("geometry without value", "VO * SetVectorGeometry Modify \"CentralBody/Earth Fixed Axes\" Show", "expected");
        row("geometry switch", "VO * SetVectorGeometry Modify \"CentralBody/Earth Fixed Axes\" ShowLabel Yes", "ShowLabel takes On or Off");
        row("angle of unknown vectors", angleX + "\"A Vector\" \"B Vector\"", "no vector \"A Vector\"");
        row("angle of axes", angleX + "\"CentralBody/Earth Fixed Axes\" \"Satellite/Satellite Position Vector\"", "no vector");
        row("angle of one vector", angleX + "\"Satellite/Satellite Position Vector\"", "expected");
        row("zero vector", vectorZ + "0 0 0 \"CentralBody/Earth Inertial\"", "length zero");
        row("unknown axes", vectorZ + "0 0 1 \"CentralBody/Moon Inertial\"", "no axes");
        row("built-in vector", "VectorTool * Satellite/Satellite Create Vector Position \"Fixed in Axes\" Cartesian 1 0 0 \"CentralBody/Earth Inertial\"",
            "exists already");
        row("tool bar", "Application / ToolBar Hide \"Nonesuch\"", "no tool bar \"Nonesuch\"");
        row("bar verb", "Application / MenuBar Toggle", "Hide or Show");
        row("application target", "Application Scenario/Velmora MenuBar Hide", "expected \"/\"");
        row("connection target", "ConControl Scenario/Velmora VerboseOff", "expected \"/\"");
        row("data display", "VO " + kSat + " DynDataText DataDisplay \"Other\" Show On", "unknown data display");
        row("connection setting", "ConControl / LoudOn", "unknown setting");
        row("relative picture path", "SavePicture * \"picture.png\"", "not the full path of a .png file");
        row("picture not PNG", "SavePicture * \"/tmp/picture.jpg\"", "not the full path of a .png file");
        row("same satellite again", "New / */Satellite satellite", "exists already");
        row("unload unknown", "Unload / */Satellite/Nobody", "no satellite \"*/Satellite/Nobody\"");
        row("keep verb", "Keep * Forget", "expected \"Keep */Satellite/NAME\" or \"Keep * Clear\"");
        row("transfer to nowhere", "Transfer */Satellite/Satellite */Satellite/Nobody", "no satellite");
        row("bad name", "New / Scenario/Velmora/Satellite a/b", "not a name");
        row("version target", "GetZEPVersion Scenario/Velmora", "");
        // The state command: the orbit must make sense and every field must be a plain number.
        row("eccentricity 1", stateCommand("7000000 1 0 0 0 0"), "eccentricity");
        row("negative axis", stateCommand("-7000000 0 0 0 0 0"), "semi-major axis");
        row("five elements", stateCommand("7000000 0 0 0 0"), "expected");
        row("seven elements", stateCommand("7000000 0 0 0 0 0 0"), "expected");
        row("nan", stateCommand("nan 0 0 0 0 0"), "semi-major axis \"nan\" is not a finite decimal");
        row("inf", stateCommand("7000000 0 inf 0 0 0"), "inclination \"inf\" is not a finite decimal");
        row("overflow", stateCommand("7000000 0 0 1e999 0 0"), "argument of perigee \"1e999\"");
        row("hexadecimal", stateCommand("0x10 0 0 0 0 0"), "not a finite decimal");
        row("trailing letters", stateCommand("7000000 0 0 0 12abc 0"), "RAAN \"12abc\"");
        row("sign alone", stateCommand("7000000 0 0 0 0 -"), "mean anomaly \"-\"");
        row("point alone", stateCommand("7000000 . 0 0 0 0"), "eccentricity \".\"");
        row("decimal comma", stateCommand("7000000 0,5 0 0 0 0"), "eccentricity \"0,5\"");
        row("empty epoch", state.arg("TwoBody", "J2000", ""), "not a date");
        row("other frame", state.arg("TwoBody", "B1950", kStart), "J2000");
        row("other propagator", state.arg("HPOP", "J2000", kStart), "TwoBody");
    }

    void refusals()
    {
        QFETCH(QString, line);
        QFETCH(QString, because);
        Host host;
        QVERIFY(host.runAll(preparation()));
        const SnapshotPtr before = host.s();
        const CommandOutcome out = host.run(line);
        QVERIFY2(!out.ok && out.reply.isEmpty(), qPrintable(line));
        QCOMPARE(out.ui.kind, UiRequest::Kind::None);
        QVERIFY2(out.error.contains(because), qPrintable(line + ": " + out.error));
        // Nothing published, but for a refused state, which the views are told of, once.
        if (!line.startsWith("SetState")) {
            QCOMPARE(host.s().get(), before.get());
            return;
        }
        const SnapshotPtr refused = host.s();
        QVERIFY(!refused->satellites.at(0).stateRefusal.isEmpty() && out.error.contains(refused->satellites.at(0).stateRefusal));
        QCOMPARE(refused->satellites.at(0).elements.a, before->satellites.at(0).elements.a);
        QVERIFY(!host.run(line).ok);
        QCOMPARE(host.s().get(), refused.get());
    }

    // Satellites come and go by name; each command addresses one of them;
    // kept orbits drop the oldest first.
    void severalSatellites_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("lastError");  // of the last line; empty: accepted
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("kept");
        const QString two = "*/Satellite/Two";
        const QString geo = "4.2164E+07 0.001 0 0 0 0";
        const auto state = [](const QString &path, const QString &elements) {
            QString line = stateCommand(elements);
            return line.replace(kSat, path);
        };
        QStringList many;
        for (int k = 2; k <= 64; ++k)
            many << QString("New / */Satellite S%1").arg(k);
        QTest::newRow("add and address") << QStringList{"New / */Satellite Two", state(two, geo), "Graphics Satellite/Two Basic Color Red",
                                                        "VO Scenario/Velmora/Satellite/Two Pass OrbitLead None"}
                                         << "" << QStringList{"Satellite", "Two"} << QList<int>{};
        QTest::newRow("unload") << QStringList{"New / */Satellite Two", "New / */Satellite Three", "Unload / */Satellite/Two"}
                                << "" << QStringList{"Satellite", "Three"} << QList<int>{};
        QTest::newRow("64 and no more") << many + QStringList{"New / */Satellite S65"} << "at most 64"
                                        << QStringList{"Satellite", "S2"} << QList<int>{};
        QStringList nine;
        for (int k = 0; k < 9; ++k)
            nine << state(kSat, QString("%1 0 0 0 0 0").arg(7e6 + k * 1e5)) << "Keep " + kSat;
        QTest::newRow("kept, oldest goes") << nine << "" << QStringList{"Satellite"} << QList<int>{2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("kept cleared") << QStringList{"Keep " + kSat, "Keep " + kSat, "Keep * Clear"} << ""
                                      << QStringList{"Satellite"} << QList<int>{};
        QTest::newRow("keep without orbit") << QStringList{"New / */Satellite Two", "Keep " + two} << "has no orbit"
                                            << QStringList{"Satellite", "Two"} << QList<int>{};
        QTest::newRow("transfer from an ellipse") << QStringList{"New / */Satellite Two", state(two, "2.4E+07 0.7 0 0 0 0"),
                                                                 "Transfer " + kSat + " " + two}
                                                  << "not near circular" << QStringList{"Satellite", "Two"} << QList<int>{};
    }

    void severalSatellites()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, lastError);
        QFETCH(QStringList, names);
        QFETCH(QList<int>, kept);
        Host host;
        QVERIFY(host.runAll(preparation() + QStringList{stateCommand("6678000 0 0 0 0 0")}));
        QVERIFY(host.runAll(lines.mid(0, lines.size() - 1)));
        const CommandOutcome last = host.run(lines.last());
        QCOMPARE(last.ok, lastError.isEmpty());
        QVERIFY2(last.error.contains(lastError), qPrintable(last.error));
        const SnapshotPtr s = host.s();
        QStringList have;
        for (const SatelliteState &sat : s->satellites)
            have << sat.name;
        QCOMPARE(have.mid(0, names.size()), names);
        QCOMPARE(s->satellites.size() > size_t(names.size()), lastError.contains("64"));
        QList<int> numbers;
        for (const KeptOrbit &k : s->keptOrbits)
            numbers << k.number;
        QCOMPARE(numbers, kept);
        if (numbers.size() == 8)
            QCOMPARE(s->keptOrbits.front().elements.a, 7.1e6);  // Kept 1 went
        // What names an unloaded satellite goes with it; the others' colours differ.
        for (const QString &path : s->geometry.keys())
            QVERIFY2(!path.startsWith("satellite/two ") || names.contains("Two"), qPrintable(path));
        if (const SatelliteState *second = s->findSatellite("Two"); second && QTest::currentDataTag() == QByteArray("add and address")) {
            QCOMPARE(second->elements.a, 42164000.0);
            QCOMPARE(second->color, QColor(Qt::red));
            QVERIFY(!second->orbitLeadAll && s->satellites.front().orbitLeadAll);
        }
    }

    // A transfer's reply is its cost; "Off" takes it away.
    void transferReply()
    {
        Host host;
        QVERIFY(host.runAll(preparation() + QStringList{stateCommand("6678000 0 0 0 0 0"), "New / */Satellite GEO",
                                                       stateCommand("42164000 0 0 0 0 0").replace(kSat, "*/Satellite/GEO")}));
        const CommandOutcome out = host.run("Transfer " + kSat + " */Satellite/GEO");
        QVERIFY2(out.ok, qPrintable(out.error));
        QCOMPARE(out.reply.size(), 4);
        QCOMPARE(out.reply.at(2).toDouble(), std::round((out.reply.at(0).toDouble() + out.reply.at(1).toDouble()) * 1000) / 1000);
        QVERIFY(host.s()->transfer);
        QVERIFY(host.run("Transfer * Off").ok);
        QVERIFY(!host.s()->transfer);
    }

    // A target hides its orbit until revealed; a new target or one taken away hides it again.
    void targets_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("lastError");  // of the last line; empty: accepted
        QTest::addColumn<QString>("targets");    // the satellites that are, in order
        QTest::addColumn<bool>("revealed");
        QTest::addColumn<QList<double>>("tolerance");
        const QList<double> usual{50, 0.01, 1};
        const QString on = "Target */Satellite/Two On";
        QTest::newRow("on") << QStringList{on} << "" << "Two" << false << usual;
        QTest::newRow("reveal") << QStringList{on, "target * reveal"} << "" << "Two" << true << usual;
        QTest::newRow("off hides again") << QStringList{on, "Target * Reveal", "Target Satellite/Two Off"} << "" << "" << false << usual;
        QTest::newRow("a new target hides again") << QStringList{on, "Target * Reveal", "Target " + kSat + " On"} << ""
                                                  << "Satellite Two" << false << usual;
        QTest::newRow("tolerance") << QStringList{"Target * Tolerance 10 0.001 0.5"} << "" << "" << false
                                   << QList<double>{10, 0.001, 0.5};
        QTest::newRow("reveal without a target") << QStringList{"Target * Reveal"} << "no satellite is a target" << "" << false << usual;
        QTest::newRow("tolerance zero") << QStringList{"Target * Tolerance 0 0.01 1"} << "positive number of km" << "" << false << usual;
        QTest::newRow("tolerance past a half turn") << QStringList{"Target * Tolerance 50 0.01 181"} << "at most 180" << "" << false << usual;
        QTest::newRow("tolerance short") << QStringList{"Target * Tolerance 50 0.01"} << "expected \"Target */Satellite/NAME On|Off"
                                         << "" << false << usual;
        QTest::newRow("unknown satellite") << QStringList{"Target */Satellite/Nobody On"} << "no satellite" << "" << false << usual;
        QTest::newRow("keep a hidden target") << QStringList{on, "Keep */Satellite/Two"} << "is a target" << "Two" << false << usual;
    }

    void targets()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, lastError);
        QFETCH(QString, targets);
        QFETCH(bool, revealed);
        QFETCH(QList<double>, tolerance);
        Host host;
        QVERIFY(host.runAll(preparation() + QStringList{stateCommand("6678000 0 0 0 0 0"), "New / */Satellite Two",
                                                       stateCommand("7000000 0.01 28 0 0 0").replace(kSat, "*/Satellite/Two")}));
        QVERIFY(host.runAll(lines.mid(0, lines.size() - 1)));
        const SnapshotPtr before = host.s();
        const CommandOutcome last = host.run(lines.last());
        QVERIFY2(last.ok == lastError.isEmpty() && last.error.contains(lastError), qPrintable(last.error));
        if (!last.ok)
            QCOMPARE(host.s().get(), before.get());  // a refusal changes nothing
        QStringList are;
        for (const SatelliteState &sat : host.s()->satellites)
            if (sat.target)
                are << sat.name;
        QCOMPARE(are.join(' '), targets);
        QCOMPARE(host.s()->targetRevealed, revealed);
        const astro::MatchTolerance &t = host.s()->targetTolerance;
        QCOMPARE((QList<double>{t.aKm, t.e, t.deg}), tolerance);
    }

    void keywordsIgnoreCase()
    {
        Host host;
        QVERIFY(host.runAll({"NEW / SCENARIO Velmora", "new / scenario/velmora/satellite Satellite",
                             "vo * viewerposition 10 20 30000000", "Vo SCENARIO/VELMORA view nextreferenceframe",
                             "application / statusbar hide", "graphics scenario/velmora/satellite/satellite basic color red",
                             "checkscenario /"}));
        QCOMPARE(host.s()->frame, ReferenceFrame::Fixed);
        QCOMPARE(host.s()->viewer.latitudeDeg, 10.0);
        QVERIFY(!host.s()->chrome.statusBar);
        QCOMPARE(host.s()->satellites.at(0).color, QColor(Qt::red));
    }

    void scenarioLifeAndFrameCycle()
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
        // The reference frame cycles between two.
        QCOMPARE(host.s()->frame, ReferenceFrame::Inertial);
        for (ReferenceFrame frame : {ReferenceFrame::Fixed, ReferenceFrame::Inertial, ReferenceFrame::Fixed, ReferenceFrame::Inertial}) {
            QVERIFY(host.run("VO Scenario/Velmora View NextReferenceFrame").ok);
            QCOMPARE(host.s()->frame, frame);
        }
        const CommandOutcome version = host.run("GetZEPVersion /");
        QVERIFY(version.ok);
        QCOMPARE(version.reply.size(), 1);
        QVERIFY(version.reply.first().startsWith("ZEP v7"));
    }

    void barRequestsGoToTheGui_data()
    {
        using K = UiRequest::Kind;
        QTest::addColumn<QString>("line");
        QTest::addColumn<K>("kind");
        QTest::addColumn<bool>("show");
        QTest::addColumn<QString>("toolBar");
        QTest::newRow("hide status bar") << "Application / Statusbar Hide" << K::StatusBar << false << "";
        QTest::newRow("show status bar") << "Application / StatusBar Show" << K::StatusBar << true << "";
        QTest::newRow("hide menu bar") << "Application / MenuBar Hide" << K::MenuBar << false << "";
        QTest::newRow("hide all tool bars") << "Application / ToolBar Hide \"*\"" << K::ToolBar << false << "*";
        QTest::newRow("show one tool bar") << "Application / ToolBar Show \"animation\"" << K::ToolBar << true << "Animation";
    }

    void barRequestsGoToTheGui()
    {
        QFETCH(QString, line);
        QFETCH(UiRequest::Kind, kind);
        QFETCH(bool, show);
        QFETCH(QString, toolBar);
        Host host;
        const CommandOutcome out = host.run(line);
        QVERIFY2(out.ok, qPrintable(out.error));
        QCOMPARE(out.ui.kind, kind);
        QCOMPARE(out.ui.show, show);
        QCOMPARE(out.ui.toolBar, toolBar);
    }

    void clockRequestsGoToTheGui_data()
    {
        using C = UiRequest::Clock;
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("prepared");
        QTest::addColumn<C>("clock");
        QTest::addColumn<QString>("because");  // empty: accepted
        const auto row = [](const char *name, const QString &line, C clock, const QString &because = {}, bool prepared = true) {
            QTest::newRow(name) << line << prepared << clock << because;
        };
        row("start", "Animate Scenario/Velmora Start", C::Start);
        row("pause", "Animate Scenario/Velmora Pause", C::Pause);
        row("reset", "Animate Scenario/Velmora Reset", C::Reset);
        row("step forward", "Animate Scenario/Velmora StepForward", C::StepForward);
        row("step backward", "Animate Scenario/Velmora StepBackward", C::StepBackward);
        row("keywords ignore case", "animate scenario/velmora stepbackward", C::StepBackward);
        row("other scenario", "Animate Scenario/Other Start", C::Start, "no scenario \"Scenario/Other\"");
        row("satellite target", "Animate " + kSat + " Pause", C::Pause, "no scenario \"" + kSat + "\"");
        row("application target", "Animate / Reset", C::Reset, "no scenario \"/\"");
        row("no scenario open", "Animate Scenario/Velmora Start", C::Start, "no scenario is open", false);
        row("extra word", "Animate Scenario/Velmora Start Now", C::Start, "expected \"Animate Scenario/NAME Start\"");
        row("step count", "Animate Scenario/Velmora StepForward 10", C::StepForward,
            "expected \"Animate Scenario/NAME StepForward\"");
        row("joined words", "Animate Scenario/Velmora Step Forward", C::StepForward, "unknown request \"Step\"");
    }

    void clockRequestsGoToTheGui()
    {
        QFETCH(QString, line);
        QFETCH(bool, prepared);
        QFETCH(UiRequest::Clock, clock);
        QFETCH(QString, because);
        Host host;
        if (prepared)
            QVERIFY(host.runAll(preparation()));
        const SnapshotPtr before = host.s();
        const CommandOutcome out = host.run(line);
        // The clock is the GUI's: the scenario is never republished for it.
        QCOMPARE(host.s().get(), before.get());
        if (!because.isEmpty()) {
            QVERIFY(!out.ok);
            QVERIFY2(out.error.contains(because), qPrintable(out.error));
            QCOMPARE(out.ui.kind, UiRequest::Kind::None);
            return;
        }
        QVERIFY2(out.ok, qPrintable(out.error));
        QVERIFY(out.reply.isEmpty());
        QCOMPARE(out.ui.kind, UiRequest::Kind::Animate);
        QCOMPARE(out.ui.clock, clock);
    }

    void geometryAidsOnAndOff()
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
        QCOMPARE(raan.betweenVectors, (QStringList{"CentralBody/Earth VernalEquinox Vector", "Satellite/Satellite LineOfNodes Vector",
                                                   "CentralBody/Earth Inertial_Z Vector"}));
        QCOMPARE(host.item("Satellite/Satellite Argument_of_Perigee Angle").color, QColor(Qt::red));
        const GeometryItem inclination = host.item("Satellite/Satellite Inclination Angle");
        QCOMPARE(inclination.color, QColor(Qt::blue));
        QCOMPARE(inclination.betweenVectors.size(), 2);
        QVERIFY(inclination.show);
        QVERIFY(!host.item("CentralBody/Earth Inertial Axes").show);
        QVERIFY(!host.item("CentralBody/Earth Fixed Axes").show);

        // Off: the frame handling shows the inertial axes again, the aids go.
        QVERIFY(host.run(golden::showAxes(QStringLiteral("Inertial"))).ok);
        QVERIFY(host.runAll(aids("Modify", "Off").mid(2)));
        for (const QString &path : vectors)
            QVERIFY2(!host.item(path).show, qPrintable(path));
        QVERIFY(!host.item("Satellite/Satellite Inclination Angle").show);
        QVERIFY(host.item("Satellite/Satellite Inclination Angle").showLabel);
        QVERIFY(host.item("CentralBody/Earth Inertial Axes").show);
    }

    void repeatedDefinitions()
    {
        Host host;
        QVERIFY(host.runAll(preparation()));
        const QString vector = "VectorTool * Earth Create Vector Inertial_Z \"Fixed in Axes\" Cartesian %1 \"CentralBody/Earth Inertial\"";
        const QString inclination = "VectorTool * Satellite/Satellite Create Angle Inclination ";
        const QString zAngle = angle(inclination, {"CentralBody/Earth Inertial_Z Vector", "Satellite/Satellite Orbit_AngMomentum Vector"});
        QVERIFY(host.runAll({vector.arg("0 0 1"), zAngle}));
        QVERIFY(host.run("VO * SetVectorGeometry Add \"Satellite/Satellite Inclination Angle\" Show On Color Blue").ok);

        // The same definition again is accepted and changes nothing, display flags included.
        const SnapshotPtr before = host.s();
        QVERIFY(host.run(vector.arg("0 0 1")).ok);
        QVERIFY(host.run(zAngle).ok);
        QCOMPARE(host.s().get(), before.get());
        QVERIFY(host.item("Satellite/Satellite Inclination Angle").show);

        // Another definition under the same name is refused and the first one stays.
        const CommandOutcome other = host.run(vector.arg("1 0 0"));
        QVERIFY(!other.ok);
        QVERIFY2(other.error.contains("another definition"), qPrintable(other.error));
        QCOMPARE(host.item("CentralBody/Earth Inertial_Z Vector").fixedComponents.z, 1.0);
        QVERIFY(!host.run(angle(inclination, {"Satellite/Satellite Position Vector", "Satellite/Satellite Orbit_AngMomentum Vector"})).ok);
        QCOMPARE(host.item("Satellite/Satellite Inclination Angle").betweenVectors.first(), QString("CentralBody/Earth Inertial_Z Vector"));
    }
};

QTEST_APPLESS_MAIN(TstStandInInterpreter)
#include "tst_standin_interpreter.moc"
