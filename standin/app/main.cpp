// velmora-zep: the stand-in 3-D host that the Velmora Toolbar drives.
//   --automation    started by a client: stay hidden until Visible is set
//   --journal FILE  append every command and automation request to FILE
//                   (or set ZEP_JOURNAL)

#include "desktop/platformchoice.h"
#include "standin/app/hostserver.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QIcon>

#include <cstdio>

int main(int argc, char **argv)
{
    // However it was started (menu, toolbar, bus), before Qt reads the environment.
    velmora::desktop::ApplyPlatformChoice();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora-zep"));
    QApplication::setApplicationDisplayName(QStringLiteral("ZEP"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.Zep"));
    QIcon icon(QStringLiteral(":/zep/velmora-zep-48.png"));
    icon.addFile(QStringLiteral(":/zep/velmora-zep-256.png"));
    QApplication::setWindowIcon(icon);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in 3-D host for the Velmora Toolbar"));
    parser.addHelpOption();
    const QCommandLineOption automation(QStringLiteral("automation"),
                                        QStringLiteral("Started by a client: stay hidden until told to show."));
    const QCommandLineOption journal(QStringLiteral("journal"),
                                     QStringLiteral("Append every command received to <file>."),
                                     QStringLiteral("file"));
    parser.addOption(automation);
    parser.addOption(journal);
    parser.process(app);

    QString journalPath = parser.value(journal);
    if (journalPath.isEmpty())
        journalPath = qEnvironmentVariable("ZEP_JOURNAL");

    zep::HostServer server(journalPath);
    if (!journalPath.isEmpty() && !server.journal().isOpen())
        std::fprintf(stderr, "velmora-zep: cannot open the journal %s: %s\n", qPrintable(journalPath),
                     qPrintable(server.journal().errorString()));

    const bool byClient = parser.isSet(automation);
    QString why;
    if (!server.publish(QDBusConnection::sessionBus(), &why)) {
        server.journal().event(QStringLiteral("host"), QStringLiteral("not started: ") + why);
        std::fprintf(stderr, "velmora-zep: %s\n", qPrintable(why));
        return 1;
    }
    server.journal().event(QStringLiteral("host"),
                           QStringLiteral("started, pid %1%2")
                               .arg(QCoreApplication::applicationPid())
                               .arg(byClient ? QStringLiteral(", for automation") : QString()));

    server.window().setUserControl(!byClient);
    if (!byClient)
        server.window().show();

    const int rc = app.exec();
    server.shutdown();
    server.journal().event(QStringLiteral("host"), QStringLiteral("stopped"));
    return rc;
}
