// The 3-D view's life: the steps that may follow one another, and a step out
// of order refused with a line on stderr instead of being taken.

#include "standin/view/viewlife.h"

#include <QtTest>

using zep::view::ViewLife;
Q_DECLARE_METATYPE(ViewLife)

class TstViewLife : public QObject {
    Q_OBJECT
private slots:
    void steps_data()
    {
        QTest::addColumn<ViewLife>("from");
        QTest::addColumn<ViewLife>("to");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("prepared") << ViewLife::Preparing << ViewLife::Ready << true;
        QTest::newRow("no context") << ViewLife::Preparing << ViewLife::Failed << true;
        QTest::newRow("closed while preparing") << ViewLife::Preparing << ViewLife::Closing << true;
        QTest::newRow("presents once ready") << ViewLife::Ready << ViewLife::Presenting << true;
        QTest::newRow("closed presenting") << ViewLife::Presenting << ViewLife::Closing << true;
        QTest::newRow("closed failed") << ViewLife::Failed << ViewLife::Closing << true;
        QTest::newRow("presenting unprepared") << ViewLife::Preparing << ViewLife::Presenting << false;
        QTest::newRow("failure after a frame") << ViewLife::Presenting << ViewLife::Failed << false;
        QTest::newRow("prepared twice") << ViewLife::Presenting << ViewLife::Ready << false;
        QTest::newRow("failed then ready") << ViewLife::Failed << ViewLife::Ready << false;
        QTest::newRow("preparing after closing") << ViewLife::Closing << ViewLife::Preparing << false;
        QTest::newRow("closed twice") << ViewLife::Closing << ViewLife::Closing << false;
    }
    void steps()
    {
        QFETCH(ViewLife, from);
        QFETCH(ViewLife, to);
        QFETCH(bool, allowed);
        ViewLife life = from;
        if (!allowed)
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^3-D view: \\w+ cannot follow \\w+$"));
        QCOMPARE(zep::view::advanceViewLife(life, to), allowed);
        QCOMPARE(life, allowed ? to : from);
    }
};

QTEST_APPLESS_MAIN(TstViewLife)
#include "tst_viewlife.moc"
