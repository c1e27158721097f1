// On a real display with a window manager: the start-up failure box stands
// above the always-on-top toolbar and its splash, and has the keyboard focus.
#include "tests/support/fakehost.h"
#include "toolbar/desktopnotice.h"
#include "toolbar/mainfrm.h"

#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QtTest>

using namespace velmora;

namespace {

// The desktop box, without ending the test.
class KeptNotice : public toolbar::DesktopNotice {
public:
    void endProgram() override { ++endings; }
    int endings = 0;
};

// Client windows from the bottom of the stack to the top, as the window
// manager keeps them.
QList<quint64> stacking()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    if (!xprop.waitForFinished(5000))
        return {};
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    QList<quint64> ids;
    for (const QString &word : out.section(u'#', 1).split(u',', Qt::SkipEmptyParts))
        ids << word.trimmed().toULongLong(nullptr, 16);
    return ids;
}

} // namespace

class TstToolbarNoticeOnTop : public QObject {
    Q_OBJECT
private slots:
    void startupFailureBoxIsAboveTheSplash()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display with a window manager");
        testing::FakeHost fake;
        fake.creatable = false;
        KeptNotice notice;
        host::HostLink link(fake, notice);
        toolbar::MainFrm frm(link);
        notice.setOwner(&frm);

        QList<quint64> order;
        quint64 boxId = 0;
        bool boxActive = false;
        QTimer look;
        QElapsedTimer since;
        look.setInterval(50);
        QObject::connect(&look, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            if (!since.isValid())
                since.start();
            boxActive = box->isActiveWindow();
            if (since.elapsed() < 500 || (!boxActive && since.elapsed() < 3000))
                return;   // give the window manager its time
            boxId = box->winId();
            order = stacking();
            look.stop();
            box->accept();
        });
        look.start();
        frm.Load();   // shows the splash, finds no host, shows the box

        QCOMPARE(notice.endings, 1);
        QVERIFY(frm.Splash->isVisible());
        QVERIFY(boxId != 0);
        QVERIFY(boxActive);
        const qsizetype toolbarAt = order.indexOf(quint64(frm.winId()));
        const qsizetype boxAt = order.indexOf(boxId);
        QVERIFY2(toolbarAt >= 0 && boxAt >= 0, qPrintable(QStringLiteral("%1 %2").arg(toolbarAt).arg(boxAt)));
        QVERIFY(boxAt > toolbarAt);
    }
};

QTEST_MAIN(TstToolbarNoticeOnTop)
#include "tst_noticeontop.moc"
