// Lessons without a window: which files are refused, where and why, with
// nothing of them run; steps that show the same scene however they are
// reached; and saved commands that rebuild their scene in a fresh host.

#include "standin/model/interpreter.h"
#include "standin/model/lesson.h"
#include "standin/model/lessonplayer.h"
#include "tests/support/transcript.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace zep;
namespace golden = velmora::testing::golden;

namespace {

QString orbit(const QString &sat, double a, double e, double i)
{
    return QStringLiteral("SetState */Satellite/%1 Classical TwoBody \"1 Jul 2005 12:00:00.00\" \"2 Jul 2005 12:00:00.00\" "
                          "60 J2000 \"1 Jul 2005 12:00:00.00\" %2 %3 %4 0 0 0")
        .arg(sat).arg(a).arg(e).arg(i);
}

// Opening lines, then three steps; the scenario name is not the host's.
QByteArray threeSteps()
{
    return QStringList{
        "# Low to high",
        "New / Scenario Lesson",
        "New / Scenario/Lesson/Satellite LEO",
        orbit("LEO", 6778137, 0, 51.6),
        "",
        "Step \"Keep the low orbit\"",
        "Keep Scenario/Lesson/Satellite/LEO",
        "Step \"Raise it\"",
        "  " + orbit("LEO", 42164137, 0, 0),
        "VO Scenario/Lesson Grids Space ShowECI On",
        "Step \"Another one, and the transfer\"",
        "New / */Satellite GEO",
        orbit("GEO", 42164137, 0, 0),
        orbit("LEO", 6778137, 0.001, 51.6),
        "Transfer */Satellite/LEO */Satellite/GEO",
    }.join('\n').toUtf8() + '\n';
}

// What a step shows: the satellites' elements, the kept orbits, the geometry.
QString scene(const Snapshot &s, const QString &skip = {})
{
    QStringList parts{s.scenarioName, QString::number(s.grid.showEci)};
    for (const SatelliteState &sat : s.satellites) {
        if (sat.name == skip)
            continue;
        const astro::Elements &e = sat.elements;
        parts << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9").arg(sat.name).arg(sat.hasOrbit).arg(e.a).arg(e.e)
                     .arg(e.i).arg(e.raan).arg(e.argp).arg(e.meanAnomaly).arg(sat.color.name());
    }
    for (const KeptOrbit &kept : s.keptOrbits)
        parts << QStringLiteral("kept %1 %2 %3 %4").arg(kept.number).arg(kept.satellite).arg(kept.elements.a).arg(kept.elements.e);
    for (const GeometryItem &item : s.geometry)
        parts << QStringLiteral("%1 %2 %3").arg(item.path).arg(item.show).arg(item.color.name());
    parts << (s.transfer ? s.transfer->from + "->" + s.transfer->to : QStringLiteral("no transfer"));
    return parts.join('\n');
}

struct Host {
    ScenarioStore store;
    CommandInterpreter interpreter{store};
    LessonPlayer player{store};

    bool run(const QStringList &lines)
    {
        for (const QString &line : lines) {
            const CommandOutcome out = interpreter.execute(line);
            if (!out.ok) {
                qWarning("refused: %s: %s", qPrintable(line), qPrintable(out.error));
                return false;
            }
        }
        return true;
    }
    CommandOutcome lesson(const QString &words) { return player.execute("Lesson " + words).out; }
};

} // namespace

class TstStandInLesson : public QObject {
    Q_OBJECT
private slots:
    void reader_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("line");     // of the refusal; -1 when it opens
        QTest::addColumn<QString>("why");  // of the refusal, or the title

        const QByteArray open = "New / Scenario Velmora\n";
        QTest::newRow("steps, comments, blank and indented lines") << threeSteps() << -1 << "Low to high";
        QTest::newRow("CRLF, a byte order mark, no title")
            << QByteArray("\xEF\xBB\xBFNew / Scenario Velmora\r\nStep \"One\"\r\n") << -1 << "lesson";
        QTest::newRow("a step alone") << QByteArray("Step \"Look\"") << -1 << "lesson";
        QTest::newRow("wrong command") << open + "Launch / Rocket\n" << 2 << "unknown command \"Launch\"";
        QTest::newRow("unknown step form") << open + "Step one\n" << 2 << "expected Step \"caption\"";
        QTest::newRow("words after the caption") << open + "Step \"One\" more\n" << 2 << "nothing after it";
        QTest::newRow("empty caption") << open + "Step \"  \"\n" << 2 << "caption is empty";
        QTest::newRow("unterminated caption") << open + "Step \"One\n" << 2 << "quote is not closed";
        QTest::newRow("unterminated quote") << open + "SetEpoch Scenario/Velmora \"1 Jul 2005\n" << 2 << "unbalanced double quote";
        QTest::newRow("a lesson command") << open + "Step \"One\"\nLesson * Next\n" << 3 << "cannot open or move another lesson";
        QTest::newRow("a file-writing command") << open + "Step \"One\"\nSavePicture * \"/tmp/x.png\"\n" << 3 << "lesson";
        QTest::newRow("too long a line") << open + "# " + QByteArray(64 * 1024, 'a') + "\n" << 2 << "longer than 64 KiB";
        QTest::newRow("not UTF-8") << open + "# caf\xE9\n" << 2 << "not UTF-8";
        QTest::newRow("empty") << QByteArray("# Only words\n\n# about nothing\n") << 0 << "no command and no step";
        QTest::newRow("too big") << QByteArray(kMaxLessonBytes + 1, '\n') << 0 << "larger than 1 MiB";
        QTest::newRow("refused when run") << open + "Step \"One\"\nNew / */Satellite S\nStep \"Two\"\n" + orbit("S", 7e6, 1.5, 0).toUtf8()
                                          << 5 << "eccentricity 1.5 must be below 1";
        QTest::newRow("a satellite it never made") << open + "Keep */Satellite/Nobody\n" << 2 << "no satellite";
    }

    void reader()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, line);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString path = dir.filePath("lesson.lesson");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();

        Host host;
        QVERIFY(host.run({"New / Scenario Host", "New / */Satellite Satellite"}));
        const SnapshotPtr before = host.store.snapshot();
        const CommandOutcome out = host.lesson("/ Open \"" + path + "\"");
        if (line < 0) {
            QVERIFY2(out.ok, qPrintable(out.error));
            QCOMPARE(out.reply.value(1), why);
            return;
        }
        QVERIFY(!out.ok);
        const QString where = line > 0 ? QStringLiteral("%1:%2: ").arg(path).arg(line) : path + ": ";
        QVERIFY2(out.error.startsWith(where) && out.error.contains(why), qPrintable(out.error));
        // Nothing ran: not one snapshot was published.
        QCOMPARE(host.store.snapshot(), before);
        QVERIFY(!host.lesson("* Status").ok);
    }

    // Moves from a walk forward; each row ends where its step's scene must be
    // the one the walk showed there.
    // The lessons that ship open and step to their end with nothing refused,
    // in a fresh host and beside the toolbar's scenario alike.
    void shippedLessonsRunToTheirEnd_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("toolbar");
        const QDir folder(QStringLiteral(VELMORA_SOURCE_LESSONS));
        const QStringList files = folder.entryList({"*.lesson"}, QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 4);
        for (const QString &name : files)
            for (bool toolbar : {false, true})
                QTest::addRow("%s%s", qPrintable(name), toolbar ? ", toolbar's scenario" : "")
                    << folder.filePath(name) << toolbar;
    }

    void shippedLessonsRunToTheirEnd()
    {
        QFETCH(QString, path);
        QFETCH(bool, toolbar);
        Host host;
        if (toolbar)
            QVERIFY(host.run(golden::scenarioPreparation()));
        const CommandOutcome opened = host.lesson("/ Open \"" + path + "\"");
        QVERIFY2(opened.ok, qPrintable(opened.error));
        const int steps = opened.reply.value(0).toInt();
        QVERIFY(steps >= 3);
        for (int k = 1; k <= steps; ++k) {
            const CommandOutcome out = host.lesson("* Next");
            QVERIFY2(out.ok, qPrintable(QStringLiteral("step %1: %2").arg(k).arg(out.error)));
        }
        const SnapshotPtr s = host.store.snapshot();
        QCOMPARE(s->lesson.step, steps);
        const SatelliteState *sat = s->findSatellite("Satellite");
        QVERIFY(sat && sat->drawable());
    }

    void stepsShowTheSameScene_data()
    {
        QTest::addColumn<QStringList>("moves");
        QTest::addColumn<int>("step");
        QTest::newRow("back one") << QStringList{"Next", "Next", "Back"} << 1;
        QTest::newRow("to the end and back to the opening")
            << QStringList{"Next", "Next", "Next", "Back", "Back", "Back"} << 0;
        QTest::newRow("back and forth at the end") << QStringList{"Next", "Next", "Next", "Back", "Next"} << 3;
        QTest::newRow("past either end is refused") << QStringList{"Back", "Next", "Next", "Next", "Next"} << 3;
    }

    void stepsShowTheSameScene()
    {
        QFETCH(QStringList, moves);
        QFETCH(int, step);
        QTemporaryDir dir;
        QFile file(dir.filePath("three.lesson"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(threeSteps()) > 0);
        file.close();

        Host host;
        // The toolbar's satellite, which the lesson never names.
        QVERIFY(host.run({"New / Scenario Velmora", "New / */Satellite Satellite", orbit("Satellite", 7e6, 0.01, 10)}));
        CommandOutcome opened = host.lesson("/ Open \"" + file.fileName() + "\"");
        QVERIFY2(opened.ok, qPrintable(opened.error));
        QCOMPARE(opened.reply, (QStringList{"3", "Low to high"}));

        const QString toolbars = QStringLiteral("Satellite");
        QStringList walk{scene(*host.store.snapshot(), toolbars)};
        for (int k = 1; k <= 3; ++k) {
            const CommandOutcome out = host.lesson("* Next");
            QVERIFY2(out.ok, qPrintable(out.error));
            QCOMPARE(out.reply.value(0), QString::number(k));
            walk << scene(*host.store.snapshot(), toolbars);
        }
        QVERIFY(walk[3] != walk[2] && walk[2] != walk[1] && walk[1] != walk[0]);

        // Rebuild the walk's start, then tune the toolbar's satellite by hand.
        while (host.player.step() > 0)
            QVERIFY(host.lesson("* Back").ok);
        QVERIFY(host.run({orbit("Satellite", 8e6, 0.02, 20)}));
        const SatelliteState tuned = *host.store.snapshot()->findSatellite("Satellite");
        for (const QString &move : moves)
            host.lesson("* " + move);

        const SnapshotPtr s = host.store.snapshot();
        QCOMPARE(host.player.step(), step);
        QCOMPARE(s->lesson.step, step);
        QCOMPARE(s->lesson.count, 3);
        QCOMPARE(scene(*s, toolbars), walk[step]);
        // The satellite the lesson never names stays as it was tuned.
        QCOMPARE(s->findSatellite("Satellite")->elements.a, tuned.elements.a);
        QCOMPARE(s->findSatellite("Satellite")->elements.e, tuned.elements.e);
    }

    // What the Personality records (the accepted commands that are not
    // queries), saved as a lesson and opened in a fresh host.
    void savedCommandsRebuildTheScene_data()
    {
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("the toolbar's start-up and aids")
            << golden::scenarioPreparation() + golden::barsHidden() + golden::startupView()
                   + golden::geometryAids(QStringLiteral("Add"), QStringLiteral("On"));
        QTest::newRow("several satellites, a kept orbit, a transfer")
            << QStringList{"New / Scenario Mission", "CheckScenario /", "New / */Satellite LEO", orbit("LEO", 6778137, 0, 28.5),
                           "Keep */Satellite/LEO", "New / Scenario/Mission/Satellite GEO", orbit("GEO", 42164137, 0, 0),
                           "GetEpoch Scenario/Mission", "Transfer */Satellite/LEO */Satellite/GEO", "Unload / */Satellite/LEO"};
    }

    void savedCommandsRebuildTheScene()
    {
        QFETCH(QStringList, commands);
        Host original;
        QStringList recorded;
        for (const QString &line : commands) {
            const CommandOutcome out = original.interpreter.execute(line);
            QVERIFY2(out.ok, qPrintable(line + ": " + out.error));
            if (CommandInterpreter::kindOf(line.section(' ', 0, 0)) == CommandInterpreter::CommandKind::Change)
                recorded << line;
        }
        QTemporaryDir dir;
        QFile file(dir.filePath("saved.lesson"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(lessonText({"Saved", "for a test"}, recorded));
        file.close();

        Host fresh;
        const CommandOutcome out = fresh.lesson("/ Open \"" + file.fileName() + "\"");
        QVERIFY2(out.ok, qPrintable(out.error));
        QCOMPARE(out.reply, (QStringList{"0", "Saved"}));
        QCOMPARE(scene(*fresh.store.snapshot()), scene(*original.store.snapshot()));
    }
};

QTEST_GUILESS_MAIN(TstStandInLesson)
#include "tst_standin_lesson.moc"
