// The host in-process on a private bus: which thread serves commands, what the
// widget requests do to the real window, the 3-D view on the screen, the View
// menu and typed keys.

#include "standin/app/documentwindows.h"
#include "standin/app/graphicswindows.h"
#include "standin/app/hostserver.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
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
        QCOMPARE(captions().filter("Graphics"), (QStringList{"3D Graphics 1 - Earth", "2D Graphics 1 - Map"}));
        QCOMPARE(server_->personality().lastCallThread(), &server_->commandThread());
    }

    void earthFillsItsWindow_data()
    {
        QTest::addColumn<int>("state");  // written to the 3-D window's WindowState; 0: as the scenario made it
        QTest::newRow("first frames of a host already shown") << 0;
        QTest::newRow("maximised") << 3;
        QTest::newRow("restored") << 1;
    }

    void earthFillsItsWindow()
    {
        QFETCH(int, state);
        HostWindow &w = server_->window();
        QMdiSubWindow *window = w.scenarioWindow();
        QVERIFY(window);
        if (state == 0) {
            // The Sahara at noon faces the camera.
            QVERIFY(answered(execute("VO * ViewerPosition 20 100 30000000")));
        } else {
            const QString path = QString("/Application/Windows/%1").arg(w.documents().id(window));
            const QVariant value = QVariant::fromValue(QDBusVariant(state));
            QVERIFY(answered(callHost(message(path, "org.freedesktop.DBus.Properties", "Set", {"ZEP.Window", "WindowState", value}))));
        }
        // What the screen shows, not a frame drawn again off screen: the
        // Earth's colours in the window's centre, dark space in a corner.
        const QWidget *view = window->widget();
        const auto shown = [view](QPoint at) {
            const QPoint global = view->mapToGlobal(at - QPoint(10, 10));
            const QImage block = view->screen()->grabWindow(0, global.x(), global.y(), 21, 21).toImage();
            return block.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
        };
        const auto earthy = [](QColor c) { return c.value() > 60 && c.hsvSaturation() > 40; };
        const QPoint centre = view->rect().center();
        const QPoint corner(view->width() / 10, view->height() * 9 / 10);
        const auto seen = [&] { return shown(centre).name() + " in the centre, " + shown(corner).name() + " in a corner"; };
        QTRY_VERIFY2_WITH_TIMEOUT(earthy(shown(centre)) && shown(corner).value() < 40, qPrintable(seen()), 10000);
        QCOMPARE(windowStateCode(window->windowState()), state ? state : 1);
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
        for (QMdiSubWindow *window : w.documents().list())
            seen << w.documents().id(window);
        QVERIFY(seen.size() >= 4);
        const quint32 closedId = seen.first();
        w.documents().close(w.documents().list().first());
        QTRY_COMPARE(w.documents().area()->subWindowList().size(), seen.size() - 1);
        QVERIFY(!w.documents().list().isEmpty());
        for (QMdiSubWindow *window : w.documents().list())
            QVERIFY(w.documents().id(window) != closedId);
        // The scenario window cannot be opened twice, but its id stays its own.
        QVERIFY(seen.contains(w.documents().id(w.scenarioWindow())));
    }

    void menuActionsAreJournalled()
    {
        QFile file(dir_.filePath("journal.log"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(file.readAll());
        for (const char *entry : {"menu Show all bars and tile", "menu Reset View", "app SendKeys %v4", "cmd New / Scenario Velmora -> ok"})
            QVERIFY2(text.contains(entry), entry);
    }

    void animateCommandsDriveClockAndSlider()
    {
        AnimationClock &clock = server_->clock();
        const auto *slider = server_->window().findChild<QSlider *>("TimeSlider");
        QVERIFY(slider);
        const auto animate = [](const char *request) { return answered(execute(QString("Animate Scenario/Velmora ") + request)); };
        QVERIFY(answered(execute("Animate Scenario/Velmora SetValues \"2 Jul 2005 00:00:00.00\" 600 1 \"2 Jul 2005 00:25:00.00\"")));
        const double start = server_->store().snapshot()->animationStart.seconds;
        // The clock follows a period that no longer holds it; 25 minutes in
        // steps of 10 are three slider positions past the start.
        QTRY_COMPARE(clock.now().seconds, start);
        QCOMPARE(slider->maximum(), 3);
        QCOMPARE(slider->value(), 0);

        // Each reply comes after the GUI moved the clock.
        QVERIFY(animate("StepForward"));
        QCOMPARE(clock.now().seconds, start + 600);
        QCOMPARE(slider->value(), 1);
        QVERIFY(animate("StepBackward"));
        QVERIFY(animate("StepBackward"));
        QCOMPARE(clock.now().seconds, start);
        QVERIFY(animate("Start"));
        QVERIFY(clock.playing());
        QTRY_VERIFY(!clock.playing());
        QCOMPARE(clock.now().seconds, start + 1500);
        QCOMPARE(slider->value(), 3);
        QVERIFY(animate("Reset"));
        QCOMPARE(clock.now().seconds, start);
        QCOMPARE(slider->value(), 0);

        // A slow pace, so that Pause lands before the stop time.
        QVERIFY(answered(execute("Animate Scenario/Velmora SetValues \"2 Jul 2005 00:00:00.00\" 1 1 \"2 Jul 2005 00:25:00.00\"")));
        QVERIFY(animate("Start"));
        QTRY_VERIFY(clock.now().seconds > start);
        QVERIFY(animate("Pause"));
        QVERIFY(!clock.playing());
        const double paused = clock.now().seconds;
        QTest::qWait(120);
        QCOMPARE(clock.now().seconds, paused);
        QVERIFY(paused < start + 1500);
        QCOMPARE(slider->value(), clock.timeline().sliderPosition(slider->maximum()));
    }

    void spaceKeyPlaysOnlyInGraphicsWindows_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("toggles");
        QTest::newRow("3-D view") << "3D Graphics 1 - Earth" << true;
        QTest::newRow("messages") << "Messages" << false;
    }

    void spaceKeyPlaysOnlyInGraphicsWindows()
    {
        QFETCH(QString, caption);
        QFETCH(bool, toggles);
        HostWindow &w = server_->window();
        QMdiSubWindow *target = nullptr;
        for (QMdiSubWindow *window : w.documents().list()) {
            if (window->windowTitle() == caption)
                target = window;
        }
        QVERIFY(target);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.documents().area()->setActiveSubWindow(target);
        target->widget()->setFocus();
        QTRY_VERIFY(target->widget()->hasFocus());

        AnimationClock &clock = server_->clock();
        clock.pause();
        QTest::keyClick(target->widget(), Qt::Key_Space);
        QCOMPARE(clock.playing(), toggles);
        QTest::keyClick(target->widget(), Qt::Key_Space);
        QVERIFY(!clock.playing());
    }

    void windowMenuMakesGraphicsWindows_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("closeFirst");  // every window whose caption starts so
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("viewTarget");     // becomes the window "*" names
        QTest::newRow("a 3-D window after the last one closed") << "%w3" << "3D Graphics" << "3D Graphics 2 - Earth" << true;
        QTest::newRow("another 3-D window beside it") << "%w3" << "" << "3D Graphics 3 - Earth" << true;
        QTest::newRow("a map after the last one closed") << "%w2" << "2D Graphics" << "2D Graphics 2 - Map" << false;
    }

    void windowMenuMakesGraphicsWindows()
    {
        QFETCH(QString, keys);
        QFETCH(QString, closeFirst);
        QFETCH(QString, caption);
        QFETCH(bool, viewTarget);
        HostWindow &w = server_->window();
        if (!closeFirst.isEmpty()) {
            for (QMdiSubWindow *window : w.documents().list()) {
                if (window->windowTitle().startsWith(closeFirst))
                    w.documents().close(window);
            }
            QTRY_VERIFY(captions().filter(QRegularExpression('^' + closeFirst)).isEmpty());
        }
        QPointer<QMdiSubWindow> before = w.scenarioWindow();
        QVERIFY(answered(execute("Application / MenuBar Show")));
        QVERIFY(answered(sendKeys(keys)));
        QCOMPARE(captions().last(), caption);
        QCOMPARE(w.scenarioWindow() == w.documents().list().last(), viewTarget);
        if (!viewTarget)
            QCOMPARE(w.scenarioWindow(), before.data());
        // The view commands reach the window that is there now.
        const quint64 serial = server_->store().snapshot()->viewer.serial;
        QVERIFY(answered(execute("VO * ViewerPosition 10 20 50000000")));
        QCOMPARE(server_->store().snapshot()->viewer.serial, serial + 1);
    }

    void pictureFileNames_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("expected");
        QTest::newRow("scenario and time") << "Velmora" << "1 Jul 2005 12:00:00.00" << "Velmora 2005-07-01 12-00-00.png";
        QTest::newRow("fractions of a second dropped") << "Velmora" << "31 Dec 2005 23:59:59.99" << "Velmora 2005-12-31 23-59-59.png";
        QTest::newRow("separators made harmless") << "a/b\\c:d" << "1 Jul 2005 12:00:00.00" << "a_b_c_d 2005-07-01 12-00-00.png";
        QTest::newRow("no hidden file") << ".hidden" << "1 Jul 2005 12:00:00.00" << "ZEP.hidden 2005-07-01 12-00-00.png";
        QTest::newRow("no scenario name") << "" << "1 Jul 2005 12:00:00.00" << "ZEP 2005-07-01 12-00-00.png";
    }

    void pictureFileNames()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, time);
        QFETCH(QString, expected);
        const auto t = astro::parseDate(time.toStdString());
        QVERIFY(t);
        QCOMPARE(GraphicsWindows::pictureFileName(scenario, *t), expected);
    }

    void picturesOfTheActiveGraphicsWindow()
    {
        HostWindow &w = server_->window();
        QMdiSubWindow *map = windowNamed("2D");
        QVERIFY(map);
        w.documents().area()->setActiveSubWindow(map);
        QCOMPARE(w.graphics().pictureWindow(), map);
        const QString file = dir_.filePath("map.png");
        QCOMPARE(w.graphics().savePicture(file), QString());
        QCOMPARE(QImage(file).size(), map->widget()->size());
        QVERIFY(!w.graphics().savePicture(dir_.filePath("no such folder/map.png")).isEmpty());
        QVERIFY(w.graphics().copyPicture());
        QCOMPARE(QGuiApplication::clipboard()->image().size(), map->widget()->size());

        // A text window is no graphics window: the newest graphics window is taken.
        w.documents().area()->setActiveSubWindow(windowNamed("Messages"));
        QVERIFY(w.graphics().pictureWindow());
        QVERIFY(w.graphics().pictureWindow()->windowTitle().contains("Graphics"));

        // Edit > Copy Picture says that it did.
        QVERIFY(answered(execute("Application / MenuBar Show")));
        QVERIFY(answered(sendKeys("%ec")));
        QCOMPARE(w.statusBar()->currentMessage(), QString("Picture copied"));
    }

    void cascadeKeepsWindowsUsable_data()
    {
        QTest::addColumn<QSize>("area");
        QTest::addColumn<int>("count");
        QTest::newRow("the host's five windows") << QSize(1150, 800) << 5;
        QTest::newRow("many windows, small area") << QSize(800, 600) << 9;
        QTest::newRow("two windows, large area") << QSize(1900, 1000) << 2;
        QTest::newRow("area below the least size") << QSize(400, 300) << 4;
        QTest::newRow("one window") << QSize(640, 480) << 1;
    }

    void cascadeKeepsWindowsUsable()
    {
        QFETCH(QSize, area);
        QFETCH(int, count);
        const int step = 26;
        const QList<QRect> places = cascadeGeometry(area, count, step);
        QCOMPARE(places.size(), count);
        const QSize least = QSize(480, 360).expandedTo(area * 0.6).boundedTo(area);
        for (int k = 0; k < count; ++k) {
            QVERIFY2(QRect(QPoint(), area).contains(places[k]), qPrintable(QString::number(k)));
            QVERIFY(places[k].width() >= least.width() && places[k].height() >= least.height());
            // Each title bar in sight below the one before, until the offsets start over.
            if (k > 0 && places[k].topLeft() != QPoint())
                QCOMPARE(places[k].topLeft(), places[k - 1].topLeft() + QPoint(step, step));
        }
        // As large as the offsets allow: without a start over, the last one reaches the far corner.
        if (places.last().topLeft() == QPoint(step, step) * (count - 1))
            QCOMPARE(places.last().bottomRight(), QRect(QPoint(), area).bottomRight());
    }

    void windowMenuCascade()
    {
        HostWindow &w = server_->window();
        QVERIFY(answered(execute("Application / MenuBar Show")));
        QVERIFY(answered(sendKeys("%wc")));
        const QSize area = w.documents().area()->viewport()->size();
        const QSize least = QSize(480, 360).boundedTo(area);
        for (QMdiSubWindow *window : w.documents().list()) {
            QVERIFY2(window->width() >= least.width() && window->height() >= least.height(), qPrintable(window->windowTitle()));
            QVERIFY2(QRect(QPoint(), area).contains(window->geometry()), qPrintable(window->windowTitle()));
        }
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
    QMdiSubWindow *windowNamed(const QString &start) const
    {
        for (QMdiSubWindow *window : server_->window().documents().list()) {
            if (window->windowTitle().startsWith(start))
                return window;
        }
        return nullptr;
    }

    QStringList captions() const
    {
        QStringList out;
        for (QMdiSubWindow *window : server_->window().documents().list())
            out << window->windowTitle();
        return out;
    }

    QTemporaryDir dir_;
    std::unique_ptr<HostServer> server_;
};

QTEST_MAIN(TstStandInHost)
#include "tst_standin_host.moc"
