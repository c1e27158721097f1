// The connection and the command channel against the recording fake.
#include "host/hostlink.h"
#include "linkrig.h"

#include <QtTest>

using namespace velmora;
using velmora::testing::FakeHost;
using velmora::testing::RecordingNotice;

class TstHostLink : public QObject {
    Q_OBJECT
private slots:
    void connecting_data();
    void connecting();
    void replies_data();
    void replies();
    void failureIsFatalOnlyBeforeASuccess();
    void missingCommandObjectFailsTheFirstCommand();
    void startupTextIsExact();
    void unansweredCall_data();
    void unansweredCall();
    void probesUntilTheHostAnswers();
    void sendsAList_data();
    void sendsAList();
};

void TstHostLink::connecting_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("creatable");
    QTest::addColumn<QString>("checkReply");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("log");

    const QString attach = QStringLiteral("attach ZEP.Application");
    const QString create = QStringLiteral("create ZEP.Application");
    QTest::newRow("no host, none can be created")
        << false << false << "0" << false << host::kStartupFailureTitle
        << QStringList{attach, create};
    QTest::newRow("created host is not asked for a scenario")
        << false << true << "1" << true << QString()
        << QStringList{attach, create, "set UserControl true", "set Visible false"};
    QTest::newRow("adopted host without a scenario")
        << true << true << "0" << true << QString()
        << QStringList{attach, "cmd CheckScenario /", "set UserControl true", "set Visible false"};
    QTest::newRow("adopted host answering something else")
        << true << true << "yes" << true << QString()
        << QStringList{attach, "cmd CheckScenario /", "set UserControl true", "set Visible false"};
    QTest::newRow("adopted host with a scenario")
        << true << true << "1" << false << host::kHostBusyTitle
        << QStringList{attach, "cmd CheckScenario /"};
}

void TstHostLink::connecting()
{
    QFETCH(bool, running);
    QFETCH(bool, creatable);
    QFETCH(QString, checkReply);
    QFETCH(bool, connected);
    QFETCH(QString, title);
    QFETCH(QStringList, log);

    FakeHost fake;
    fake.running = running;
    fake.creatable = creatable;
    fake.replies[QStringLiteral("CheckScenario /")] = {checkReply};
    RecordingNotice notice;
    host::HostLink link(fake, notice);

    QCOMPARE(link.ConnectToHost(), connected);
    QCOMPARE(fake.log, log);
    QCOMPARE(link.ended(), !connected);
    QCOMPARE(notice.endings, connected ? 0 : 1);
    QCOMPARE(notice.messages.size(), connected ? 0 : 1);
    if (!connected)
        QCOMPARE(notice.messages.first().title, title);
    if (connected) {
        QVERIFY(fake.userControl);
        QVERIFY(!fake.visible);
    }
}

void TstHostLink::replies_data()
{
    QTest::addColumn<QStringList>("reply");
    QTest::addColumn<QString>("result");
    QTest::newRow("first line") << QStringList{"a", "b"} << "a";
    QTest::newRow("empty list gives 0") << QStringList{} << "0";
    QTest::newRow("empty first line") << QStringList{""} << "";
}

void TstHostLink::replies()
{
    QFETCH(QStringList, reply);
    QFETCH(QString, result);
    LinkRig rig(false);
    rig.fake.replies[QStringLiteral("Q /")] = reply;
    const QString got = rig.link.SendHostCommand(QStringLiteral("Q /"));
    QCOMPARE(got, result);
    QVERIFY(!got.isNull());
    QVERIFY(rig.link.CommandSucceeded());
}

void TstHostLink::failureIsFatalOnlyBeforeASuccess()
{
    LinkRig rig(false);
    host::HostLink &link = rig.link;
    RecordingNotice &notice = rig.notice;
    rig.fake.failing << QStringLiteral("Bad /");

    QCOMPARE(link.SendHostCommand(QStringLiteral("Good /")), QStringLiteral("0"));
    const QString tolerated = link.SendHostCommand(QStringLiteral("Bad /"));
    QVERIFY(tolerated.isNull());
    QVERIFY(notice.messages.isEmpty());
    QVERIFY(!link.ended());

    // The start-up's reset makes the next failure fatal again.
    link.SetCommandSucceeded(false);
    QVERIFY(link.SendHostCommand(QStringLiteral("Bad /")).isNull());
    QCOMPARE(notice.messages.size(), 1);
    QCOMPARE(notice.messages.first().title, host::kStartupFailureTitle);
    QCOMPARE(notice.endings, 1);
    QVERIFY(link.ended());

    // Nothing reaches the host after the end.
    const qsizetype before = rig.fake.commands.size();
    QVERIFY(link.SendHostCommand(QStringLiteral("CheckScenario /")).isNull());
    QCOMPARE(rig.fake.commands.size(), before);
    QCOMPARE(notice.messages.size(), 1);
}

void TstHostLink::missingCommandObjectFailsTheFirstCommand()
{
    FakeHost fake;
    fake.personalityFails = true;
    RecordingNotice notice;
    host::HostLink link(fake, notice);
    QVERIFY(link.ConnectToHost());  // created host: the failure waits for the first command
    QVERIFY(!link.HostPersonality());
    link.SendHostCommand(QStringLiteral("New / Scenario Velmora"));
    QCOMPARE(notice.messages.size(), 1);
    QCOMPARE(notice.messages.first().title, host::kStartupFailureTitle);
}

void TstHostLink::startupTextIsExact()
{
    QCOMPARE(host::kStartupFailureText,
             QStringLiteral("Error occurred during startup.  Please check that you have ZEP "
                            "installed with the appropriate licenses:") +
                 QChar(13) + QChar(10) + QStringLiteral("ZEP, ZEP/Tavik, ZEP/Merrow"));
}

void TstHostLink::unansweredCall_data()
{
    QTest::addColumn<bool>("answeredBefore");
    QTest::addColumn<bool>("clearedAfter");   // the start-up's reset came after that answer
    QTest::addColumn<bool>("fatal");
    QTest::newRow("a host that never answered is the start-up failure") << false << false << true;
    QTest::newRow("after an answer it is only not answering") << true << false << false;
    QTest::newRow("also as the first command after the reset") << true << true << false;
}

void TstHostLink::unansweredCall()
{
    QFETCH(bool, answeredBefore);
    QFETCH(bool, clearedAfter);
    QFETCH(bool, fatal);
    LinkRig rig(false);   // created: no command has gone through yet
    if (answeredBefore)
        QCOMPARE(rig.link.SendHostCommand(QStringLiteral("GetZEPVersion /")), QStringLiteral("ZEP v7.0 (stand-in)"));
    if (clearedAfter)
        rig.link.SetCommandSucceeded(false);
    rig.fake.hung = true;
    rig.fake.log.clear();
    QVERIFY(rig.link.SendHostCommand(QStringLiteral("GetEpoch Scenario/Velmora")).isNull());
    QCOMPARE(rig.link.ended(), fatal);
    QCOMPARE(rig.notice.messages.size(), fatal ? 1 : 0);
    if (fatal)
        return;
    // Nothing more reaches the host, and nothing waits for it.
    QVERIFY(!rig.link.isAnswering());
    QVERIFY(rig.link.SendHostCommand(QStringLiteral("GetEpoch Scenario/Velmora")).isNull());
    QCOMPARE(rig.fake.log.filter(QStringLiteral("GetEpoch")),
             QStringList{QStringLiteral("unanswered GetEpoch Scenario/Velmora")});
    QCOMPARE(rig.fake.probes, 1);
}

void TstHostLink::probesUntilTheHostAnswers()
{
    LinkRig rig;
    int caughtUp = 0;
    int pauses = 0;
    QObject::connect(&rig.link, &host::HostLink::answeringChanged, [&](bool answering) {
        if (!answering) {
            ++pauses;
            return;
        }
        ++caughtUp;
        // What the host missed can be sent from here.
        QCOMPARE(rig.link.SendHostCommand(QStringLiteral("GetZEPVersion /")), QStringLiteral("ZEP v7.0 (stand-in)"));
    });
    rig.fake.hung = true;
    QVERIFY(rig.link.SendHostCommand(QStringLiteral("GetZEPVersion /")).isNull());
    QCOMPARE(rig.fake.probes, 1);
    rig.fake.failProbe();
    QVERIFY(!rig.link.isAnswering());
    QTRY_COMPARE(rig.fake.probes, 2);   // asked again after a pause
    rig.fake.resume();
    QVERIFY(rig.link.isAnswering());
    QCOMPARE(caughtUp, 1);
    QCOMPARE(pauses, 1);
    QVERIFY(rig.notice.messages.isEmpty());
    // The unanswered one never reached the host; the catch-up did.
    QCOMPARE(rig.fake.commands.filter(QStringLiteral("GetZEPVersion")).size(), 1);
}

void TstHostLink::sendsAList_data()
{
    QTest::addColumn<bool>("answeredBefore");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("hangsAfterA");
    QTest::addColumn<QStringList>("reached");
    QTest::addColumn<bool>("goesOn");
    const QStringList all{QStringLiteral("cmd A /"), QStringLiteral("cmd B /"), QStringLiteral("cmd C /")};
    QTest::newRow("every line in order") << false << QString() << false << all << true;
    QTest::newRow("a tolerated failure goes on") << true << QStringLiteral("B /") << false << all << true;
    QTest::newRow("a fatal failure stops the rest")
        << false << QStringLiteral("A /") << false << QStringList{all.first()} << false;
    QTest::newRow("a host that stops answering hears no more")
        << false << QString() << true
        << QStringList{all.first(), QStringLiteral("unanswered B /")} << true;
}

void TstHostLink::sendsAList()
{
    QFETCH(bool, answeredBefore);
    QFETCH(QString, failing);
    QFETCH(bool, hangsAfterA);
    QFETCH(QStringList, reached);
    QFETCH(bool, goesOn);
    LinkRig rig(false);
    if (answeredBefore)
        rig.link.SendHostCommand(QStringLiteral("GetZEPVersion /"));
    rig.fake.log.clear();
    rig.fake.failing << failing;
    if (hangsAfterA)
        rig.fake.afterCommand = [&](const QString &line) { rig.fake.hung = line == QLatin1String("A /"); };
    QCOMPARE(rig.link.sendHostCommands({QStringLiteral("A /"), QStringLiteral("B /"), QStringLiteral("C /")}),
             goesOn);
    QCOMPARE(rig.fake.log, reached);
    QCOMPARE(rig.link.ended(), !goesOn);
}

QTEST_GUILESS_MAIN(TstHostLink)
#include "tst_hostlink.moc"
