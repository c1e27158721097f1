// The bus client against the recording fake host on a private session bus: in
// this process on a connection and thread of its own, or as a program the
// client starts.
#include "host/dbusautomation.h"
#include "host/handover.h"
#include "host/hostlink.h"
#include "stubhost.h"
#include "tests/support/fakehost.h"

#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QThread>
#include <QtTest>

#include <signal.h>

using namespace velmora;
using host::AutomationRef;
using host::Outcome;
using velmora::testing::FakeHost;
using velmora::testing::StubHost;

namespace {

const QString kName = QStringLiteral("ZEP.Application");
const QString kServiceConnection = QStringLiteral("stub-host");
const QString kVersion = QStringLiteral("ZEP v7.0 (stand-in)");  // the fake's

// The stub host serving on its own connection from its own thread, so that the
// client's blocking calls in the test thread really cross the bus.
class ServedStub {
public:
    explicit ServedStub(const QStringList &captions = {QStringLiteral("Messages"), QStringLiteral("Map")})
        : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, kServiceConnection)),
          host_(bus_, captions)
    {
        thread_.start();
        host_.moveToThread(&thread_);
        published_ = host_.publish(kName);
    }
    ~ServedStub()
    {
        // The connection closes once the last reference to it is gone.
        QDBusConnection::disconnectFromBus(kServiceConnection);
        thread_.quit();
        thread_.wait();
    }
    bool published() const { return published_; }
    StubHost &host() { return host_; }

private:
    QDBusConnection bus_;
    StubHost host_;
    QThread thread_;
    bool published_ = false;
};

bool nameOwned(const QString &name)
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(name);
}

AutomationRef attached()
{
    host::DBusAutomation bus;
    const Outcome app = bus.attach(kName);
    return app.ok ? app.object : nullptr;
}

// A started stub program ends itself when asked.
void stopStub(const AutomationRef &app)
{
    const Outcome personality = app->get(QStringLiteral("Personality"));
    if (personality.ok)
        personality.object->call(QStringLiteral("ExecuteCommand"), {QStringLiteral("Quit /")});
}

} // namespace

class TstHostDBusAutomation : public QObject {
    Q_OBJECT
private slots:
    void init();

    void attachNeedsAnOwner();
    void propertiesReadAndWrite();
    void commands_data();
    void commands();
    void windowsByIndex();
    void linkOverTheBus();
    void hostThatWentAwayEndsTheProgram();
    void stoppedHostIsWaitedForOnceThenProbed();
    void hungCommandIsWaitedForThenProbedBack();

    void create_data();
    void create();
    void startWaitEndsWithTheName_data();
    void startWaitEndsWithTheName();
    void standInProgramFollowsTheEnvironment();
};

void TstHostDBusAutomation::init()
{
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "the test needs a session bus");
    QTRY_VERIFY(!nameOwned(kName));
}

void TstHostDBusAutomation::attachNeedsAnOwner()
{
    host::DBusAutomation bus;
    const Outcome none = bus.attach(kName);
    QVERIFY(!none.ok);
    QVERIFY(!none.object);
    QVERIFY2(none.error.contains(QStringLiteral("NameHasNoOwner")), qPrintable(none.error));

    ServedStub stub;
    QVERIFY(stub.published());
    const Outcome app = bus.attach(kName);
    QVERIFY2(app.ok, qPrintable(app.error));
    QVERIFY(app.object);
    // The bus knows whose the host is: here, this process's own.
    QCOMPARE(bus.processIdOf(app.object), QCoreApplication::applicationPid());
    QCOMPARE(bus.processIdOf(nullptr), 0);
}

void TstHostDBusAutomation::propertiesReadAndWrite()
{
    ServedStub stub;
    const AutomationRef app = attached();
    QVERIFY(app);

    Outcome visible = app->get(QStringLiteral("Visible"));
    QVERIFY(visible.ok);
    QCOMPARE(visible.value.typeId(), QMetaType::Bool);
    QCOMPARE(visible.value.toBool(), true);

    QVERIFY(app->set(QStringLiteral("Visible"), false).ok);
    QVERIFY(!stub.host().with([](FakeHost &h) { return h.visible; }));
    QCOMPARE(app->get(QStringLiteral("Visible")).value.toBool(), false);

    QVERIFY(app->set(QStringLiteral("WindowState"), 1).ok);
    const Outcome state = app->get(QStringLiteral("WindowState"));
    QCOMPARE(state.value.typeId(), QMetaType::Int);
    QCOMPARE(state.value.toInt(), 1);

    QVERIFY(app->set(QStringLiteral("UserControl"), true).ok);
    QCOMPARE(stub.host().log(),
             (QStringList{"set Visible false", "set WindowState 1", "set UserControl true"}));

    QVERIFY(!app->get(QStringLiteral("NoSuchThing")).ok);
    QVERIFY(!app->set(QStringLiteral("NoSuchThing"), 3).ok);

    // Object-valued members come back as objects, the same each time.
    const Outcome first = app->get(QStringLiteral("Personality"));
    QVERIFY(first.ok);
    QVERIFY(first.object);
    QVERIFY(!first.value.isValid());
    QCOMPARE(app->get(QStringLiteral("Personality")).object, first.object);
    const Outcome windows = app->get(QStringLiteral("Windows"));
    QVERIFY(windows.object);
    QCOMPARE(app->get(QStringLiteral("Windows")).object, windows.object);
    QVERIFY(windows.object != first.object);
}

void TstHostDBusAutomation::commands_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QStringList>("reply");
    QTest::addColumn<QString>("error");  // empty: the call goes through
    const QString run = QStringLiteral("ExecuteCommand");
    QTest::newRow("one line") << run << QVariantList{"GetZEPVersion /"} << QStringList{kVersion} << "";
    QTest::newRow("two lines") << run << QVariantList{"Lines /"} << QStringList{"first", "second"} << "";
    QTest::newRow("no line") << run << QVariantList{"Empty /"} << QStringList{} << "";
    QTest::newRow("refused command") << run << QVariantList{"Bogus / x"} << QStringList{}
                                     << "ZEP.Error.CommandFailed: refused: Bogus / x";
    QTest::newRow("unknown method") << "NoSuchMethod" << QVariantList{} << QStringList{} << "UnknownMethod";
    QTest::newRow("wrong argument type") << run << QVariantList{42} << QStringList{} << "UnknownMethod";
}

void TstHostDBusAutomation::commands()
{
    QFETCH(QString, member);
    QFETCH(QVariantList, args);
    QFETCH(QStringList, reply);
    QFETCH(QString, error);
    ServedStub stub;
    stub.host().with([](FakeHost &h) {
        h.replies.insert(QStringLiteral("Lines /"), {QStringLiteral("first"), QStringLiteral("second")});
        h.failing << QStringLiteral("Bogus / x");
    });
    const AutomationRef app = attached();
    QVERIFY(app);
    const AutomationRef personality = app->get(QStringLiteral("Personality")).object;
    QVERIFY(personality);
    const Outcome got = personality->call(member, args);
    QVERIFY(!got.object);
    if (!error.isEmpty()) {
        QVERIFY(!got.ok);
        QVERIFY2(got.error.contains(error), qPrintable(got.error));
        return;
    }
    QVERIFY2(got.ok, qPrintable(got.error));
    QCOMPARE(got.value.typeId(), QMetaType::QStringList);
    QCOMPARE(got.value.toStringList(), reply);
}

void TstHostDBusAutomation::windowsByIndex()
{
    ServedStub stub({QStringLiteral("Messages"), QStringLiteral("Map")});
    const AutomationRef app = attached();
    QVERIFY(app);
    const AutomationRef windows = app->get(QStringLiteral("Windows")).object;
    QVERIFY(windows);
    QCOMPARE(windows->get(QStringLiteral("Count")).value.toInt(), 2);

    const Outcome second = windows->call(QStringLiteral("Item"), {1});
    QVERIFY(second.ok);
    QVERIFY(second.object);
    QCOMPARE(second.object->get(QStringLiteral("Caption")).value.toString(), QStringLiteral("Map"));
    QVERIFY(second.object->set(QStringLiteral("WindowState"), 1).ok);

    const Outcome beyond = windows->call(QStringLiteral("Item"), {2});
    QVERIFY(!beyond.ok);
    QVERIFY2(beyond.error.startsWith(QStringLiteral("ZEP.Error.InvalidIndex")), qPrintable(beyond.error));

    const AutomationRef first = windows->call(QStringLiteral("Item"), {0}).object;
    QVERIFY(first->call(QStringLiteral("Close")).ok);
    QCOMPARE(windows->get(QStringLiteral("Count")).value.toInt(), 1);
    // A window object outlives its window only as a failure.
    QVERIFY(!first->get(QStringLiteral("Caption")).ok);
    QVERIFY(windows->call(QStringLiteral("Arrange"), {2}).ok);
    QCOMPARE(stub.host().log(), (QStringList{"get Count", "get Caption 1", "set WindowState 1 of Map",
                                             "close Messages", "get Count", "call Arrange 2"}));
}

void TstHostDBusAutomation::linkOverTheBus()
{
    ServedStub stub;
    stub.host().with([](FakeHost &h) { h.failing << QStringLiteral("Bogus /"); });
    host::DBusAutomation bus;
    testing::RecordingNotice notice;
    host::HostLink link(bus, notice);
    QVERIFY(link.ConnectToHost());
    QCOMPARE(link.SendHostCommand(QStringLiteral("GetZEPVersion /")), kVersion);
    QCOMPARE(link.SendHostCommand(QStringLiteral("Empty /")), QStringLiteral("0"));
    QVERIFY(link.SendHostCommand(QStringLiteral("Bogus /")).isNull());
    QVERIFY(link.lastError().startsWith(QStringLiteral("ZEP.Error.CommandFailed")));
    QVERIFY(notice.messages.isEmpty());

    // No synthesised input offscreen: the hand-over's keys go to the host.
    auto keys = host::makeKeySender(link);
    QVERIFY(keys->typeKeys(QStringLiteral("%v4")));
    QCOMPARE(stub.host().log(),
             (QStringList{"cmd CheckScenario /", "set UserControl true", "set Visible false",
                          "cmd GetZEPVersion /", "cmd Empty /", "cmd Bogus /", "call SendKeys %v4"}));
}

namespace {
// The link starts the stub as a program of its own, to be killed or stopped.
struct StartedStub {
    StartedStub()
    {
        qputenv("ZEP_STANDIN", VELMORA_STUB_HOST);
        qputenv("ZEP_STUB_NAME", kName.toUtf8());
        qunsetenv("ZEP_STUB_MODE");
    }
    ~StartedStub()
    {
        if (pid > 0) {
            ::kill(pid_t(pid), SIGCONT);
            ::kill(pid_t(pid), SIGKILL);
        }
    }
    bool connect()
    {
        if (!link.ConnectToHost())
            return false;
        pid = QDBusConnection::sessionBus().interface()->servicePid(kName);
        return pid > 0;
    }
    host::DBusAutomation bus;
    testing::RecordingNotice notice;
    host::HostLink link{bus, notice};
    uint pid = 0;
};
} // namespace

void TstHostDBusAutomation::hostThatWentAwayEndsTheProgram()
{
    StartedStub stub;
    QVERIFY(stub.connect());
    QCOMPARE(stub.link.SendHostCommand(QStringLiteral("GetZEPVersion /")), kVersion);

    ::kill(pid_t(stub.pid), SIGKILL);
    stub.pid = 0;
    // Noticed from the event loop, without any command being sent.
    QTRY_COMPARE(stub.notice.messages.size(), 1);
    QCOMPARE(stub.notice.messages.first().title, host::kHostGoneTitle);
    QCOMPARE(stub.notice.endings, 1);
    QVERIFY(stub.link.ended());

    // Nor is a new host under the same name taken over by the old link.
    ServedStub second;
    QVERIFY(second.published());
    QVERIFY(stub.link.SendHostCommand(QStringLiteral("GetZEPVersion /")).isNull());
    QVERIFY(second.host().log().isEmpty());
}

void TstHostDBusAutomation::stoppedHostIsWaitedForOnceThenProbed()
{
    StartedStub stub;
    QVERIFY(stub.connect());
    int caughtUp = 0;
    QObject::connect(&stub.link, &host::HostLink::answeringChanged, [&](bool answering) {
        if (!answering)
            return;
        ++caughtUp;
        stub.link.SendHostCommand(QStringLiteral("Lines /"));
    });
    QCOMPARE(stub.link.SendHostCommand(QStringLiteral("GetZEPVersion /")), kVersion);

    ::kill(pid_t(stub.pid), SIGSTOP);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(stub.link.SendHostCommand(QStringLiteral("GetZEPVersion /")).isNull());
    const qint64 firstWait = clock.restart();
    QVERIFY2(firstWait < host::DBusAutomation::kCallTimeout.count() + 1000, qPrintable(QString::number(firstWait)));
    QVERIFY(!stub.link.isAnswering());
    for (int k = 0; k < 5; ++k)
        QVERIFY(stub.link.SendHostCommand(QStringLiteral("GetZEPVersion /")).isNull());
    QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed())));
    QTest::qWait(500);   // the probe keeps asking meanwhile
    QCOMPARE(caughtUp, 0);

    ::kill(pid_t(stub.pid), SIGCONT);
    QTRY_VERIFY_WITH_TIMEOUT(stub.link.isAnswering(), 10000);
    QCOMPARE(caughtUp, 1);
    QVERIFY(stub.notice.messages.isEmpty());
    QCOMPARE(stub.link.SendHostCommand(QStringLiteral("GetZEPVersion /")), kVersion);
}

void TstHostDBusAutomation::hungCommandIsWaitedForThenProbedBack()
{
    ServedStub stub;
    host::DBusAutomation bus;
    bus.setCallTimeout(std::chrono::milliseconds(300));
    testing::RecordingNotice notice;
    host::HostLink link(bus, notice);
    QVERIFY(link.ConnectToHost());

    // The lost answer makes the host not answering, which is not fatal once
    // it has answered; a host that answers Ping (its bus thread is alive) is
    // taken back at once, though its commands still hang.
    stub.host().with([](FakeHost &h) { h.hung = true; });
    QVERIFY(link.SendHostCommand(QStringLiteral("GetZEPVersion /")).isNull());
    QVERIFY2(link.lastError().contains(QStringLiteral("NoReply")), qPrintable(link.lastError()));
    QVERIFY(!link.isAnswering());
    QVERIFY(notice.messages.isEmpty());
    QTRY_VERIFY(link.isAnswering());
    stub.host().with([](FakeHost &h) { h.resume(); });
    QCOMPARE(link.SendHostCommand(QStringLiteral("GetZEPVersion /")), kVersion);
}

void TstHostDBusAutomation::create_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("error");  // empty: the host comes up
    QTest::newRow("starts the program") << VELMORA_STUB_HOST << "" << "";
    QTest::newRow("no such program") << "/nonexistent/velmora-zep" << "" << "cannot start";
    QTest::newRow("program exits at once") << VELMORA_STUB_HOST << "exit" << "exited";
    QTest::newRow("name never taken") << VELMORA_STUB_HOST << "silent" << "in time";
}

void TstHostDBusAutomation::create()
{
    QFETCH(QString, program);
    QFETCH(QString, mode);
    QFETCH(QString, error);
    const QString name = QStringLiteral("ZEP.StubApplication");
    qputenv("ZEP_STANDIN", program.toUtf8());
    qputenv("ZEP_STUB_MODE", mode.toUtf8());
    qputenv("ZEP_STUB_NAME", name.toUtf8());
    host::DBusAutomation bus;
    if (error.isEmpty()) {
        QVERIFY(!bus.attach(name).ok);
        const Outcome app = bus.create(name);
        QVERIFY2(app.ok, qPrintable(app.error));
        QVERIFY(nameOwned(name));
        const Outcome visible = app.object->get(QStringLiteral("Visible"));
        QVERIFY2(visible.ok, qPrintable(visible.error));
        const qint64 pid = bus.processIdOf(app.object);
        QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget(), program);
        stopStub(app.object);
        QTRY_VERIFY(!nameOwned(name));
        return;
    }
    bus.setStartTimeout(std::chrono::milliseconds(500));
    const Outcome app = bus.create(name);
    QVERIFY(!app.ok);
    QVERIFY(!app.object);
    QVERIFY2(app.error.contains(error), qPrintable(app.error));

    // And through the link: the start-up failure message, once.
    testing::RecordingNotice notice;
    host::HostLink link(bus, notice);
    if (mode.isEmpty()) {
        QVERIFY(!link.ConnectToHost());
        QCOMPARE(notice.messages.size(), 1);
        QCOMPARE(notice.messages.first().title, host::kStartupFailureTitle);
    }
    qunsetenv("ZEP_STUB_MODE");
}

void TstHostDBusAutomation::startWaitEndsWithTheName_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("delayMs");     // until the started host takes its name
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<bool>("comesUp");
    QTest::newRow("name taken at once") << "" << 0 << 5000 << true;
    QTest::newRow("name taken late, in time") << "" << 1200 << 5000 << true;
    QTest::newRow("name taken after the deadline") << "" << 2500 << 700 << false;
    QTest::newRow("name never taken") << "silent" << 0 << 700 << false;
}

void TstHostDBusAutomation::startWaitEndsWithTheName()
{
    QFETCH(QString, mode);
    QFETCH(int, delayMs);
    QFETCH(int, timeoutMs);
    QFETCH(bool, comesUp);
    // A name of its own per row: a host that comes up late disturbs no other.
    static int row = 0;
    const QString name = QStringLiteral("ZEP.StubWait%1").arg(++row);
    qputenv("ZEP_STANDIN", VELMORA_STUB_HOST);
    qputenv("ZEP_STUB_MODE", mode.toUtf8());
    qputenv("ZEP_STUB_NAME", name.toUtf8());
    qputenv("ZEP_STUB_DELAY", QByteArray::number(delayMs));
    const auto unset = qScopeGuard([] {
        qunsetenv("ZEP_STUB_MODE");
        qunsetenv("ZEP_STUB_DELAY");
    });

    host::DBusAutomation bus;
    bus.setStartTimeout(std::chrono::milliseconds(timeoutMs));
    QElapsedTimer clock;
    clock.start();
    const Outcome app = bus.create(name);
    const qint64 took = clock.elapsed();

    QCOMPARE(app.ok, comesUp);
    if (comesUp) {
        // Over once the name is there: the host's own start is the only
        // slack allowed, however long the deadline.
        QVERIFY2(took >= delayMs && took < delayMs + 1500, qPrintable(QString::number(took)));
        stopStub(app.object);
    } else {
        QVERIFY2(app.error.contains(QStringLiteral("in time")), qPrintable(app.error));
        QVERIFY2(took >= timeoutMs && took < timeoutMs + 500, qPrintable(QString::number(took)));
    }
    if (delayMs > 0 && !comesUp) {
        QTRY_VERIFY_WITH_TIMEOUT(nameOwned(name), 10000);
        stopStub(bus.attach(name).object);
    }
    QTRY_VERIFY(!nameOwned(name));
}

void TstHostDBusAutomation::standInProgramFollowsTheEnvironment()
{
    qputenv("ZEP_STANDIN", "/opt/somewhere/zep");
    QCOMPARE(host::DBusAutomation::standInProgram(), QStringLiteral("/opt/somewhere/zep"));
    qunsetenv("ZEP_STANDIN");
    const QString found = host::DBusAutomation::standInProgram();
    QVERIFY(found.isEmpty() || found.endsWith(QStringLiteral("/velmora-zep")));
}

QTEST_GUILESS_MAIN(TstHostDBusAutomation)
#include "tst_dbusautomation.moc"
