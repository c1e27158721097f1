// velmora-zep: the stand-in 3-D host that the Velmora Toolbar drives.
//   --automation    started by a client: stay hidden until Visible is set
//   --journal FILE  append every command and automation request to FILE
//                   (or set ZEP_JOURNAL)
//   --lesson FILE   open a lesson once the host runs

#include "desktop/platformchoice.h"
#include "standin/app/commandline.h"
#include "standin/app/hostserver.h"
#include "standin/app/lessonbar.h"
#include "standin/app/stoprequests.h"

#include <QApplication>
#include <QDBusConnection>
#include <QIcon>

#include <cstdio>

int main(int argc, char **argv)
{
    // However it was started (menu, toolbar, bus), before Qt reads the environment.
    velmora::desktop::ApplyPlatformChoice();

    zep::answerHelpOrVersion(argc, argv);

    QApplication app(argc, argv);
    const zep::HostOptions options = zep::readHostOptions(app);
    QApplication::setApplicationDisplayName(QStringLiteral("ZEP"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.Zep"));
    QIcon icon(QStringLiteral(":/zep/velmora-zep-48.png"));
    icon.addFile(QStringLiteral(":/zep/velmora-zep-256.png"));
    QApplication::setWindowIcon(icon);

    zep::StopRequests stopRequests;
    QObject::connect(&stopRequests, &zep::StopRequests::stopRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    // The journal says itself when its path cannot be used.
    zep::HostServer server(options.journalPath);

    const bool byClient = options.automation;
    QString why;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!server.publish(bus, &why)) {
        server.journal().event(QStringLiteral("host"), QStringLiteral("not started: ") + why);
        std::fprintf(stderr, "velmora-zep: %s\n", qPrintable(why));
        return 1;
    }
    stopRequests.watch(bus);
    server.journal().event(QStringLiteral("host"),
                           QStringLiteral("started, pid %1%2")
                               .arg(QCoreApplication::applicationPid())
                               .arg(byClient ? QStringLiteral(", for automation") : QString()));

    // Only now: the bus name first, then what the first view will need.
    server.window().prepareViews();
    server.window().setUserControl(!byClient);
    if (!byClient)
        server.window().show();
    if (!options.lessonPath.isEmpty())
        server.window().lessons().openAtStart(options.lessonPath);

    const int rc = app.exec();
    server.shutdown();
    const QString reason = stopRequests.reason();
    server.journal().event(QStringLiteral("host"),
                           reason.isEmpty() ? QStringLiteral("stopped") : QStringLiteral("stopped ") + reason);
    if (!reason.isEmpty())
        std::fprintf(stderr, "velmora-zep: stopped %s\n", qPrintable(reason));
    return rc;
}
