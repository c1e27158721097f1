// Synthesised keys on a real X display reach the focused window as typed keys.
#include "host/handover.h"
#include "linkrig.h"

#include <QKeyEvent>
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

    auto sender = host::MakeKeySender(rig.link);
    QVERIFY(sender->TypeKeys(keys));
    QTRY_COMPARE(window.presses, presses);
    QVERIFY(rig.fake.log.isEmpty());  // typed by the desktop, not handed to the host
}

QTEST_MAIN(TstHostXTestKeys)
#include "tst_xtestkeys.moc"
