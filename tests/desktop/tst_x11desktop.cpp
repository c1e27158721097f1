// Synthesised keys on a real X display reach the focused window as typed keys,
// a process's window is found and made active, and key sequences read as the
// host's SendKeys reads them.
#include "desktop/x11desktop.h"

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

class TstDesktopX11 : public QObject {
    Q_OBJECT
private slots:
    void keysReachTheFocusedWindow_data();
    void keysReachTheFocusedWindow();
    void activatesOnlyAWindowOfTheProcess_data();
    void activatesOnlyAWindowOfTheProcess();
    void keySequences_data();
    void keySequences();
};

void TstDesktopX11::keysReachTheFocusedWindow_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("presses");
    QTest::newRow("version 7") << "%v4" << QStringList{"VA", "4"};
    QTest::newRow("other versions") << "%v1" << QStringList{"VA", "1"};
    QTest::newRow("capital needs shift") << "aB" << QStringList{"A", "BS"};
    QTest::newRow("control held") << "^x" << QStringList{"XC"};
}

void TstDesktopX11::keysReachTheFocusedWindow()
{
    QFETCH(QString, keys);
    QFETCH(QStringList, presses);
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display");

    KeyLog window;
    window.resize(200, 100);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    auto sender = desktop::makeX11Desktop().keys;
    QVERIFY(sender);
    QVERIFY(sender->typeKeys(keys));
    QTRY_COMPARE(window.presses, presses);
}

void TstDesktopX11::activatesOnlyAWindowOfTheProcess_data()
{
    QTest::addColumn<bool>("ownPid");
    QTest::addColumn<qint64>("pid");
    QTest::addColumn<bool>("activated");
    QTest::newRow("this process's window") << true << qint64(0) << true;
    QTest::newRow("process without a window") << false << qint64(0x3ffffff0) << false;
    QTest::newRow("unknown process") << false << qint64(0) << false;
}

void TstDesktopX11::activatesOnlyAWindowOfTheProcess()
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

    auto windows = desktop::makeX11Desktop().windows;
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

void TstDesktopX11::keySequences_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("strokes");  // key with A/C/S for the modifiers held

    QTest::newRow("alt v, 4") << "%v4" << true << "vA 4";
    QTest::newRow("alt v, 1") << "%v1" << true << "vA 1";
    QTest::newRow("modifiers combine") << "^+%x" << true << "xACS";
    QTest::newRow("plain text") << "ab" << true << "a b";
    QTest::newRow("empty") << "" << true << "";
    QTest::newRow("ends in a modifier") << "v%" << false << "";
    QTest::newRow("control character") << QStringLiteral("a\x01") << false << "";
}

void TstDesktopX11::keySequences()
{
    QFETCH(QString, keys);
    QFETCH(bool, valid);
    QFETCH(QString, strokes);

    const auto parsed = desktop::parseKeySequence(keys);
    QCOMPARE(parsed.has_value(), valid);
    if (!parsed)
        return;
    QStringList shown;
    for (const desktop::KeyStroke &s : *parsed)
        shown << QString(s.key) + (s.alt ? "A" : "") + (s.control ? "C" : "") + (s.shift ? "S" : "");
    QCOMPARE(shown.join(u' '), strokes);
}

QTEST_MAIN(TstDesktopX11)
#include "tst_x11desktop.moc"
