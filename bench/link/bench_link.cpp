// bench_link: what one host round trip costs the toolbar, against the floor of
// a plain Unix-socket round trip between two processes, plus the state update
// and the toolbar's start-up. Run by hand on a desktop session (or under
// xvfb-run dbus-run-session) with velmora-zep beside this program or in
// ZEP_STANDIN (and velmora-toolbar beside it or in VELMORA_TOOLBAR); no host
// may be running when it starts.
//
//   bench_link [--calls N] [--drag-end A] [--runs N] [--skip-startup] [--startup-only]

#include "host/dbusautomation.h"
#include "host/hostlink.h"
#include "host/arrange.h"
#include "host/scenario.h"
#include "orbit/elements.h"
#include "orbit/numbers.h"
#include "orbit/stateupdate.h"
#include "host/orbitupdate.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileSystemWatcher>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;
using namespace velmora;

namespace {

struct Stats {
    double median_us = 0;
    double p99_us = 0;
};

Stats statsOf(std::vector<double> us)
{
    if (us.empty())
        return {};
    std::sort(us.begin(), us.end());
    const auto at = [&](double q) {
        const size_t i = size_t(std::ceil(q * double(us.size()))) - 1;
        return us[std::min(i, us.size() - 1)];
    };
    return {at(0.5), at(0.99)};
}

double microsSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

// The echoing end of the floor measurement; forked before Qt starts threads.
struct Echo {
    int fd = -1;
    pid_t pid = -1;
};

constexpr size_t kPingBytes = 100;

bool readAll(int fd, char *buf, size_t n)
{
    while (n > 0) {
        const ssize_t got = ::read(fd, buf, n);
        if (got <= 0)
            return false;
        buf += got;
        n -= size_t(got);
    }
    return true;
}

bool writeAll(int fd, const char *buf, size_t n)
{
    while (n > 0) {
        const ssize_t put = ::write(fd, buf, n);
        if (put <= 0)
            return false;
        buf += put;
        n -= size_t(put);
    }
    return true;
}

Echo startEcho()
{
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::array<char, kPingBytes> buf{};
        while (readAll(fds[1], buf.data(), buf.size()) && writeAll(fds[1], buf.data(), buf.size())) {
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    return {fds[0], pid};
}

Stats socketFloor(const Echo &echo, int calls)
{
    std::array<char, kPingBytes> out{}, in{};
    out.fill('x');
    std::vector<double> us;
    us.reserve(size_t(calls));
    for (int i = 0; i < calls + calls / 10; ++i) {
        const auto t0 = Clock::now();
        if (!writeAll(echo.fd, out.data(), out.size()) || !readAll(echo.fd, in.data(), in.size()))
            return {};
        if (i >= calls / 10)  // the first tenth warms up
            us.push_back(microsSince(t0));
    }
    return statsOf(std::move(us));
}

class QuietNotice : public host::UserNotice {
public:
    void showWarning(const QString &title, const QString &text) override
    {
        std::fprintf(stderr, "bench_link: %s: %s\n", qPrintable(title), qPrintable(text));
    }
    void endProgram() override {}
};

class Display : public host::OrbitDisplay {
public:
    QString axisText;
    QString period;
    QString semimajorAxisText() const override { return axisText; }
    void setOrbitPeriodCaption(const QString &caption) override { period = caption; }
};

qint64 hostPid(const QString &name)
{
    auto *bus = QDBusConnection::sessionBus().interface();
    if (!bus->isServiceRegistered(name))
        return 0;
    return bus->servicePid(name).value();
}

// Ends the host that a run started, by its own process id.
void stopHost()
{
    const qint64 pid = hostPid(host::kHostBusName);
    if (pid > 0)
        ::kill(pid_t(pid), SIGTERM);
    for (int i = 0; i < 500 && hostPid(host::kHostBusName) != 0; ++i)
        QThread::msleep(10);
}

QString programBeside(const char *variable, const QString &name)
{
    QString program = qEnvironmentVariable(variable);
    if (program.isEmpty())
        program = QCoreApplication::applicationDirPath() + u'/' + name;
    if (!QFileInfo(program).isExecutable()) {
        std::fprintf(stderr, "bench_link: no %s\n", qPrintable(program));
        return {};
    }
    return program;
}

// Both start-up times are taken from events (the bus's word that the name has
// an owner, the kernel's word that the journal grew) rather than by polling:
// a poll every few hundred microseconds takes a core and a share of the bus
// daemon from the very programs it times.

// The floor of the start-up: from exec of the host, as the toolbar starts
// it, to its owning the bus name. 0 when it never did.
double hostStartTime(const QString &host)
{
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZEP_JOURNAL"), dir.filePath(QStringLiteral("journal")));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QDBusServiceWatcher owner(host::kHostBusName, QDBusConnection::sessionBus(),
                              QDBusServiceWatcher::WatchForRegistration);
    QEventLoop loop;
    double ms = 0;
    Clock::time_point t0;
    QObject::connect(&owner, &QDBusServiceWatcher::serviceRegistered, &loop, [&] {
        ms = microsSince(t0) / 1000;
        loop.quit();
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    t0 = Clock::now();
    process.start(host, {QStringLiteral("--automation")});
    loop.exec();
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
    return ms;
}

// From exec of the toolbar with no host running to the last start-up command
// reaching the host's journal: the splash goes a few microseconds after it.
double toolbarStartTime(const QString &toolbar)
{
    QTemporaryDir dir;
    const QString journal = dir.filePath(QStringLiteral("journal"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZEP_JOURNAL"), journal);
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);

    // The folder tells when the journal appears, the file when it grows.
    QFileSystemWatcher watcher({dir.path()});
    QEventLoop loop;
    QTimer quiet;  // start-up is over when the journal has stopped growing for a while
    quiet.setSingleShot(true);
    quiet.setInterval(2000);
    QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    qint64 size = 0;
    Clock::time_point t0, lastGrowth;
    const auto look = [&] {
        if (!watcher.files().contains(journal) && QFileInfo::exists(journal))
            watcher.addPath(journal);
        const qint64 now = QFileInfo(journal).size();
        if (now != size) {
            size = now;
            lastGrowth = Clock::now();
            quiet.start();
        }
    };
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, look);
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &loop, look);

    t0 = Clock::now();
    process.start(toolbar, {});
    if (!process.waitForStarted()) {
        std::fprintf(stderr, "bench_link: cannot start the toolbar\n");
        return 0;
    }
    loop.exec();
    process.kill();
    process.waitForFinished();
    stopHost();
    return size > 0 ? std::chrono::duration<double, std::milli>(lastGrowth - t0).count() : 0;
}

void reportStartup(int runs)
{
    const QString toolbar = programBeside("VELMORA_TOOLBAR", QStringLiteral("velmora-toolbar"));
    const QString host = programBeside("ZEP_STANDIN", QStringLiteral("velmora-zep"));
    if (toolbar.isEmpty() || host.isEmpty())
        return;
    // Taken in turns, so that a change of load on the machine weighs on both.
    std::vector<double> hostMs, toolbarMs;
    for (int run = 0; run < runs; ++run) {
        if (const double h = hostStartTime(host); h > 0)
            hostMs.push_back(h);
        if (const double t = toolbarStartTime(toolbar); t > 0)
            toolbarMs.push_back(t);
    }
    const auto maxOf = [](const std::vector<double> &v) { return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()); };
    const Stats h = statsOf(hostMs), t = statsOf(toolbarMs);
    std::printf("host start, exec to owning its bus name (%zu runs): median %.0f ms, max %.0f ms\n",
                hostMs.size(), h.median_us, maxOf(hostMs));
    std::printf("toolbar start-up, exec to last start-up command (%zu runs): median %.0f ms, max %.0f ms\n",
                toolbarMs.size(), t.median_us, maxOf(toolbarMs));
    if (h.median_us > 0)
        std::printf("ratio toolbar start-up/host start: median %.1fx\n", t.median_us / h.median_us);
}

} // namespace

int main(int argc, char **argv)
{
    int calls = 20000;
    float dragEnd = 50000;
    bool startup = true;
    bool startupOnly = false;
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--calls" && i + 1 < argc)
            calls = std::max(100, atoi(argv[++i]));
        else if (a == "--drag-end" && i + 1 < argc)
            dragEnd = float(atof(argv[++i]));
        else if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, atoi(argv[++i]));
        else if (a == "--skip-startup")
            startup = false;
        else if (a == "--startup-only")
            startupOnly = true;
    }

    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const Echo echo = startEcho();
    QCoreApplication app(argc, argv);
    if (hostPid(host::kHostBusName) != 0) {
        std::fprintf(stderr, "bench_link: a host is already running; stop it first\n");
        return 2;
    }

    if (startup || startupOnly)
        reportStartup(runs);
    if (startupOnly)
        return 0;

    host::DBusAutomation bus;
    QuietNotice notice;
    host::HostLink link(bus, notice);
    const auto c0 = Clock::now();
    if (!link.ConnectToHost()) {
        std::fprintf(stderr, "bench_link: no host: %s\n", qPrintable(link.lastError()));
        return 1;
    }
    std::printf("host start and connect: %.0f ms\n", microsSince(c0) / 1000);
    host::PrepareScenario(link);

    // Round trip through the whole link, as every toolbar command takes it.
    std::vector<double> us;
    us.reserve(size_t(calls));
    const QString query = QStringLiteral("GetZEPVersion /");
    for (int i = 0; i < calls / 10; ++i)
        link.SendHostCommand(query);
    for (int i = 0; i < calls; ++i) {
        const auto t0 = Clock::now();
        if (link.SendHostCommand(query).isNull()) {
            std::fprintf(stderr, "bench_link: command failed: %s\n", qPrintable(link.lastError()));
            return 1;
        }
        us.push_back(microsSince(t0));
    }
    const Stats busStats = statsOf(std::move(us));

    // The bus daemon's own answer: the part of the round trip no host can save.
    us.clear();
    const QDBusMessage getId = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
    for (int i = 0; i < calls; ++i) {
        const auto t0 = Clock::now();
        QDBusConnection::sessionBus().call(getId, QDBus::Block);
        us.push_back(microsSince(t0));
    }
    const Stats daemon = statsOf(std::move(us));
    const Stats floor = socketFloor(echo, calls);
    std::printf("SendHostCommand(\"GetZEPVersion /\") x %d: median %.1f us, p99 %.1f us\n", calls,
                busStats.median_us, busStats.p99_us);
    std::printf("bus daemon alone (GetId) x %d: median %.1f us, p99 %.1f us\n", calls,
                daemon.median_us, daemon.p99_us);
    std::printf("Unix socket ping-pong, 100 bytes x %d: median %.1f us, p99 %.1f us\n", calls,
                floor.median_us, floor.p99_us);
    if (floor.median_us > 0)
        std::printf("ratio bus/floor: median %.1fx, p99 %.1fx\n", busStats.median_us / floor.median_us,
                    busStats.p99_us / floor.p99_us);

    // One state update at a fixed orbit.
    orbit::OrbitElements el;
    el.SemimajorAxis = 7000;
    const double Pi = 4 * std::atan(1.0);
    orbit::UpdateMeanAnomaly(el, Pi);
    Display display;
    display.axisText = orbit::SingleToText(el.SemimajorAxis);
    QString color = orbit::kColorWhite;
    us.clear();
    const int applies = std::max(100, calls / 10);
    for (int i = 0; i < applies; ++i) {
        const auto t0 = Clock::now();
        host::ApplyOrbit(link, el, color, display);
        us.push_back(microsSince(t0));
    }
    const Stats apply = statsOf(std::move(us));
    std::printf("ApplyOrbit x %d: median %.1f us, p99 %.1f us\n", applies, apply.median_us, apply.p99_us);

    // A thumb dragged across bar 0 one position at a time: each position goes
    // through the chain that the value box runs.
    const auto d0 = Clock::now();
    int updates = 0;
    for (float a = 6582; a <= dragEnd && !link.ended(); a += 1, ++updates) {
        el.SemimajorAxis = a;
        display.axisText = orbit::SingleToText(a);
        orbit::UpdateMeanAnomaly(el, Pi);
        host::ApplyOrbit(link, el, color, display);
    }
    const double seconds = microsSince(d0) / 1e6;
    std::printf("drag across bar 0 (6582..%.0f): %d state updates in %.1f s = %.0f updates/s\n",
                double(dragEnd), updates, seconds, updates / seconds);

    // The same drag with the host shown and its 3-D view drawing.
    host::ArrangeHostWindows(link);
    const float shownEnd = std::min(dragEnd, 6582.0f + 10000.0f);
    const auto v0 = Clock::now();
    updates = 0;
    for (float a = 6582; a <= shownEnd && !link.ended(); a += 1, ++updates) {
        el.SemimajorAxis = a;
        display.axisText = orbit::SingleToText(a);
        orbit::UpdateMeanAnomaly(el, Pi);
        host::ApplyOrbit(link, el, color, display);
    }
    const double shownSeconds = microsSince(v0) / 1e6;
    std::printf("same drag with the host shown (6582..%.0f): %d state updates in %.1f s = %.0f updates/s\n",
                double(shownEnd), updates, shownSeconds, updates / shownSeconds);

    stopHost();
    ::close(echo.fd);
    ::waitpid(echo.pid, nullptr, 0);
    return 0;
}
