// The link's scripts against the real stand-in host, started the way the
// toolbar starts it, on a private bus and X display; the host's journal shows
// what it did.
#include "host/arrange.h"
#include "host/dbusautomation.h"
#include "host/handover.h"
#include "host/scenario.h"
#include "tests/support/fakehost.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

using namespace velmora;

class TstHostStandInLink : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void startUpAndHandOver();

private:
    QStringList journal() const;
    QTemporaryDir dir_;
    QString journalPath_;
};

void TstHostStandInLink::initTestCase()
{
    const QString standIn = host::DBusAutomation::standInProgram();
    if (standIn.isEmpty() || !QFileInfo(standIn).isExecutable())
        QSKIP("the stand-in host is not built");
    QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(host::kHostBusName));

    journalPath_ = dir_.filePath(QStringLiteral("journal"));
    qputenv("ZEP_JOURNAL", journalPath_.toLocal8Bit());
    // A host started by the bus itself gets the bus's environment, not ours.
    QDBusMessage update = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("UpdateActivationEnvironment"));
    qDBusRegisterMetaType<QMap<QString, QString>>();
    update << QVariant::fromValue(QMap<QString, QString>{{QStringLiteral("ZEP_JOURNAL"), journalPath_}});
    const QDBusMessage updated = QDBusConnection::sessionBus().call(update);
    QCOMPARE(updated.type(), QDBusMessage::ReplyMessage);
}

void TstHostStandInLink::cleanupTestCase()
{
    auto *bus = QDBusConnection::sessionBus().interface();
    if (bus->isServiceRegistered(host::kHostBusName)) {
        const uint pid = bus->servicePid(host::kHostBusName);
        if (pid > 0)
            ::kill(pid_t(pid), SIGTERM);
    }
}

QStringList TstHostStandInLink::journal() const
{
    QFile file(journalPath_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QByteArray &line : file.readAll().split('\n')) {
        // Each line begins with its time stamp.
        const qsizetype blank = line.indexOf(' ');
        if (blank > 0)
            lines << QString::fromLatin1(line.mid(blank + 1));
    }
    return lines;
}

void TstHostStandInLink::startUpAndHandOver()
{
    host::DBusAutomation bus;
    testing::RecordingNotice notice;
    host::HostLink link(bus, notice);
    QVERIFY2(link.ConnectToHost(), qPrintable(link.lastError()));
    host::PrepareScenario(link);
    host::ArrangeHostWindows(link);
    link.SetCommandSucceeded(false);
    QVERIFY(notice.messages.isEmpty());
    QVERIFY(!link.ended());

    QStringList lines = journal();
    const QStringList refused = lines.filter(QStringLiteral("-> failed"));
    QVERIFY2(refused.isEmpty(), qPrintable(refused.join(u'\n')));
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^cmd "))).size(), 14 + 4);
    // The auxiliary windows are gone, the host is shown again.
    for (const char *prefix : {"Object Browser", "Messages", "HTML Viewer"})
        QVERIFY2(!lines.filter(QRegularExpression(QStringLiteral("^window %1.* Close$").arg(prefix))).isEmpty(),
                 prefix);
    QVERIFY(lines.contains(QStringLiteral("app Visible true")));
    QCOMPARE(lines.filter(QStringLiteral("app Arrange 2")).size(), 1);

    auto keys = host::makeKeySender(link);
    host::handOverToHost(link, *keys);
    QVERIFY(notice.messages.isEmpty());
    QVERIFY2(!link.ended(), qPrintable(link.lastError()));
    // A version 7 host gets Alt+V then 4: its View menu's "4" entry runs.
    QTRY_VERIFY_WITH_TIMEOUT(journal().contains(QStringLiteral("menu Show all bars and tile")), 10000);
    lines = journal();
    QCOMPARE(lines.filter(QStringLiteral("app Activate")).size(), 1);
    QVERIFY(lines.filter(QStringLiteral("-> failed")).isEmpty());
}

QTEST_MAIN(TstHostStandInLink)
#include "tst_standinlink.moc"
