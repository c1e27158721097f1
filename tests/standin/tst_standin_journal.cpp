// The journal: one line per entry whatever the command held, appended, and
// readable while the host runs; it never blocks, never grows without bound and
// says once what went wrong.

#include "standin/model/journal.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QStringList linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class TstStandInJournal : public QObject {
    Q_OBJECT
private slots:
    void printable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "New / Scenario Velmora" << "New / Scenario Velmora";
        QTest::newRow("line ends") << "a\r\nb" << "a\\x0d\\x0ab";
        QTest::newRow("control characters") << QString("a") + QChar(0) + "\x1b" << "a\\x00\\x1b";
        QTest::newRow("a backslash stays readable") << "a\\x0ab" << "a\\\\x0ab";
        QTest::newRow("non-ASCII") << QString::fromUtf8("é") << "\\u00e9";
        QTest::newRow("long lines are cut") << QString(1000, u'x') << QString(400, u'x') + "... (1000 characters)";
    }

    void printable()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
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
        const QStringList lines = linesOf(path);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QString("earlier line"));
        QVERIFY(lines[1].endsWith(" cmd GetEpoch Scenario/Velmora -> ok 1 Jul 2005 12:00:00.00"));
        QVERIFY(lines[2].endsWith(" cmd Bad\\x0aline -> failed: control character (code 10) at position 4"));
        QVERIFY(lines[3].endsWith(" app Visible true"));
    }

    void noPathRecordsNothing()
    {
        zep::Journal journal({}, zep::Journal::kRollOverBytes, [](const QString &line) { QFAIL(qPrintable(line)); });
        QVERIFY(!journal.isOpen());
        journal.command("CheckScenario /", true, "0");  // must simply do nothing
    }

    // A path that cannot hold a journal is refused at once, in one line, and
    // the journal then records nothing. A FIFO would block the open for ever.
    void unusablePaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("because");
        QTest::newRow("FIFO") << "fifo" << "a FIFO, not a regular file";
        QTest::newRow("directory") << "." << "a directory";
        QTest::newRow("/dev/full") << "/dev/full" << "a character device";
        QTest::newRow("missing folder") << "no/such/j.log" << "No such file or directory";
    }

    void unusablePaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, because);
        QTemporaryDir dir;
        QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600) == 0);
        if (!path.startsWith('/'))
            path = dir.filePath(path);
        QStringList said;
        zep::Journal journal(path, zep::Journal::kRollOverBytes, [&](const QString &line) { said << line; });
        QVERIFY(!journal.isOpen());
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].contains(path) && said[0].contains(because) && said[0].contains("running without a journal"),
                 qPrintable(said[0]));
        journal.event("app", "Activate");
        QCOMPARE(said.size(), 1);
    }

    void rollsOverToDotOne()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("j.log");
        {
            QFile stale(path + ".1");  // an older roll-over is replaced
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write("stale\n");
        }
        constexpr qint64 kLimit = 1000;
        zep::Journal journal(path, kLimit, [](const QString &line) { QFAIL(qPrintable(line)); });
        for (int i = 0; i < 30; ++i)
            journal.event("app", QStringLiteral("line %1").arg(i, 2, 10, QLatin1Char('0')));
        const QStringList older = linesOf(path + ".1"), newer = linesOf(path);
        QVERIFY(QFileInfo(path).size() <= kLimit);
        QVERIFY(QFileInfo(path + ".1").size() <= kLimit);
        QVERIFY(!older.isEmpty() && !newer.isEmpty());
        QVERIFY(!older.contains("stale"));
        QVERIFY(newer.last().endsWith("app line 29"));
        // Nothing lost at the seam: the two files hold consecutive lines.
        QVERIFY(newer.first().endsWith(QStringLiteral("app line %1").arg(30 - newer.size(), 2, 10, QLatin1Char('0'))));
        QVERIFY(older.last().endsWith(QStringLiteral("app line %1").arg(29 - newer.size(), 2, 10, QLatin1Char('0'))));
    }

    void failedWriteReportedOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("j.log");
        QStringList said;
        zep::Journal journal(path, zep::Journal::kRollOverBytes, [&](const QString &line) { said << line; });
        QVERIFY(journal.isOpen());
        journal.event("app", "fits");
        // A file size limit makes every further write fail, as a full disk would.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
        rlimit small = old;
        small.rlim_cur = QFileInfo(path).size();
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        for (int i = 0; i < 5; ++i)
            journal.event("app", "does not fit");
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].contains(path) && said[0].contains("a write failed"), qPrintable(said[0]));
        // Still journalling once writes work again, and still quiet about it.
        journal.event("app", "fits again");
        QCOMPARE(said.size(), 1);
        QVERIFY(linesOf(path).last().endsWith("app fits again"));
    }
};

QTEST_APPLESS_MAIN(TstStandInJournal)
#include "tst_standin_journal.moc"
