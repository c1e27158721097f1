// The fixed command scripts of the link against the recording fake: scenario
// preparation, the tidying of the host's windows and the hand-over.
#include "host/arrange.h"
#include "host/handover.h"
#include "host/scenario.h"
#include "linkrig.h"
#include "tests/support/transcript.h"

#include <QtTest>

using namespace velmora;
using velmora::testing::FakeHost;
using velmora::testing::RecordingKeys;
using velmora::testing::RecordingNotice;
namespace golden = velmora::testing::golden;

namespace {

using Rig = LinkRig;

// The desktop's window lookup, as the table of a test says it behaves.
class FakeWindows : public host::HostWindows {
public:
    FakeWindows(qint64 hostPid, bool becomesActive, QStringList &trace)
        : hostPid_(hostPid), becomesActive_(becomesActive), trace_(trace) {}
    bool activateWindowOf(qint64 pid, std::chrono::milliseconds timeout) override
    {
        trace_ << QStringLiteral("activate %1 within %2 ms").arg(pid).arg(timeout.count());
        return pid == hostPid_ && becomesActive_;
    }

private:
    qint64 hostPid_;
    bool becomesActive_;
    QStringList &trace_;
};

class TracedKeys : public host::KeySender {
public:
    TracedKeys(bool types, QStringList &trace) : types_(types), trace_(trace) {}
    bool typeKeys(const QString &keys) override
    {
        trace_ << QStringLiteral("desktop types ") + keys;
        return types_;
    }

private:
    bool types_;
    QStringList &trace_;
};

// Window captions in a table: a leading '!' makes the caption unreadable,
// '#' the close refused, '~' the window state refused.
QList<FakeHost::Window> windowsFrom(const QStringList &specs)
{
    QList<FakeHost::Window> windows;
    for (QString spec : specs) {
        FakeHost::Window w;
        while (!spec.isEmpty() && QStringLiteral("!#~").contains(spec.front())) {
            const QChar flag = spec.front();
            (flag == u'!' ? w.captionFails : flag == u'#' ? w.closeFails : w.stateFails) = true;
            spec.remove(0, 1);
        }
        w.caption = spec;
        windows << w;
    }
    return windows;
}

QStringList matching(const QStringList &log, const QString &start)
{
    QStringList found;
    for (const QString &line : log)
        if (line.startsWith(start))
            found << line.mid(start.size());
    return found;
}

const QStringList kBarCommands = golden::asLogged(golden::barsHidden());
const QStringList kArrangeEnd{"set Visible true", "set WindowState 1", "call Arrange 2"};

const QStringList kRestoreCommands = golden::handOverRestore();

} // namespace

class TstHostScripts : public QObject {
    Q_OBJECT
private slots:
    // Scenario preparation
    void scenarioTranscriptIsExact();
    void scenarioFailureOnCreatedHostEndsTheProgram();
    void scenarioFailureOnAdoptedHostIsSkipped();

    // Window arrangement
    void windowPasses_data();
    void windowPasses();
    void captionIsReadAnewForEachPrefix();
    void windowMovedBehindThePassIsClosedBySecondPass();
    void passesSkipped_data();
    void passesSkipped();
    void failingSettingsDoNotStopTheArrangement();

    // Hand-over
    void handOver_data();
    void handOver();
    void handOverTwiceRepeatsEverything();
    void handOverStopsAtAFailingStep_data();
    void handOverStopsAtAFailingStep();
    void handOverEndsWhenARestoreCommandIsFatal();
    void keySenderFallsBackToTheHost();
    void keysGoToTheDesktopOnlyIntoTheActiveHostWindow_data();
    void keysGoToTheDesktopOnlyIntoTheActiveHostWindow();

    // After the end
    void scriptsSendNothingAfterTheEnd();
};

void TstHostScripts::scenarioTranscriptIsExact()
{
    Rig rig(false);
    host::PrepareScenario(rig.link);
    const QStringList expected = QStringList{"set Visible false"} + golden::asLogged(golden::scenarioPreparation());
    QCOMPARE(rig.fake.log, expected);
    QVERIFY(!rig.fake.visible);
    QVERIFY(rig.notice.messages.isEmpty());
}

void TstHostScripts::scenarioFailureOnCreatedHostEndsTheProgram()
{
    Rig rig(false);
    rig.fake.failing << QStringLiteral("New / Scenario Velmora");
    host::PrepareScenario(rig.link);
    QCOMPARE(rig.fake.commands, QStringList{"New / Scenario Velmora"});
    QCOMPARE(rig.notice.messages.size(), 1);
    QCOMPARE(rig.notice.messages.first().title, host::kStartupFailureTitle);
    QCOMPARE(rig.notice.messages.first().text, host::kStartupFailureText);
    QCOMPARE(rig.notice.endings, 1);
    QVERIFY(rig.link.ended());
}

void TstHostScripts::scenarioFailureOnAdoptedHostIsSkipped()
{
    Rig rig(true);  // "CheckScenario /" has gone through
    rig.fake.failing << QStringLiteral("New / Scenario Velmora")
                     << QStringLiteral("Animate Scenario/Velmora SetRefreshMode HighSpeed");
    host::PrepareScenario(rig.link);
    QCOMPARE(rig.fake.commands.size(), 14);
    QCOMPARE(rig.fake.commands.last(), QStringLiteral("ConControl / VerboseOff AckOff"));
    QVERIFY(rig.notice.messages.isEmpty());
    QVERIFY(!rig.link.ended());
}

void TstHostScripts::windowPasses_data()
{
    QTest::addColumn<QStringList>("windows");
    QTest::addColumn<QStringList>("closed");     // in order
    QTest::addColumn<QStringList>("remaining");  // caption=state, in host order

    QTest::newRow("prefixes match only in their own case")
        << QStringList{"HTML Viewer", "html viewer", "Launch Pad", "LAUNCH", "Object Browser",
                       "obj", "Messages", "MESSAGES", "3D Graphics 1 - Earth"}
        << QStringList{"HTML Viewer", "Launch Pad", "Object Browser", "Messages"}
        << QStringList{"html viewer=1", "LAUNCH=1", "obj=1", "MESSAGES=1", "3D Graphics 1 - Earth=1"};
    // Closes shift the windows behind them down past the walking index: the
    // 3-D window is never visited (nor was it before the map came).
    QTest::newRow("the stand-in host's windows: 3-D and map stay")
        << QStringList{"Object Browser", "Messages", "HTML Viewer - Welcome", "3D Graphics 1 - Earth", "2D Graphics 1 - Map"}
        << QStringList{"Object Browser", "HTML Viewer - Welcome", "Messages"}
        << QStringList{"3D Graphics 1 - Earth=0", "2D Graphics 1 - Map=1"};
    QTest::newRow("a caption that is exactly a prefix")
        << QStringList{"HTML", "a", "Launch", "b", "Obj", "c", "Mess"}
        << QStringList{"HTML", "Launch", "Obj", "Mess"}
        << QStringList{"a=1", "b=1", "c=1"};
    QTest::newRow("captions shorter than their prefix")
        << QStringList{"HTM", "Launc", "Ob", "Mes", "L", ""}
        << QStringList{}
        << QStringList{"HTM=1", "Launc=1", "Ob=1", "Mes=1", "L=1", "=1"};
    QTest::newRow("the prefix must open the caption")
        << QStringList{" HTML", "My Messages", "Objects", "Launcher"}
        << QStringList{"Objects", "Launcher"}
        << QStringList{" HTML=1", "My Messages=1"};
    QTest::newRow("an unreadable caption is closed")
        << QStringList{"3D Graphics 1 - Earth", "!Report", "Messages"}
        << QStringList{"Report", "Messages"}
        << QStringList{"3D Graphics 1 - Earth=1"};
    QTest::newRow("a refused close is skipped, the pass goes on")
        << QStringList{"#HTML Viewer", "Object Browser", "Map"}
        << QStringList{"HTML Viewer", "Object Browser", "HTML Viewer"}
        << QStringList{"HTML Viewer=0", "Map=1"};
    QTest::newRow("a refused window state is skipped")
        << QStringList{"~Map", "Messages", "Report"}
        << QStringList{"Messages"}
        << QStringList{"Map=0", "Report=1"};
}

void TstHostScripts::windowPasses()
{
    QFETCH(QStringList, windows);
    QFETCH(QStringList, closed);
    QFETCH(QStringList, remaining);

    Rig rig;
    rig.fake.windows = windowsFrom(windows);
    host::ArrangeHostWindows(rig.link);

    QCOMPARE(matching(rig.fake.log, QStringLiteral("close ")), closed);
    QStringList left;
    for (const FakeHost::Window &w : rig.fake.windows)
        left << QStringLiteral("%1=%2").arg(w.caption).arg(w.state);
    QCOMPARE(left, remaining);
    // Hidden first and shown once, at the end: no window closes in sight.
    QCOMPARE(rig.fake.log.first(), QStringLiteral("set Visible false"));
    QCOMPARE(rig.fake.log.count(QStringLiteral("set Visible true")), 1);
    QCOMPARE(rig.fake.log.mid(rig.fake.log.size() - 7), kBarCommands + kArrangeEnd);
    QVERIFY(rig.notice.messages.isEmpty());
}

void TstHostScripts::captionIsReadAnewForEachPrefix()
{
    Rig rig;
    rig.fake.windows = windowsFrom({"Map", "!Broken"});
    host::ArrangeHostWindows(rig.link);
    // A readable caption: four reads a pass; an unreadable one: one read, then the close.
    const QStringList reads = matching(rig.fake.log, QStringLiteral("get Caption "));
    QCOMPARE(reads, (QStringList{"0", "0", "0", "0", "1", "0", "0", "0", "0"}));
}

void TstHostScripts::windowMovedBehindThePassIsClosedBySecondPass()
{
    Rig rig;
    rig.fake.windows = windowsFrom({"3D Graphics 1 - Earth", "Object Browser", "Map", "Messages"});
    // Closing the browser makes the host bring its message window to the front.
    rig.fake.afterClose = [](FakeHost &h) {
        if (h.windows.size() == 3 && h.windows.last().caption == QLatin1String("Messages"))
            h.windows.move(2, 0);
    };
    host::ArrangeHostWindows(rig.link);

    const QStringList closes = matching(rig.fake.log, QStringLiteral("close "));
    QCOMPARE(closes, (QStringList{"Object Browser", "Messages"}));
    // The second close belongs to the second pass: it follows the second count.
    const qsizetype secondCount = rig.fake.log.lastIndexOf(QStringLiteral("get Count"));
    QVERIFY(rig.fake.log.indexOf(QStringLiteral("close Messages")) > secondCount);
    QCOMPARE(rig.fake.windows.size(), 2);
}

void TstHostScripts::passesSkipped_data()
{
    QTest::addColumn<int>("windows");
    QTest::addColumn<bool>("countFails");
    // No windows: both passes only try index 0, which fails.
    QTest::newRow("no windows") << 0 << false;
    QTest::newRow("count refused") << 1 << true;
    QTest::newRow("count beyond 16 bits") << 32768 << false;
}

void TstHostScripts::passesSkipped()
{
    QFETCH(int, windows);
    QFETCH(bool, countFails);
    Rig rig;
    for (int i = 0; i < windows; ++i)
        rig.fake.windows << FakeHost::Window{QStringLiteral("Messages"), false, false, false, 0};
    if (countFails)
        rig.fake.failingMembers << QStringLiteral("Count");
    host::ArrangeHostWindows(rig.link);
    const QStringList expected = QStringList{"set Visible false", "get Count", "get Count"}
                                 + kBarCommands + kArrangeEnd;
    QCOMPARE(rig.fake.log, expected);
    QVERIFY(rig.fake.visible);
    QCOMPARE(rig.fake.windowState, 1);
    QVERIFY(!rig.link.lastError().isEmpty());
}

void TstHostScripts::failingSettingsDoNotStopTheArrangement()
{
    Rig rig;
    rig.fake.windows = windowsFrom({"Messages", "Map"});
    rig.fake.failingMembers << QStringLiteral("Visible") << QStringLiteral("WindowState");
    host::ArrangeHostWindows(rig.link);
    QCOMPARE(matching(rig.fake.log, QStringLiteral("close ")), QStringList{"Messages"});
    QCOMPARE(rig.fake.log.mid(rig.fake.log.size() - 7), kBarCommands + kArrangeEnd);
    QVERIFY(!rig.link.lastError().isEmpty());
    QVERIFY(rig.notice.messages.isEmpty());
}

void TstHostScripts::handOver_data()
{
    QTest::addColumn<QStringList>("version");
    QTest::addColumn<QStringList>("typed");

    QTest::newRow("version 7") << QStringList{"ZEP v7.0"} << QStringList{"%v4"};
    QTest::newRow("exactly the prefix") << QStringList{"ZEP v7"} << QStringList{"%v4"};
    QTest::newRow("version 7, more lines") << QStringList{"ZEP v7.2 build 9", "x"} << QStringList{"%v4"};
    QTest::newRow("version 8") << QStringList{"ZEP v8"} << QStringList{"%v1"};
    QTest::newRow("version 70") << QStringList{"ZEP v70"} << QStringList{"%v4"};
    QTest::newRow("other case") << QStringList{"zep v7"} << QStringList{"%v1"};
    QTest::newRow("three characters") << QStringList{"ZEP"} << QStringList{"%v1"};
    QTest::newRow("empty line") << QStringList{""} << QStringList{"%v1"};
    QTest::newRow("no line at all") << QStringList{} << QStringList{};
}

void TstHostScripts::handOver()
{
    QFETCH(QStringList, version);
    QFETCH(QStringList, typed);

    Rig rig;
    rig.fake.replies[QStringLiteral("GetZEPVersion /")] = version;
    RecordingKeys keys;
    host::handOverToHost(rig.link, keys);

    QStringList expected;
    for (const QString &c : kRestoreCommands)
        expected << QStringLiteral("cmd ") + c;
    expected << "cmd GetZEPVersion /" << "call Arrange 2" << "call Activate";
    QCOMPARE(rig.fake.log, expected);
    QCOMPARE(keys.typed, typed);
    QVERIFY(rig.notice.messages.isEmpty());
    QVERIFY(!rig.link.ended());
}

void TstHostScripts::handOverTwiceRepeatsEverything()
{
    Rig rig;
    RecordingKeys keys;
    host::handOverToHost(rig.link, keys);
    const QStringList once = rig.fake.log;
    host::handOverToHost(rig.link, keys);
    QCOMPARE(rig.fake.log, once + once);
    QCOMPARE(keys.typed, (QStringList{"%v4", "%v4"}));
}

void TstHostScripts::handOverStopsAtAFailingStep_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QStringList>("tail");  // the log after the six commands

    QTest::newRow("version query") << "GetZEPVersion /" << QStringList{"cmd GetZEPVersion /"};
    QTest::newRow("arrangement") << "Arrange" << QStringList{"cmd GetZEPVersion /", "call Arrange 2"};
    QTest::newRow("activation")
        << "Activate" << QStringList{"cmd GetZEPVersion /", "call Arrange 2", "call Activate"};
}

void TstHostScripts::handOverStopsAtAFailingStep()
{
    QFETCH(QString, failing);
    QFETCH(QStringList, tail);

    Rig rig;
    if (failing.contains(u' '))
        rig.fake.failing << failing;
    else
        rig.fake.failingMembers << failing;
    RecordingKeys keys;
    host::handOverToHost(rig.link, keys);

    QCOMPARE(rig.fake.log.mid(kRestoreCommands.size()), tail);
    QVERIFY(keys.typed.isEmpty());
    QVERIFY(rig.notice.messages.isEmpty());
    QVERIFY(!rig.link.ended());
    QVERIFY(rig.link.lastError().contains(QStringLiteral("refused")));
}

void TstHostScripts::handOverEndsWhenARestoreCommandIsFatal()
{
    Rig rig;
    rig.link.SetCommandSucceeded(false);
    rig.fake.failing << QStringLiteral("Application / ToolBar Show \"*\"");
    RecordingKeys keys;
    host::handOverToHost(rig.link, keys);
    QCOMPARE(rig.fake.log, QStringList{"cmd Application / ToolBar Show \"*\""});
    QCOMPARE(rig.notice.messages.size(), 1);
    QVERIFY(keys.typed.isEmpty());
}

void TstHostScripts::keySenderFallsBackToTheHost()
{
    // Under the offscreen platform there is no synthesised input: the host types.
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    Rig rig;
    auto keys = host::makeKeySender(rig.link);
    QVERIFY(keys);
    QVERIFY(keys->typeKeys(QStringLiteral("%v4")));
    QCOMPARE(rig.fake.log, QStringList{"call SendKeys %v4"});

    rig.fake.failingMembers << QStringLiteral("SendKeys");
    QVERIFY(!keys->typeKeys(QStringLiteral("%v1")));
    QVERIFY(!rig.link.lastError().isEmpty());
    QVERIFY(rig.notice.messages.isEmpty());
}

void TstHostScripts::keysGoToTheDesktopOnlyIntoTheActiveHostWindow_data()
{
    QTest::addColumn<bool>("desktop");        // the session offers synthesised keys
    QTest::addColumn<qint64>("busPid");       // what the bus says of the host, 0 unknown
    QTest::addColumn<qint64>("windowPid");    // the process that owns a window, 0 none
    QTest::addColumn<bool>("becomesActive");
    QTest::addColumn<bool>("desktopTypes");
    QTest::addColumn<QStringList>("trace");
    QTest::addColumn<QStringList>("hostLog");

    const QString activate = QStringLiteral("activate 4242 within 2000 ms");
    const QString typed = QStringLiteral("desktop types %v4");
    const QStringList sendKeys{QStringLiteral("call SendKeys %v4")};
    QTest::newRow("host window active") << true << qint64(4242) << qint64(4242) << true << true
                                        << QStringList{activate, typed} << QStringList{};
    QTest::newRow("no synthesised input") << false << qint64(4242) << qint64(4242) << true << true
                                          << QStringList{} << sendKeys;
    QTest::newRow("bus cannot tell the pid") << true << qint64(0) << qint64(4242) << true << true
                                             << QStringList{} << sendKeys;
    QTest::newRow("pid is the toolbar's own") << true << QCoreApplication::applicationPid()
                                              << QCoreApplication::applicationPid() << true << true
                                              << QStringList{} << sendKeys;
    QTest::newRow("host has no window on this display") << true << qint64(4242) << qint64(0) << true << true
                                                        << QStringList{activate} << sendKeys;
    QTest::newRow("window never becomes active") << true << qint64(4242) << qint64(4242) << false << true
                                                 << QStringList{activate} << sendKeys;
    QTest::newRow("desktop cannot type the keys") << true << qint64(4242) << qint64(4242) << true << false
                                                  << QStringList{activate, typed} << sendKeys;
}

void TstHostScripts::keysGoToTheDesktopOnlyIntoTheActiveHostWindow()
{
    QFETCH(bool, desktop);
    QFETCH(qint64, busPid);
    QFETCH(qint64, windowPid);
    QFETCH(bool, becomesActive);
    QFETCH(bool, desktopTypes);
    QFETCH(QStringList, trace);
    QFETCH(QStringList, hostLog);

    Rig rig;
    QStringList seen;
    auto keys = host::makeKeySender(
        rig.link, [busPid] { return busPid; },
        desktop ? std::make_unique<TracedKeys>(desktopTypes, seen) : nullptr,
        desktop ? std::make_unique<FakeWindows>(windowPid, becomesActive, seen) : nullptr);
    QVERIFY(keys->typeKeys(QStringLiteral("%v4")));
    QCOMPARE(seen, trace);
    QCOMPARE(rig.fake.log, hostLog);
}

void TstHostScripts::scriptsSendNothingAfterTheEnd()
{
    Rig rig;
    rig.fake.windows = windowsFrom({"Messages", "Map"});
    rig.link.SetCommandSucceeded(false);
    rig.fake.failing << QStringLiteral("Application / ToolBar Hide \"*\"");
    host::ArrangeHostWindows(rig.link);
    QVERIFY(rig.link.ended());
    QCOMPARE(rig.fake.log.last(), QStringLiteral("cmd Application / ToolBar Hide \"*\""));

    rig.fake.log.clear();
    RecordingKeys keys;
    host::PrepareScenario(rig.link);
    host::ArrangeHostWindows(rig.link);
    host::handOverToHost(rig.link, keys);
    QVERIFY(rig.fake.log.isEmpty());
    QVERIFY(keys.typed.isEmpty());
    QCOMPARE(rig.notice.messages.size(), 1);
}

QTEST_MAIN(TstHostScripts)
#include "tst_hostscripts.moc"
