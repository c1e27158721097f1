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

QString hostProgram()
{
    return qEnvironmentVariable("ZEP_STANDIN");
}

QDBusMessage call(const QString &path, const QString &interface, const QString &member, const QVariantList &args = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kName, path, interface, member);
    message.setArguments(args);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 10000);
}

QDBusMessage execute(const QString &line)
{
    return call("/Application/Personality", "ZEP.Personality", "ExecuteCommand", {line});
}

QDBusMessage getProperty(const QString &path, const QString &interface, const QString &name)
{
    return call(path, "org.freedesktop.DBus.Properties", "Get", {interface, name});
}

QVariant propertyValue(const QString &path, const QString &interface, const QString &name)
{
    const QDBusMessage reply = getProperty(path, interface, name);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

QDBusMessage setHostProperty(const QString &path, const QString &interface, const QString &name, const QVariant &value)
{
    return call(path, "org.freedesktop.DBus.Properties", "Set", {interface, name, QVariant::fromValue(QDBusVariant(value))});
}

QString windowPath(int index)
{
    const QDBusMessage reply = call("/Application/Windows", "ZEP.Windows", "Item", {index});
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).value<QDBusObjectPath>().path() : QString();
}

int windowCount()
{
    return propertyValue("/Application/Windows", "ZEP.Windows", "Count").toInt();
}

QStringList captions()
{
    QStringList all;
    const int n = windowCount();
    for (int i = 0; i < n; ++i)
        all << propertyValue(windowPath(i), "ZEP.Window", "Caption").toString();
    return all;
}

} // namespace

class BusTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void ownsTheName();
    void secondCopyRefusesInOneLine();
    void startsHiddenForAutomation();
    void answersCommands();
    void refusesBadInput_data();
    void refusesBadInput();
    void barsAnswerAfterTheGuiActed();
    void windowsAndTheirErrors();
    void windowPassLeavesTheScenarioWindow();
    void applicationMembers();
    void journalRecordsEverything();

private:
    QTemporaryDir dir_;
    QString journal_;
    QProcess host_;
};

void BusTest::initTestCase()
{
    QVERIFY2(!hostProgram().isEmpty(), "ZEP_STANDIN names the host program");
    QVERIFY(QDBusConnection::sessionBus().isConnected());
    journal_ = dir_.filePath("journal.log");
    host_.setProcessChannelMode(QProcess::ForwardedChannels);
    host_.start(hostProgram(), {"--automation", "--journal", journal_});
    QVERIFY(host_.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(kName), 10000);
}

void BusTest::cleanupTestCase()
{
    host_.terminate();
    if (!host_.waitForFinished(5000))
        host_.kill();
}

void BusTest::ownsTheName()
{
    const auto owner = QDBusConnection::sessionBus().interface()->servicePid(kName);
    QVERIFY(owner.isValid());
    QCOMPARE(qint64(owner.value()), host_.processId());
}

void BusTest::secondCopyRefusesInOneLine()
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
    const QStringList lines = QString::fromLocal8Bit(second.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    const QStringList ours = lines.filter("velmora-zep:");
    QCOMPARE(ours.size(), 1);
    QVERIFY2(ours.first().contains("another host owns the name ZEP.Application"), qPrintable(ours.first()));
    QFile journal(secondJournal);
    QVERIFY(journal.open(QIODevice::ReadOnly));
    QVERIFY(journal.readAll().contains("host not started: another host owns the name ZEP.Application"));
    // And the first host still answers.
    QCOMPARE(execute("GetZEPVersion /").type(), QDBusMessage::ReplyMessage);
}

void BusTest::startsHiddenForAutomation()
{
    QCOMPARE(propertyValue("/Application", "ZEP.Application", "Visible"), QVariant(false));
    QCOMPARE(propertyValue("/Application", "ZEP.Application", "UserControl"), QVariant(false));
    QCOMPARE(propertyValue("/Application", "ZEP.Application", "Personality").value<QDBusObjectPath>().path(),
             QString("/Application/Personality"));
    QCOMPARE(propertyValue("/Application", "ZEP.Application", "Windows").value<QDBusObjectPath>().path(),
             QString("/Application/Windows"));
}

void BusTest::answersCommands()
{
    QCOMPARE(execute("CheckScenario /").arguments().value(0).toStringList(), QStringList{"0"});
    QVERIFY(execute("GetZEPVersion /").arguments().value(0).toStringList().value(0).startsWith("ZEP v7"));

    const QDBusMessage created = execute("New / Scenario Velmora");
    QCOMPARE(created.type(), QDBusMessage::ReplyMessage);
    QCOMPARE(created.arguments().value(0).toStringList(), QStringList{});
    QCOMPARE(execute("CheckScenario /").arguments().value(0).toStringList(), QStringList{"1"});
    QCOMPARE(execute("New / Scenario/Velmora/Satellite Satellite").type(), QDBusMessage::ReplyMessage);
    QCOMPARE(execute("GetEpoch Scenario/Velmora").arguments().value(0).toStringList(),
             QStringList{"1 Jul 2005 12:00:00.00"});

    const QDBusMessage second = execute("New / Scenario Other");
    QCOMPARE(second.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(second.errorName(), QString("ZEP.Error.CommandFailed"));
    QVERIFY2(second.errorMessage().contains("already open"), qPrintable(second.errorMessage()));

    const QDBusMessage wrongOrbit = execute(
        "SetState Scenario/Velmora/Satellite/Satellite Classical TwoBody \"1 Jul 2005 12:00:00.00\" "
        "\"4 Jul 2005 12:00:00.00\" 60 J2000 \"1 Jul 2005 12:00:00.00\" 7000000 1.2 0 0 0 0");
    QCOMPARE(wrongOrbit.errorName(), QString("ZEP.Error.CommandFailed"));
    QVERIFY2(wrongOrbit.errorMessage().contains("orbit stays"), qPrintable(wrongOrbit.errorMessage()));
}

void BusTest::refusesBadInput_data()
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
}

void BusTest::refusesBadInput()
{
    QFETCH(QString, line);
    QFETCH(QString, because);
    const QDBusMessage reply = execute(line);
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(reply.errorName(), QString("ZEP.Error.CommandFailed"));
    QVERIFY2(reply.errorMessage().contains(because), qPrintable(reply.errorMessage()));
    // Still alive and answering.
    QCOMPARE(execute("CheckScenario /").type(), QDBusMessage::ReplyMessage);
}

void BusTest::barsAnswerAfterTheGuiActed()
{
    for (const QString &line : {QString("Application / ToolBar Hide \"*\""), QString("Application / ToolBar Show \"Animation\""),
                                QString("Application / MenuBar Hide"), QString("Application / StatusBar Hide")}) {
        const QDBusMessage reply = execute(line);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(line + ": " + reply.errorMessage()));
    }
    const QDBusMessage unknown = execute("Application / ToolBar Hide \"Drawing\"");
    QCOMPARE(unknown.errorName(), QString("ZEP.Error.CommandFailed"));
}

void BusTest::windowsAndTheirErrors()
{
    const QStringList before = captions();
    QVERIFY2(before.size() >= 4, qPrintable(before.join(", ")));
    QVERIFY(!before.filter(QRegularExpression("^Object Browser")).isEmpty());
    QVERIFY(!before.filter(QRegularExpression("^Messages")).isEmpty());
    QVERIFY(!before.filter(QRegularExpression("^HTML Viewer")).isEmpty());
    QVERIFY(before.contains("3D Graphics 1 - Earth"));

    const int n = windowCount();
    for (int bad : {n, n + 1, -1}) {
        const QDBusMessage reply = call("/Application/Windows", "ZEP.Windows", "Item", {bad});
        QCOMPARE(reply.errorName(), QString("ZEP.Error.InvalidIndex"));
    }

    // Close the first window: its path is retired for good, the rest move up.
    const QString first = windowPath(0);
    const QString firstCaption = propertyValue(first, "ZEP.Window", "Caption").toString();
    QCOMPARE(call(first, "ZEP.Window", "Close").type(), QDBusMessage::ReplyMessage);
    QCOMPARE(windowCount(), n - 1);
    QCOMPARE(getProperty(first, "ZEP.Window", "Caption").errorName(), QString("ZEP.Error.NoSuchWindow"));
    QCOMPARE(call(first, "ZEP.Window", "Close").errorName(), QString("ZEP.Error.NoSuchWindow"));
    QCOMPARE(setHostProperty(first, "ZEP.Window", "WindowState", 1).errorName(), QString("ZEP.Error.NoSuchWindow"));
    QVERIFY(windowPath(0) != first);
    QVERIFY(!captions().contains(firstCaption));

    // Window states act on the real windows.
    const QString last = windowPath(windowCount() - 1);
    QCOMPARE(setHostProperty(last, "ZEP.Window", "WindowState", 3).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(propertyValue(last, "ZEP.Window", "WindowState"), QVariant(3));
    QCOMPARE(setHostProperty(last, "ZEP.Window", "WindowState", 1).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(propertyValue(last, "ZEP.Window", "WindowState"), QVariant(1));
}

void BusTest::windowPassLeavesTheScenarioWindow()
{
    // The toolbar's tidy-up: close every auxiliary window by its caption's start, indexes 0 to N.
    const QStringList prefixes{"HTML", "Launch", "Obj", "Mess"};
    for (int pass = 0; pass < 2; ++pass) {
        const int n = windowCount();
        for (int i = 0; i <= n; ++i) {
            const QString path = windowPath(i);
            if (path.isEmpty())
                continue;
            const QString caption = propertyValue(path, "ZEP.Window", "Caption").toString();
            bool matches = false;
            for (const QString &p : prefixes)
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
    QCOMPARE(execute("VectorTool * Earth Create Vector Inertial_Z \"Fixed in Axes\" Cartesian 0 0 1 \"CentralBody/Earth Inertial\"").type(),
             QDBusMessage::ReplyMessage);
    QCOMPARE(execute("SetEpoch Scenario/Velmora \"2 Jul 2005 12:00:00.00\"").type(), QDBusMessage::ReplyMessage);
    QCOMPARE(execute("Nonsense /").type(), QDBusMessage::ErrorMessage);
    QCOMPARE(execute("CheckScenario /").arguments().value(0).toStringList(), QStringList{"1"});
    QCOMPARE(call("/Application/Windows", "ZEP.Windows", "Arrange", {2}).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(call("/Application/Windows", "ZEP.Windows", "Arrange", {9}).errorName(), QString("ZEP.Error.CommandFailed"));
}

void BusTest::applicationMembers()
{
    QCOMPARE(setHostProperty("/Application", "ZEP.Application", "UserControl", true).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(propertyValue("/Application", "ZEP.Application", "UserControl"), QVariant(true));
    QCOMPARE(setHostProperty("/Application", "ZEP.Application", "Visible", true).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(propertyValue("/Application", "ZEP.Application", "Visible"), QVariant(true));
    QCOMPARE(setHostProperty("/Application", "ZEP.Application", "WindowState", 1).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(propertyValue("/Application", "ZEP.Application", "WindowState"), QVariant(1));
    QCOMPARE(call("/Application", "ZEP.Application", "Activate").type(), QDBusMessage::ReplyMessage);
    QCOMPARE(execute("Application / MenuBar Show").type(), QDBusMessage::ReplyMessage);
    QCOMPARE(call("/Application", "ZEP.Application", "SendKeys", {QString("%v4")}).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(call("/Application", "ZEP.Application", "SendKeys", {QString("%")}).errorName(),
             QString("ZEP.Error.CommandFailed"));
    QCOMPARE(setHostProperty("/Application", "ZEP.Application", "Visible", false).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(propertyValue("/Application", "ZEP.Application", "Visible"), QVariant(false));
}

void BusTest::journalRecordsEverything()
{
    QFile file(journal_);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    auto has = [&](const QString &fragment) {
        return std::any_of(lines.begin(), lines.end(), [&](const QString &l) { return l.contains(fragment); });
    };
    QVERIFY(lines.value(0).contains(QString("host started, pid %1, for automation").arg(host_.processId())));
    QVERIFY(has("cmd New / Scenario Velmora -> ok"));
    QVERIFY(has("cmd GetEpoch Scenario/Velmora -> ok 1 Jul 2005 12:00:00.00"));
    QVERIFY(has("cmd New / Scenario Other -> failed: New: a scenario is already open"));
    QVERIFY(has("cmd Application / MenuBar Hide -> ok"));
    QVERIFY(has("cmd  -> failed: empty command"));
    QVERIFY(has("\\x07\\x1b[2J -> failed: control character"));
    QVERIFY(has("... (1048576 characters) -> failed: command too long"));
    QVERIFY(has("app Visible true"));
    QVERIFY(has("app WindowState 1"));
    QVERIFY(has("app Arrange 2"));
    QVERIFY(has("app Activate"));
    QVERIFY(has("app SendKeys %v4"));
    QVERIFY(has("menu Show all bars and tile"));
    QVERIFY(has("window Object Browser Close"));
    // One line per entry: no line break of a command leaks into the journal.
    for (const QString &line : lines)
        QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT").match(line).hasMatch(), qPrintable(line.left(80)));
}

QTEST_GUILESS_MAIN(BusTest)
#include "tst_standin_bus.moc"
