// The host in-process on a private bus: which thread serves commands, what the
// widget requests do to the real window, the View menu and typed keys.

#include "standin/app/hostserver.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace zep;

namespace {

// A second connection plays the client; replies are awaited with the event
// loop running, because half of the host answers on this (the GUI) thread.
QDBusMessage callHost(const QString &path, const QString &interface, const QString &member, const QVariantList &args)
{
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client");
    QDBusMessage message = QDBusMessage::createMethodCall(kBusName, path, interface, member);
    message.setArguments(args);
    QDBusPendingCall pending = client.asyncCall(message, 10000);
    QDBusPendingCallWatcher watcher(pending);
    if (!QTest::qWaitFor([&] { return watcher.isFinished(); }, 12000))
        return {};
    return pending.reply();
}

QDBusMessage execute(const QString &line)
{
    return callHost("/Application/Personality", "ZEP.Personality", "ExecuteCommand", {line});
}

} // namespace

class HostTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void commandsRunOnTheCommandThread();
    void scenarioOpensItsWindow();
    void queriesDoNotWaitForTheGui();
    void barsFollowCommands();
    void viewMenuByKeys();
    void windowIdsAreNeverReused();
    void menuActionsAreJournalled();
    void animationRunsBetweenStartAndStop();
    void closingUnderAutomationOnlyHides();

private:
    QTemporaryDir dir_;
    std::unique_ptr<HostServer> server_;
};

void HostTest::initTestCase()
{
    server_ = std::make_unique<HostServer>(dir_.filePath("journal.log"));
    QString why;
    QVERIFY2(server_->publish(QDBusConnection::sessionBus(), &why), qPrintable(why));
    server_->window().show();
}

void HostTest::cleanupTestCase()
{
    server_->shutdown();
    QVERIFY(server_->commandThread().isFinished());
    server_.reset();
}

void HostTest::commandsRunOnTheCommandThread()
{
    const QDBusMessage reply = execute("GetZEPVersion /");
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    QThread *served = server_->personality().lastCallThread();
    QCOMPARE(served, &server_->commandThread());
    QVERIFY(served != QThread::currentThread());
    QVERIFY(served != qApp->thread());
    QCOMPARE(server_->personality().thread(), &server_->commandThread());
}

void HostTest::scenarioOpensItsWindow()
{
    QVERIFY(!server_->window().scenarioWindow());
    const QDBusMessage reply = execute("New / Scenario Velmora");
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    // The reply came after the GUI made the window.
    QVERIFY(server_->window().scenarioWindow());
    QCOMPARE(server_->window().scenarioWindow()->windowTitle(), QString("3D Graphics 1 - Earth"));
    QCOMPARE(server_->personality().lastCallThread(), &server_->commandThread());
}

void HostTest::queriesDoNotWaitForTheGui()
{
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client");
    auto command = [](const QString &line) {
        QDBusMessage m = QDBusMessage::createMethodCall(kBusName, "/Application/Personality", "ZEP.Personality",
                                                        "ExecuteCommand");
        m.setArguments({line});
        return m;
    };
    QVERIFY(!server_->window().statusBar()->isHidden());
    QDBusPendingCall hide = client.asyncCall(command("Application / StatusBar Hide"));

    // This (the GUI) thread now blocks in a call: the widget request waits for
    // it, the queries behind it do not.
    const QDBusMessage period = client.call(command("GetTimePeriod Scenario/Velmora"), QDBus::Block, 5000);
    QCOMPARE(period.type(), QDBusMessage::ReplyMessage);
    const QDBusMessage epoch = client.call(command("GetEpoch Scenario/Velmora"), QDBus::Block, 5000);
    QCOMPARE(epoch.type(), QDBusMessage::ReplyMessage);
    QVERIFY(!hide.isFinished());
    QVERIFY(!server_->window().statusBar()->isHidden());

    QTRY_VERIFY(hide.isFinished());
    QVERIFY(!hide.isError());
    QVERIFY(server_->window().statusBar()->isHidden());
    QCOMPARE(execute("Application / StatusBar Show").type(), QDBusMessage::ReplyMessage);
}

void HostTest::barsFollowCommands()
{
    HostWindow &w = server_->window();
    QCOMPARE(execute("Application / ToolBar Hide \"*\"").type(), QDBusMessage::ReplyMessage);
    for (const QString &name : hostToolBarNames())
        QVERIFY2(w.toolBar(name)->isHidden(), qPrintable(name));
    QCOMPARE(execute("Application / ToolBar Show \"Animation\"").type(), QDBusMessage::ReplyMessage);
    QVERIFY(!w.toolBar("Animation")->isHidden());
    QVERIFY(w.toolBar("Standard")->isHidden());
    QCOMPARE(execute("Application / StatusBar Hide").type(), QDBusMessage::ReplyMessage);
    QVERIFY(w.statusBar()->isHidden());
    QCOMPARE(execute("Application / MenuBar Hide").type(), QDBusMessage::ReplyMessage);
    QVERIFY(w.menuBar()->isHidden());

    // Keys cannot reach a hidden menu bar, as on a real desktop.
    const quint64 serial = server_->store().snapshot()->viewer.serial;
    QCOMPARE(callHost("/Application", "ZEP.Application", "SendKeys", {QString("%v1")}).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(server_->store().snapshot()->viewer.serial, serial);

    QCOMPARE(execute("Application / MenuBar Show").type(), QDBusMessage::ReplyMessage);
    QVERIFY(!w.menuBar()->isHidden());
}

void HostTest::viewMenuByKeys()
{
    HostWindow &w = server_->window();
    QVERIFY(w.toolBar("Standard")->isHidden());
    QVERIFY(w.statusBar()->isHidden());

    // Alt+V, 4: every bar back, recorded in the model too.
    QCOMPARE(callHost("/Application", "ZEP.Application", "SendKeys", {QString("%v4")}).type(), QDBusMessage::ReplyMessage);
    for (const QString &name : hostToolBarNames())
        QVERIFY2(!w.toolBar(name)->isHidden(), qPrintable(name));
    QVERIFY(!w.statusBar()->isHidden());
    QVERIFY(!w.menuBar()->isHidden());
    QVERIFY(server_->store().snapshot()->chrome.statusBar);

    // Alt+V, 1: the camera goes back to the commanded viewer position.
    const quint64 serial = server_->store().snapshot()->viewer.serial;
    QCOMPARE(callHost("/Application", "ZEP.Application", "SendKeys", {QString("%V1")}).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(server_->store().snapshot()->viewer.serial, serial + 1);

    // Alt and a letter that opens no menu, then a digit: nothing from the View menu.
    QCOMPARE(callHost("/Application", "ZEP.Application", "SendKeys", {QString("%q1")}).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(server_->store().snapshot()->viewer.serial, serial + 1);

    const QDBusMessage refused = callHost("/Application", "ZEP.Application", "SendKeys", {QString("")});
    QCOMPARE(refused.errorName(), QString(kErrorCommandFailed));
}

void HostTest::windowIdsAreNeverReused()
{
    HostWindow &w = server_->window();
    QList<quint32> seen;
    for (QMdiSubWindow *window : w.documentWindows())
        seen << w.windowId(window);
    QVERIFY(seen.size() >= 4);
    const quint32 closedId = seen.first();
    w.closeDocumentWindow(w.documentWindows().first());
    QTRY_COMPARE(w.documentArea()->subWindowList().size(), seen.size() - 1);
    QVERIFY(!w.documentWindows().isEmpty());
    for (QMdiSubWindow *window : w.documentWindows())
        QVERIFY(w.windowId(window) != closedId);
    // The scenario window cannot be opened twice, but its id stays its own.
    const quint32 scenarioId = w.windowId(w.scenarioWindow());
    QVERIFY(seen.contains(scenarioId));
}

void HostTest::menuActionsAreJournalled()
{
    QFile file(dir_.filePath("journal.log"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(file.readAll());
    QVERIFY(text.contains("menu Show all bars and tile"));
    QVERIFY(text.contains("menu Reset view"));
    QVERIFY(text.contains("app SendKeys %v4"));
    QVERIFY(text.contains("cmd New / Scenario Velmora -> ok"));
}

void HostTest::animationRunsBetweenStartAndStop()
{
    HostWindow &w = server_->window();
    AnimationClock &clock = server_->clock();
    const QString q = "\"";
    QCOMPARE(execute("Animate Scenario/Velmora SetValues " + q + "2 Jul 2005 00:00:00.00" + q + " 600 1 " + q
                     + "2 Jul 2005 00:25:00.00" + q).type(),
             QDBusMessage::ReplyMessage);
    const double start = server_->store().snapshot()->animationStart.seconds;
    // The clock follows a span that no longer holds it.
    QTRY_COMPARE(clock.now().seconds, start);

    w.stepForward();
    QCOMPARE(clock.now().seconds, start + 600);
    w.play();
    QVERIFY(clock.playing());
    // 25 minutes in steps of 10: the clock stops at the stop time, not beyond.
    QTRY_VERIFY(!clock.playing());
    QCOMPARE(clock.now().seconds, start + 1500);
    w.resetClock();
    QCOMPARE(clock.now().seconds, start);
    w.play();
    w.pause();
    QVERIFY(!clock.playing());
}

void HostTest::closingUnderAutomationOnlyHides()
{
    HostWindow &w = server_->window();
    w.setUserControl(false);
    w.show();
    QVERIFY(!w.close());
    QVERIFY(w.isHidden());
    w.show();
}

QTEST_MAIN(HostTest)
#include "tst_standin_host.moc"
