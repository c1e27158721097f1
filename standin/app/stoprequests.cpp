#include "standin/app/stoprequests.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace zep {

namespace {

// The handler may only write to a pipe; the event loop reads the other end.
int wakePipe[2] = {-1, -1};

extern "C" void onStopSignal(int number)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t n = ::write(wakePipe[1], &byte, 1);
    errno = saved;
}

} // namespace

StopRequests::StopRequests(QObject *parent) : QObject(parent)
{
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // no watch: the default actions still end the host
    notifier_ = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopRequests::readSignal);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

StopRequests::~StopRequests()
{
    if (!notifier_)
        return;
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    ::close(wakePipe[0]);
    ::close(wakePipe[1]);
    wakePipe[0] = wakePipe[1] = -1;
}

void StopRequests::watch(QDBusConnection bus)
{
    // libdbus reports the end of a connection as this local signal.
    if (!bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"), QStringLiteral("org.freedesktop.DBus.Local"),
                     QStringLiteral("Disconnected"), this, SLOT(busDisconnected())))
        std::fprintf(stderr, "velmora-zep: cannot watch the bus connection; the host will not notice its end\n");
}

void StopRequests::busDisconnected()
{
    request(QStringLiteral("the session bus connection was lost"));
}

void StopRequests::readSignal()
{
    unsigned char byte = 0;
    while (::read(wakePipe[0], &byte, 1) == 1)
        request(byte == SIGINT ? QStringLiteral("on SIGINT") : QStringLiteral("on SIGTERM"));
}

void StopRequests::request(const QString &why)
{
    if (!reason_.isEmpty())
        return;
    reason_ = why;
    emit stopRequested(why);
}

} // namespace zep
