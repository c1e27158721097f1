// velmora-toolbar: the toolbar window, attached to the host over the session bus.
#include "desktop/platformchoice.h"
#include "desktop/x11desktop.h"
#include "host/dbusautomation.h"
#include "host/handover.h"
#include "host/hostlink.h"
#include "toolbar/desktopnotice.h"
#include "toolbar/mainfrm.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

namespace {

// Closing the toolbar ends the program, tool window or not.
class QuitOnClose : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close)
            QCoreApplication::quit();
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char **argv)
{
    velmora::desktop::ApplyPlatformChoice();  // before Qt reads the environment
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora-toolbar"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.Toolbar"));

    velmora::host::DBusAutomation automation;
    velmora::toolbar::DesktopNotice notice;
    velmora::host::HostLink link(automation, notice);
    // Keys for the hand-over go to the process that owns the host's name,
    // typed by the desktop where it can, else by the host.
    velmora::desktop::X11Desktop x11 = velmora::desktop::makeX11Desktop();
    velmora::toolbar::MainFrm frm(
        link, velmora::host::makeKeySender(
                  link, [&] { return automation.processIdOf(link.HostApp()); }, std::move(x11.keys),
                  std::move(x11.windows)));
    notice.setOwner(&frm);
    QuitOnClose quitOnClose;
    frm.installEventFilter(&quitOnClose);

    // Load runs from the event loop, as a window's load event would.
    QTimer::singleShot(0, &frm, &velmora::toolbar::MainFrm::Load);
    return app.exec();
}
