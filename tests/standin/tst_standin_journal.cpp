// The journal: one line per entry whatever the command held, appended, and
// readable while the host runs.

#include "standin/model/journal.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class JournalTest : public QObject {
    Q_OBJECT
private slots:
    void printable_data();
    void printable();
    void appendsOneLineEach();
    void noPathRecordsNothing();
};

void JournalTest::printable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "New / Scenario Velmora" << "New / Scenario Velmora";
    QTest::newRow("line breaks") << "a\r\nb" << "a\\x0d\\x0ab";
    QTest::newRow("nul and escape") << QString("a") + QChar(0) + "\x1b" << "a\\x00\\x1b";
    QTest::newRow("backslash stays readable") << "a\\x0ab" << "a\\\\x0ab";
    QTest::newRow("non-ASCII") << QString::fromUtf8("é") << "\\u00e9";
    QTest::newRow("long") << QString(1000, u'x') << QString(400, u'x') + "... (1000 characters)";
}

void JournalTest::printable()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(zep::Journal::printable(text), shown);
}

void JournalTest::appendsOneLineEach()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("j.log");
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier line\n");
    }
    zep::Journal journal(path);
    QVERIFY(journal.isOpen());
    journal.command("GetEpoch Scenario/Velmora", true, "1 Jul 2005 12:00:00.00");
    journal.command("Bad\nline", false, "control character (code 10) at position 4");
    journal.event("app", "Visible true");

    // Flushed at once: another reader sees the lines while the journal is open.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QString("earlier line"));
    QVERIFY(lines[1].endsWith(" cmd GetEpoch Scenario/Velmora -> ok 1 Jul 2005 12:00:00.00"));
    QVERIFY(lines[2].endsWith(" cmd Bad\\x0aline -> failed: control character (code 10) at position 4"));
    QVERIFY(lines[3].endsWith(" app Visible true"));
}

void JournalTest::noPathRecordsNothing()
{
    zep::Journal journal;
    QVERIFY(!journal.isOpen());
    journal.command("CheckScenario /", true, "0");  // must simply do nothing
}

QTEST_APPLESS_MAIN(JournalTest)
#include "tst_standin_journal.moc"
