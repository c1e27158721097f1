// Synthesised keys on a real X display reach the focused window as typed keys,
// and a process's window is found and made active.
#include "host/xtestkeys.h"
#include "linkrig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProcess>
#include <QScopeGuard>
#include <QWidget>
#include <QtTest>

using namespace velmora;

namespace {

class KeyLog : public QWidget {
public:
    QStringList presses;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Alt || e->key() == Qt::Key_Shift || e->key() == Qt::Key_Control)
            return;
        QString mods;
        if (e->modifiers() & Qt::AltModifier)
            mods += u'A';
        if (e->modifiers() & Qt::ControlModifier)
            mods += u'C';
        if (e->modifiers() & Qt::ShiftModifier)
            mods += u'S';
        presses << QKeySequence(e->key()).toString() + mods;
    }
};

} // namespace

class TstHostXTestKeys : public QObject {
    Q_OBJECT
private slots:
    void keysReachTheFocusedWindow_data();
    void keysReachTheFocusedWindow();
    void activatesOnlyAWindowOfTheProcess_data();
    void activatesOnlyAWindowOfTheProcess();
};

void TstHostXTestKeys::keysReachTheFocusedWindow_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("presses");
    QTest::newRow("version 7") << "%v4" << QStringList{"VA", "4"};
    QTest::newRow("other versions") << "%v1" << QStringList{"VA", "1"};
    QTest::newRow("capital needs shift") << "aB" << QStringList{"A", "BS"};
    QTest::newRow("control held") << "^x" << QStringList{"XC"};
}

void TstHostXTestKeys::keysReachTheFocusedWindow()
{
    QFETCH(QString, keys);
    QFETCH(QStringList, presses);
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display");

    LinkRig rig(false);

    KeyLog window;
    window.resize(200, 100);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    auto sender = host::makeXDesktop().keys;
    QVERIFY(sender);
    QVERIFY(sender->typeKeys(keys));
    QTRY_COMPARE(window.presses, presses);
    QVERIFY(rig.fake.log.isEmpty());  // typed by the desktop, not handed to the host
}

void TstHostXTestKeys::activatesOnlyAWindowOfTheProcess_data()
{
    QTest::addColumn<bool>("ownPid");
    QTest::addColumn<qint64>("pid");
    QTest::addColumn<bool>("activated");
    QTest::newRow("this process's window") << true << qint64(0) << true;
    QTest::newRow("process without a window") << false << qint64(0x3ffffff0) << false;
    QTest::newRow("unknown process") << false << qint64(0) << false;
}

void TstHostXTestKeys::activatesOnlyAWindowOfTheProcess()
{
    QFETCH(bool, ownPid);
    QFETCH(qint64, pid);
    QFETCH(bool, activated);
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display");

    // Ours is not the active window at first: another client's is.
    QWidget window;
    window.resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QProcess other;
    other.start(QStringLiteral("xmessage"), {"-geometry", "+300+300", "another client"});
    QVERIFY(other.waitForStarted());
    const auto cleanup = qScopeGuard([&other] { other.kill(); other.waitForFinished(); });
    QTRY_VERIFY(!window.isActiveWindow() && QApplication::activeWindow() == nullptr);
    QTest::qWait(200);

    auto windows = host::makeXDesktop().windows;
    QVERIFY(windows);
    QElapsedTimer took;
    took.start();
    QCOMPARE(windows->activateWindowOf(ownPid ? QCoreApplication::applicationPid() : pid,
                                       std::chrono::milliseconds(2000)),
             activated);
    if (activated)
        QTRY_VERIFY(window.isActiveWindow());
    else
        QVERIFY2(took.elapsed() < 1000, "no window of the process: no wait");
}

QTEST_MAIN(TstHostXTestKeys)
#include "tst_xtestkeys.moc"
