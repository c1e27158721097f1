// Every bus example of the scripting guide against the stand-in host on the
// test's private session bus: the command examples, the sample lesson, the
// gdbus and busctl one-liners and the Python example. Each case has a fresh host.

#include "guidetext.h"
#include "standin/model/commandguide.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace zep;

namespace {

const QString kName = QStringLiteral("ZEP.Application");
const char kPython[] = "/usr/bin/python3";

QDBusConnectionInterface *bus() { return QDBusConnection::sessionBus().interface(); }

bool waitForName(bool owned)
{
    for (int i = 0; i < 200; ++i) {
        if (bus()->isServiceRegistered(kName) == owned)
            return true;
        QTest::qWait(50);
    }
    return false;
}

QDBusMessage execute(const QString &line)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kName, QStringLiteral("/Application/Personality"),
                                                       QStringLiteral("ZEP.Personality"), QStringLiteral("ExecuteCommand"));
    call << line;
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
}

// Runs the program to its end; its output, or why it failed.
bool runs(const QString &program, const QStringList &args, QString *output, const QProcessEnvironment &env = {})
{
    QProcess process;
    if (!env.isEmpty())
        process.setProcessEnvironment(env);
    process.start(program, args);
    const bool finished = process.waitForFinished(30000);
    *output = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError()).trimmed();
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

class TstDocsExamples : public QObject {
    Q_OBJECT

    QProcess host_;

    void startHost()
    {
        host_.start(qEnvironmentVariable("ZEP_STANDIN"), {QStringLiteral("--automation")});
        QVERIFY(host_.waitForStarted());
        QVERIFY2(waitForName(true), "the host did not take its name");
    }

private slots:
    void cleanup()
    {
        // The Python example starts a host of its own, which only the bus knows.
        if (bus()->isServiceRegistered(kName)) {
            if (const uint pid = bus()->servicePid(kName); pid > 0)
                ::kill(pid_t(pid), SIGTERM);
            QVERIFY(waitForName(false));
        }
        host_.waitForFinished(10000);
    }

    void commandExamples()
    {
        startHost();
        for (const QString &line : exampleScript()) {
            const QDBusMessage reply = execute(line);
            QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(line + ": " + reply.errorMessage()));
        }
    }

    void sampleLesson()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("raising.lesson"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(guideBlocks(QStringLiteral("lesson")).join(u'\n').toUtf8() + '\n');
        file.close();
        startHost();
        const QList<std::pair<QString, QStringList>> steps = {
            {"Lesson / Open \"" + path + '"', {"3", "Raising an orbit"}},
            {"Lesson * Next", {"1", "3", "A low orbit, kept for comparison"}},
            {"Lesson * Next", {"2", "3", "The geostationary orbit to reach"}},
            {"Lesson * Next", {"3", "3", "The two burns between them"}},
            {"Lesson * Back", {"2", "3", "The geostationary orbit to reach"}},
            {"Lesson * Status", {"2", "3", "The geostationary orbit to reach"}},
            {"Lesson * Close", {}},
        };
        for (const auto &[line, expected] : steps) {
            const QDBusMessage reply = execute(line);
            QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(line + ": " + reply.errorMessage()));
            QCOMPARE(reply.arguments().value(0).toStringList(), expected);
        }
    }

    void oneLiners()
    {
        QStringList lines;
        for (const QString &line : guideBlocks(QStringLiteral("sh"))) {
            if (line.startsWith(QLatin1String("gdbus ")) || line.startsWith(QLatin1String("busctl ")))
                lines << line;
        }
        QVERIFY(lines.size() >= 8);
        startHost();
        for (const QString &line : lines) {
            QString output;
            QVERIFY2(runs(QStringLiteral("sh"), {QStringLiteral("-c"), line}, &output), qPrintable(line + ": " + output));
        }
    }

    void pythonExample()
    {
        QString output;
        if (!QFileInfo::exists(kPython) || !runs(kPython, {QStringLiteral("-c"), QStringLiteral("import dbus")}, &output))
            QSKIP("Debian's python3-dbus is not installed (scripts/deps.sh --test installs it)");
        // No host yet: the example starts the one under test.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VELMORA_ZEP"), qEnvironmentVariable("ZEP_STANDIN"));
        QVERIFY2(runs(kPython, {QStringLiteral(VELMORA_DOCS_DIR "/examples/demo.py")}, &output, env), qPrintable(output));
        QVERIFY2(output.contains(QRegularExpression(QStringLiteral("^LEO to GEO: [0-9.]+ m/s \\+ [0-9.]+ m/s = [0-9.]+ m/s"))),
                 qPrintable(output));
        // Run again, it finds that host and its scenario.
        QVERIFY2(runs(kPython, {QStringLiteral(VELMORA_DOCS_DIR "/examples/demo.py")}, &output, env), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TstDocsExamples)
#include "tst_docs_examples.moc"
