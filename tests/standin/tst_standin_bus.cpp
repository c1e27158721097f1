// The stand-in host program itself on a private session bus: the name, the
// members and errors of the contract, hidden start for automation, the journal.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kName = QStringLiteral("ZEP.Application");
const QString kApp = QStringLiteral("/Application"), kWindows = QStringLiteral("/Application/Windows");
const QString kFailed = QStringLiteral("ZEP.Error.CommandFailed"), kNoWindow = QStringLiteral("ZEP.Error.NoSuchWindow");

QString hostProgram() { return qEnvironmentVariable("ZEP_STANDIN"); }

QDBusMessage call(const QString &path, const QString &interface, const QString &member, const QVariantList &args = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kName, path, interface, member);
    message.setArguments(args);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 10000);
}

QDBusMessage execute(const QString &line) { return call("/Application/Personality", "ZEP.Personality", "ExecuteCommand", {line}); }
QStringList reply(const QString &line) { return execute(line).arguments().value(0).toStringList(); }
bool answered(const QDBusMessage &m) { return m.type() == QDBusMessage::ReplyMessage; }

QDBusMessage getProperty(const QString &path, const QString &interface, const QString &name)
{
    return call(path, "org.freedesktop.DBus.Properties", "Get", {interface, name});
}

QVariant propertyValue(const QString &path, const QString &interface, const QString &name)
{
    const QDBusMessage reply = getProperty(path, interface, name);
    return answered(reply) ? reply.arguments().value(0).value<QDBusVariant>().variant() : QVariant();
}

QDBusMessage setHostProperty(const QString &path, const QString &interface, const QString &name, const QVariant &value)
{
    return call(path, "org.freedesktop.DBus.Properties", "Set", {interface, name, QVariant::fromValue(QDBusVariant(value))});
}

QVariant appProperty(const QString &name) { return propertyValue(kApp, "ZEP.Application", name); }
QDBusMessage setAppProperty(const QString &name, const QVariant &value) { return setHostProperty(kApp, "ZEP.Application", name, value); }

QString windowPath(int index)
{
    const QDBusMessage reply = call(kWindows, "ZEP.Windows", "Item", {index});
    return answered(reply) ? reply.arguments().value(0).value<QDBusObjectPath>().path() : QString();
}

int windowCount() { return propertyValue(kWindows, "ZEP.Windows", "Count").toInt(); }

QStringList captions()
{
    QStringList all;
    for (int i = 0, n = windowCount(); i < n; ++i)
        all << propertyValue(windowPath(i), "ZEP.Window", "Caption").toString();
    return all;
}

} // namespace

class BusTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(!hostProgram().isEmpty(), "ZEP_STANDIN names the host program");
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        journal_ = dir_.filePath("journal.log");
        host_.setProcessChannelMode(QProcess::ForwardedChannels);
        host_.start(hostProgram(), {"--automation", "--journal", journal_});
        QVERIFY(host_.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(kName), 10000);
    }

    void cleanupTestCase()
    {
        host_.terminate();
        if (!host_.waitForFinished(5000))
            host_.kill();
    }

    void ownsTheNameAndStartsHidden()
    {
        const auto owner = QDBusConnection::sessionBus().interface()->servicePid(kName);
        QVERIFY(owner.isValid());
        QCOMPARE(qint64(owner.value()), host_.processId());
        QCOMPARE(appProperty("Visible"), QVariant(false));
        QCOMPARE(appProperty("UserControl"), QVariant(false));
        QCOMPARE(appProperty("Personality").value<QDBusObjectPath>().path(), QString("/Application/Personality"));
        QCOMPARE(appProperty("Windows").value<QDBusObjectPath>().path(), kWindows);
    }

    void secondCopyRefusesInOneLine()
    {
        QProcess second;
        // The journal can also be named by the environment; the refusal goes there too.
        const QString secondJournal = dir_.filePath("second.log");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZEP_JOURNAL", secondJournal);
        second.setProcessEnvironment(env);
        second.start(hostProgram(), {"--automation"});
        QVERIFY(second.waitForFinished(15000));
        QVERIFY(second.exitStatus() == QProcess::NormalExit);
        QVERIFY(second.exitCode() != 0);
        // Qt may add its own notes on stderr; ours is the one line that names the reason.
        const QStringList ours = QString::fromLocal8Bit(second.readAllStandardError()).split('\n', Qt::SkipEmptyParts).filter("velmora-zep:");
        QCOMPARE(ours.size(), 1);
        QVERIFY2(ours.first().contains("another host owns the name ZEP.Application"), qPrintable(ours.first()));
        QFile journal(secondJournal);
        QVERIFY(journal.open(QIODevice::ReadOnly));
        QVERIFY(journal.readAll().contains("host not started: another host owns the name ZEP.Application"));
        // And the first host still answers.
        QVERIFY(answered(execute("GetZEPVersion /")));
    }

    void answersCommands()
    {
        QCOMPARE(reply("CheckScenario /"), QStringList{"0"});
        QVERIFY(reply("GetZEPVersion /").value(0).startsWith("ZEP v7"));
        const QDBusMessage created = execute("New / Scenario Velmora");
        QVERIFY(answered(created));
        QCOMPARE(created.arguments().value(0).toStringList(), QStringList{});
        QCOMPARE(reply("CheckScenario /"), QStringList{"1"});
        QVERIFY(answered(execute("New / Scenario/Velmora/Satellite Satellite")));
        QCOMPARE(reply("GetEpoch Scenario/Velmora"), QStringList{"1 Jul 2005 12:00:00.00"});

        const QDBusMessage second = execute("New / Scenario Other");
        QCOMPARE(second.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(second.errorName(), kFailed);
        QVERIFY2(second.errorMessage().contains("already open"), qPrintable(second.errorMessage()));
        const QDBusMessage wrongOrbit = execute(
            "SetState Scenario/Velmora/Satellite/Satellite Classical TwoBody \"1 Jul 2005 12:00:00.00\" "
            "\"4 Jul 2005 12:00:00.00\" 60 J2000 \"1 Jul 2005 12:00:00.00\" 7000000 1.2 0 0 0 0");
        QCOMPARE(wrongOrbit.errorName(), kFailed);
        QVERIFY2(wrongOrbit.errorMessage().contains("orbit stays"), qPrintable(wrongOrbit.errorMessage()));
    }

    void refusesBadInput_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("because");
        QTest::newRow("empty") << "" << "empty";
        QTest::newRow("blanks") << "     " << "blanks";
        QTest::newRow("unbalanced quote") << "SetEpoch Scenario/Velmora \"1 Jul 2005" << "unbalanced";
        QTest::newRow("1 MiB") << QString(1024 * 1024, u'A') << "too long";
        QTest::newRow("control characters") << "New / Scenario\x07\x1b[2J" << "control character";
        QTest::newRow("non-ASCII") << QString::fromUtf8("New / Scenario 衛星") << "outside ASCII";
        QTest::newRow("unknown command") << "Launch / Rocket" << "unknown command";
        QTest::newRow("unknown tool bar") << "Application / ToolBar Hide \"Drawing\"" << "no tool bar";
    }

    void refusesBadInput()
    {
        QFETCH(QString, line);
        QFETCH(QString, because);
        const QDBusMessage reply = execute(line);
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), kFailed);
        QVERIFY2(reply.errorMessage().contains(because), qPrintable(reply.errorMessage()));
        // Still alive and answering.
        QVERIFY(answered(execute("CheckScenario /")));
    }

    void barsAnswerAfterTheGuiActed()
    {
        for (const char *line : {"Application / ToolBar Hide \"*\"", "Application / ToolBar Show \"Animation\"",
                                 "Application / MenuBar Hide", "Application / StatusBar Hide"}) {
            const QDBusMessage reply = execute(line);
            QVERIFY2(answered(reply), qPrintable(line + (": " + reply.errorMessage())));
        }
    }

    void windowsAndTheirErrors()
    {
        const QStringList before = captions();
        QVERIFY2(before.size() >= 4, qPrintable(before.join(", ")));
        for (const char *start : {"^Object Browser", "^Messages", "^HTML Viewer"})
            QVERIFY2(!before.filter(QRegularExpression(start)).isEmpty(), start);
        QVERIFY(before.contains("3D Graphics 1 - Earth"));
        const int n = windowCount();
        for (int bad : {n, n + 1, -1})
            QCOMPARE(call(kWindows, "ZEP.Windows", "Item", {bad}).errorName(), QString("ZEP.Error.InvalidIndex"));

        // Close the first window: its path is retired for good, the rest move up.
        const QString first = windowPath(0);
        const QString firstCaption = propertyValue(first, "ZEP.Window", "Caption").toString();
        QVERIFY(answered(call(first, "ZEP.Window", "Close")));
        QCOMPARE(windowCount(), n - 1);
        QCOMPARE(getProperty(first, "ZEP.Window", "Caption").errorName(), kNoWindow);
        QCOMPARE(call(first, "ZEP.Window", "Close").errorName(), kNoWindow);
        QCOMPARE(setHostProperty(first, "ZEP.Window", "WindowState", 1).errorName(), kNoWindow);
        QVERIFY(windowPath(0) != first);
        QVERIFY(!captions().contains(firstCaption));

        // Window states act on the real windows.
        const QString last = windowPath(windowCount() - 1);
        for (int state : {3, 1}) {
            QVERIFY(answered(setHostProperty(last, "ZEP.Window", "WindowState", state)));
            QCOMPARE(propertyValue(last, "ZEP.Window", "WindowState"), QVariant(state));
        }
    }

    void windowPassLeavesTheScenarioWindow()
    {
        // The toolbar's tidy-up: close every auxiliary window by its caption's start, indexes 0 to N.
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0, n = windowCount(); i <= n; ++i) {
                const QString path = windowPath(i);
                if (path.isEmpty())
                    continue;
                const QString caption = propertyValue(path, "ZEP.Window", "Caption").toString();
                bool matches = false;
                for (const char *p : {"HTML", "Launch", "Obj", "Mess"})
                    matches = matches || caption.startsWith(p);
                if (matches)
                    call(path, "ZEP.Window", "Close");
                else
                    setHostProperty(path, "ZEP.Window", "WindowState", 1);
            }
        }
        QCOMPARE(captions(), QStringList{"3D Graphics 1 - Earth"});
        // With the object browser and the messages window gone, changes and
        // refusals that they would show still leave the host answering.
        QVERIFY(answered(execute("VectorTool * Earth Create Vector Inertial_Z \"Fixed in Axes\" Cartesian 0 0 1 \"CentralBody/Earth Inertial\"")));
        QVERIFY(answered(execute("SetEpoch Scenario/Velmora \"2 Jul 2005 12:00:00.00\"")));
        QCOMPARE(execute("Nonsense /").type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply("CheckScenario /"), QStringList{"1"});
        QVERIFY(answered(call(kWindows, "ZEP.Windows", "Arrange", {2})));
        QCOMPARE(call(kWindows, "ZEP.Windows", "Arrange", {9}).errorName(), kFailed);
    }

    void applicationMembers()
    {
        for (auto [name, value] : {std::pair<const char *, QVariant>{"UserControl", true}, {"Visible", true}, {"WindowState", 1}}) {
            QVERIFY2(answered(setAppProperty(name, value)), name);
            QCOMPARE(appProperty(name), value);
        }
        QVERIFY(answered(call(kApp, "ZEP.Application", "Activate")));
        QVERIFY(answered(execute("Application / MenuBar Show")));
        QVERIFY(answered(call(kApp, "ZEP.Application", "SendKeys", {QString("%v4")})));
        QCOMPARE(call(kApp, "ZEP.Application", "SendKeys", {QString("%")}).errorName(), kFailed);
        QVERIFY(answered(setAppProperty("Visible", false)));
        QCOMPARE(appProperty("Visible"), QVariant(false));
    }

    void journalRecordsEverything()
    {
        QFile file(journal_);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QVERIFY(lines.value(0).contains(QString("host started, pid %1, for automation").arg(host_.processId())));
        for (const char *fragment :
             {"cmd New / Scenario Velmora -> ok", "cmd GetEpoch Scenario/Velmora -> ok 1 Jul 2005 12:00:00.00",
              "cmd New / Scenario Other -> failed: New: a scenario is already open", "cmd Application / MenuBar Hide -> ok",
              "cmd  -> failed: empty command", "\\x07\\x1b[2J -> failed: control character",
              "... (1048576 characters) -> failed: command too long", "app Visible true", "app WindowState 1", "app Arrange 2",
              "app Activate", "app SendKeys %v4", "menu Show all bars and tile", "window Object Browser Close"})
            QVERIFY2(std::any_of(lines.begin(), lines.end(), [&](const QString &l) { return l.contains(fragment); }), fragment);
        // One line per entry: no line break of a command leaks into the journal.
        for (const QString &line : lines)
            QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT").match(line).hasMatch(), qPrintable(line.left(80)));
    }

private:
    QTemporaryDir dir_;
    QString journal_;
    QProcess host_;
};

QTEST_GUILESS_MAIN(BusTest)
#include "tst_standin_bus.moc"
