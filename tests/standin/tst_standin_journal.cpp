// The journal: one line per entry whatever the command held, appended, and
// readable while the host runs.

#include "standin/model/journal.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class JournalTest : public QObject {
    Q_OBJECT
private slots:
    void printable()
    {
        const std::pair<QString, QString> rows[] = {
            {"New / Scenario Velmora", "New / Scenario Velmora"}, {"a\r\nb", "a\\x0d\\x0ab"},
            {QString("a") + QChar(0) + "\x1b", "a\\x00\\x1b"}, {"a\\x0ab", "a\\\\x0ab"},  // backslash stays readable
            {QString::fromUtf8("é"), "\\u00e9"}, {QString(1000, u'x'), QString(400, u'x') + "... (1000 characters)"}};
        for (const auto &[text, shown] : rows)
            QCOMPARE(zep::Journal::printable(text), shown);
    }

    void appendsOneLineEach()
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

    void noPathRecordsNothing()
    {
        zep::Journal journal;
        QVERIFY(!journal.isOpen());
        journal.command("CheckScenario /", true, "0");  // must simply do nothing
    }
};

QTEST_APPLESS_MAIN(JournalTest)
#include "tst_standin_journal.moc"
