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

QDBusMessage message(const QString &path, const QString &interface, const QString &member, const QVariantList &args)
{
    QDBusMessage m = QDBusMessage::createMethodCall(kBusName, path, interface, member);
    m.setArguments(args);
    return m;
}
QDBusMessage command(const QString &line) { return message("/Application/Personality", "ZEP.Personality", "ExecuteCommand", {line}); }

// A second connection plays the client; replies are awaited with the event
// loop running, because half of the host answers on this (the GUI) thread.
QDBusMessage callHost(const QDBusMessage &m)
{
    QDBusPendingCall pending = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client").asyncCall(m, 10000);
    QDBusPendingCallWatcher watcher(pending);
    if (!QTest::qWaitFor([&] { return watcher.isFinished(); }, 12000))
        return {};
    return pending.reply();
}

QDBusMessage execute(const QString &line) { return callHost(command(line)); }
QDBusMessage sendKeys(const QString &keys) { return callHost(message("/Application", "ZEP.Application", "SendKeys", {keys})); }
bool answered(const QDBusMessage &m) { return m.type() == QDBusMessage::ReplyMessage; }

} // namespace

class TstStandInHost : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        server_ = std::make_unique<HostServer>(dir_.filePath("journal.log"));
        QString why;
        QVERIFY2(server_->publish(QDBusConnection::sessionBus(), &why), qPrintable(why));
        server_->window().show();
    }

    void cleanupTestCase()
    {
        server_->shutdown();
        QVERIFY(server_->commandThread().isFinished());
        server_.reset();
    }

    void commandsRunOnTheCommandThread()
    {
        QVERIFY(answered(execute("GetZEPVersion /")));
        QThread *served = server_->personality().lastCallThread();
        QCOMPARE(served, &server_->commandThread());
        QVERIFY(served != QThread::currentThread());
        QVERIFY(served != qApp->thread());
        QCOMPARE(server_->personality().thread(), &server_->commandThread());
    }

    void scenarioOpensItsWindow()
    {
        QVERIFY(!server_->window().scenarioWindow());
        QVERIFY(answered(execute("New / Scenario Velmora")));
        // The reply came after the GUI made the window.
        QVERIFY(server_->window().scenarioWindow());
        QCOMPARE(server_->window().scenarioWindow()->windowTitle(), QString("3D Graphics 1 - Earth"));
        QCOMPARE(server_->personality().lastCallThread(), &server_->commandThread());
    }

    void queriesDoNotWaitForTheGui()
    {
        QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client");
        QVERIFY(!server_->window().statusBar()->isHidden());
        QDBusPendingCall hide = client.asyncCall(command("Application / StatusBar Hide"));

        // This (the GUI) thread now blocks in a call: the widget request waits for
        // it, the queries behind it do not.
        QVERIFY(answered(client.call(command("GetTimePeriod Scenario/Velmora"), QDBus::Block, 5000)));
        QVERIFY(answered(client.call(command("GetEpoch Scenario/Velmora"), QDBus::Block, 5000)));
        QVERIFY(!hide.isFinished());
        QVERIFY(!server_->window().statusBar()->isHidden());

        QTRY_VERIFY(hide.isFinished());
        QVERIFY(!hide.isError());
        QVERIFY(server_->window().statusBar()->isHidden());
        QVERIFY(answered(execute("Application / StatusBar Show")));
    }

    void barsFollowCommands()
    {
        HostWindow &w = server_->window();
        QVERIFY(answered(execute("Application / ToolBar Hide \"*\"")));
        for (const QString &name : hostToolBarNames())
            QVERIFY2(w.toolBar(name)->isHidden(), qPrintable(name));
        QVERIFY(answered(execute("Application / ToolBar Show \"Animation\"")));
        QVERIFY(!w.toolBar("Animation")->isHidden());
        QVERIFY(w.toolBar("Standard")->isHidden());
        QVERIFY(answered(execute("Application / StatusBar Hide")));
        QVERIFY(w.statusBar()->isHidden());
        QVERIFY(answered(execute("Application / MenuBar Hide")));
        QVERIFY(w.menuBar()->isHidden());

        // Keys cannot reach a hidden menu bar, as on a real desktop.
        const quint64 serial = server_->store().snapshot()->viewer.serial;
        QVERIFY(answered(sendKeys("%v1")));
        QCOMPARE(server_->store().snapshot()->viewer.serial, serial);

        QVERIFY(answered(execute("Application / MenuBar Show")));
        QVERIFY(!w.menuBar()->isHidden());
    }

    void viewMenuByKeys()
    {
        HostWindow &w = server_->window();
        QVERIFY(w.toolBar("Standard")->isHidden());
        QVERIFY(w.statusBar()->isHidden());

        // Alt+V, 4: every bar back, recorded in the model too.
        QVERIFY(answered(sendKeys("%v4")));
        for (const QString &name : hostToolBarNames())
            QVERIFY2(!w.toolBar(name)->isHidden(), qPrintable(name));
        QVERIFY(!w.statusBar()->isHidden());
        QVERIFY(!w.menuBar()->isHidden());
        QVERIFY(server_->store().snapshot()->chrome.statusBar);

        // Alt+V, 1: the camera goes back to the commanded viewer position.
        const quint64 serial = server_->store().snapshot()->viewer.serial;
        QVERIFY(answered(sendKeys("%V1")));
        QCOMPARE(server_->store().snapshot()->viewer.serial, serial + 1);

        // Alt and a letter that opens no menu, then a digit: nothing from the View menu.
        QVERIFY(answered(sendKeys("%q1")));
        QCOMPARE(server_->store().snapshot()->viewer.serial, serial + 1);

        QCOMPARE(sendKeys("").errorName(), QString(kErrorCommandFailed));
    }

    void windowIdsAreNeverReused()
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
        QVERIFY(seen.contains(w.windowId(w.scenarioWindow())));
    }

    void menuActionsAreJournalled()
    {
        QFile file(dir_.filePath("journal.log"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(file.readAll());
        for (const char *entry : {"menu Show all bars and tile", "menu Reset view", "app SendKeys %v4", "cmd New / Scenario Velmora -> ok"})
            QVERIFY2(text.contains(entry), entry);
    }

    void animationRunsBetweenStartAndStop()
    {
        HostWindow &w = server_->window();
        AnimationClock &clock = server_->clock();
        QVERIFY(answered(execute("Animate Scenario/Velmora SetValues \"2 Jul 2005 00:00:00.00\" 600 1 \"2 Jul 2005 00:25:00.00\"")));
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

    void closingUnderAutomationOnlyHides()
    {
        HostWindow &w = server_->window();
        w.setUserControl(false);
        w.show();
        QVERIFY(!w.close());
        QVERIFY(w.isHidden());
        w.show();
    }

private:
    QTemporaryDir dir_;
    std::unique_ptr<HostServer> server_;
};

QTEST_MAIN(TstStandInHost)
#include "tst_standin_host.moc"
