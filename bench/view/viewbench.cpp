// Frame times of the 3-D view while a command thread keeps publishing new
// orbits, as a dragging user's toolbar does. Run by hand under Xvfb, e.g.
//   xvfb-run -s "-screen 0 1600x1200x24" ./velmora-viewbench --seconds 10
// Optionally saves a picture of the view (--screenshot FILE) and exits.
// --map shows the map window beside the view in the same window, as the host
// does; --compare measures two floors before and after the view in the same
// run, an empty OpenGL widget and an empty native OpenGL window (the kind the
// view draws into), and prints the view's rate as a share of each.
// --satellites N fills the scenario as a class would, LEO out to GEO, with
// the clock playing; --plot shows an XY plot as well.

#include "standin/view/earthview.h"
#include "standin/view/mapview.h"
#include "standin/view/plotview.h"
#include "standin/view/samplescene.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <time.h>
#include <vector>

namespace {

// The floor: what the toolkit's composition of any OpenGL widget of this
// size costs here, drawing nothing but a clear, as fast as it can.
class BareView : public QOpenGLWidget {
public:
    using QOpenGLWidget::QOpenGLWidget;

protected:
    void paintGL() override
    {
        context()->functions()->glClearColor(0, 0, 0, 1);
        context()->functions()->glClear(GL_COLOR_BUFFER_BIT);
        update();
    }
};

// The same floor for a native OpenGL window inside the widget window, as
// the view draws: a clear and a swap per frame, at the pace the window
// system asks for.
class BareSurface : public QWindow {
public:
    BareSurface()
    {
        setSurfaceType(QSurface::OpenGLSurface);
        setFormat(zep::EarthView::surfaceFormat());
        context_.setFormat(zep::EarthView::surfaceFormat());
        context_.create();
    }
    long frames = 0;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::UpdateRequest || (e->type() == QEvent::Expose && isExposed())) {
            if (isExposed() && context_.makeCurrent(this)) {
                context_.functions()->glClearColor(0, 0, 0, 1);
                context_.functions()->glClear(GL_COLOR_BUFFER_BIT);
                context_.swapBuffers(this);
                ++frames;
            }
            requestUpdate();
            return true;
        }
        return QWindow::event(e);
    }

private:
    QOpenGLContext context_;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(std::ceil(p * double(v.size()))) - (p > 0 ? 1 : 0));
    return v[i];
}

// Frames per second after a second to settle, counted by `frames`.
double settledRate(const std::function<long()> &frames, double seconds)
{
    double rate = 0;
    long first = 0;
    QElapsedTimer t;
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, [&] {
        first = frames();
        t.start();
        QTimer::singleShot(int(seconds * 1000), &loop, [&] {
            rate = double(frames() - first) / (double(t.nsecsElapsed()) / 1e9);
            loop.quit();
        });
    });
    loop.exec();
    return rate;
}

// Frames per second of an empty OpenGL widget of `size`.
double bareRate(QSize size, double seconds)
{
    BareView bare;
    bare.setFormat(zep::EarthView::surfaceFormat());
    bare.resize(size);
    bare.show();
    long frames = 0;
    QObject::connect(&bare, &QOpenGLWidget::frameSwapped, [&] { ++frames; });
    const double rate = settledRate([&] { return frames; }, seconds);
    std::printf("empty OpenGL widget %dx%d: %.1f frames/s\n", bare.width(), bare.height(), rate);
    return rate;
}

// Frames per second of an empty native OpenGL window of `size` in a widget window.
double bareNativeRate(QSize size, double seconds)
{
    auto *surface = new BareSurface;
    std::unique_ptr<QWidget> container(QWidget::createWindowContainer(surface));
    container->resize(size);
    container->show();
    const double rate = settledRate([&] { return surface->frames; }, seconds);
    std::printf("empty native OpenGL window %dx%d: %.1f frames/s\n", size.width(), size.height(), rate);
    return rate;
}

// `count` satellites in all, the first one kept: distinct orbits from low
// Earth orbit out to geostationary, each with its own inclination, node and
// colour, every one drawn whole.
void addSatellites(zep::Snapshot &s, int count)
{
    constexpr double deg = zep::astro::kPi / 180;
    const double low = zep::astro::kEarthRadius + 400e3, geo = 42164e3;
    zep::SatelliteState sat = s.satellites.front();
    sat.dataDisplayShown = false;
    for (int k = 1; k < count; ++k) {
        const double u = double(k) / std::max(1, count - 1);
        sat.name = QStringLiteral("Sat %1").arg(k + 1, 2, 10, QLatin1Char('0'));
        sat.color = QColor::fromHsv((k * 137) % 360, 170 + (k % 3) * 40, 255);
        sat.elements.a = low * std::pow(geo / low, u);
        // Some eccentric, none dipping below 200 km.
        const double e = (k % 4 == 1) ? 0.05 + 0.5 * std::fmod(k * 0.37, 1.0) : 0.002 * (k % 5);
        sat.elements.e = std::min(e, 1 - (zep::astro::kEarthRadius + 200e3) / sat.elements.a);
        sat.elements.i = (k % 7 == 0 ? 0.0 : std::fmod(k * 23.0, 110.0)) * deg;
        sat.elements.raan = std::fmod(k * 47.0, 360.0) * deg;
        sat.elements.argp = std::fmod(k * 61.0, 360.0) * deg;
        sat.elements.meanAnomaly = std::fmod(k * 97.0, 360.0) * deg;
        s.satellites.push_back(sat);
    }
    s.satellitesMade = int(s.satellites.size());
}

// CPU seconds so far of this thread, or of the whole process (the software
// renderer's threads too): unlike the frame times, not stretched by what
// else the machine runs.
double cpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser cli;
    cli.addHelpOption();
    cli.addOption({"seconds", "Length of the run.", "s", "10"});
    cli.addOption({"size", "View size.", "WxH", "1280x1024"});
    cli.addOption({"screenshot", "Save the view to FILE after it settles, then exit.", "file"});
    cli.addOption({"aids", "Show the geometry aids."});
    cli.addOption({"fixed", "Show the Earth-fixed frame."});
    cli.addOption({"elements", "a_km,e,i,argp,raan,M in degrees.", "list", "6582,0,0,0,0,0"});
    cli.addOption({"color", "Satellite colour.", "name", "white"});
    cli.addOption({"viewer", "lat,lon,range_m.", "list", "30,0,100000000"});
    cli.addOption({"bare", "Measure an empty OpenGL widget of the same size instead (the floor)."});
    cli.addOption({"hours", "Scenario time after the start.", "h", "0"});
    cli.addOption({"map", "Show the map window beside the view, in the same window."});
    cli.addOption({"tiled", "With --map: the view and the map share a window of the view's size, as the host tiles them."});
    cli.addOption({"compare", "Measure the empty widget first, then the view, and print the ratio."});
    cli.addOption({"satellites", "N satellites, LEO to GEO, whole orbits, the clock playing.", "n", "1"});
    cli.addOption({"plot", "Show an XY plot window too, below the map or beside the view."});
    cli.addOption({"paused", "With --satellites: the clock stopped, as while a teacher edits the orbit."});
    cli.process(app);

    if (!zep::EarthView::openGLAvailable()) {
        std::fprintf(stderr, "no OpenGL 3.3 on this display\n");
        return 2;
    }
    const QStringList el = cli.value("elements").split(',');
    const QStringList viewer = cli.value("viewer").split(',');
    if (el.size() != 6 || viewer.size() != 3) {
        std::fprintf(stderr, "--elements needs 6 numbers, --viewer 3\n");
        return 2;
    }
    constexpr double deg = zep::astro::kPi / 180;
    zep::view::SampleOptions o;
    o.elements.a = el[0].toDouble() * 1000;
    o.elements.e = el[1].toDouble();
    o.elements.i = el[2].toDouble() * deg;
    o.elements.argp = el[3].toDouble() * deg;
    o.elements.raan = el[4].toDouble() * deg;
    o.elements.meanAnomaly = el[5].toDouble() * deg;
    o.satelliteColor = QColor(cli.value("color"));
    o.aids = cli.isSet("aids");
    o.frame = cli.isSet("fixed") ? zep::ReferenceFrame::Fixed : zep::ReferenceFrame::Inertial;
    o.fixedAxes = cli.isSet("fixed");
    o.inertialAxes = !cli.isSet("fixed");
    zep::Snapshot base = zep::view::sampleScene(o);
    base.viewer = {viewer[0].toDouble(), viewer[1].toDouble(), viewer[2].toDouble(), 1};
    const int satellites = std::clamp(cli.value("satellites").toInt(), 1, zep::kMaxSatellites);
    addSatellites(base, satellites);

    zep::ScenarioStore store;
    zep::AnimationClock clock;
    const zep::astro::Instant at{zep::view::sampleStart().seconds + cli.value("hours").toDouble() * 3600};
    if (cli.isSet("satellites")) {
        // Every satellite moves: the clock plays at x1, a minute a tick.
        clock.setPeriod(base.start, base.stop, 60);
        clock.setNow(at);
        if (!cli.isSet("paused"))
            clock.play();
    } else {
        clock.setNow(at);
    }
    store.publish(std::make_shared<const zep::Snapshot>(base));

    const QStringList wh = cli.value("size").split('x');
    const QSize viewSize(wh.value(0).toInt(), wh.value(1).toInt());
    const double seconds = cli.value("seconds").toDouble();
    if (cli.isSet("bare")) {
        bareRate(viewSize, seconds);
        return 0;
    }
    const double floorRate = cli.isSet("compare") ? bareRate(viewSize, seconds) : 0;
    const double nativeFloorRate = cli.isSet("compare") ? bareNativeRate(viewSize, seconds) : 0;
    QWidget window;
    window.setWindowTitle(QStringLiteral("3D Graphics 1 - Earth"));
    auto *layout = new QHBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *viewPointer = new zep::EarthView(store, clock);
    zep::EarthView &view = *viewPointer;
    const bool tiled = cli.isSet("map") && cli.isSet("tiled");
    view.setFixedSize(tiled ? QSize(viewSize.width() / 2, viewSize.height()) : viewSize);
    layout->addWidget(&view);
    std::vector<double> mapPaintMs, plotPaintMs;
    bool measuring = false;
    // The map and the plot share a column of half the view's width, the plot
    // at the host's size for a new one below the map.
    const QSize plotSize(viewSize.width() / 2, 400);
    auto *column = new QVBoxLayout;
    column->setSpacing(0);
    layout->addLayout(column);
    if (cli.isSet("map")) {
        // Half the width, as the host's tiling gives it.
        auto *map = new zep::MapView(store, clock);
        QObject::connect(map, &zep::MapView::frameDrawn, [&](double ms) {
            if (measuring)
                mapPaintMs.push_back(ms);
        });
        map->setFixedSize(viewSize.width() / 2, viewSize.height() - (cli.isSet("plot") ? plotSize.height() : 0));
        column->addWidget(map);
    }
    if (cli.isSet("plot")) {
        auto *plot = new zep::PlotView(store, clock);
        QObject::connect(plot, &zep::PlotView::frameDrawn, [&](double ms) {
            if (measuring)
                plotPaintMs.push_back(ms);
        });
        plot->setFixedSize(plotSize);
        column->addWidget(plot);
    }
    window.show();

    if (cli.isSet("screenshot")) {
        const QString file = cli.value("screenshot");
        QTimer::singleShot(1500, &app, [&] {
            const QImage img = cli.isSet("map") || cli.isSet("plot") ? window.grab().toImage() : view.grabFramebuffer();
            const bool ok = img.save(file);
            std::printf("%s %s (%dx%d)\n", ok ? "saved" : "could not save", qPrintable(file), img.width(), img.height());
            app.exit(ok ? 0 : 1);
        });
        return app.exec();
    }

    std::vector<double> paintMs, intervalMs, editToScreenMs;
    // When each revision was published, by the command thread; read on the GUI thread.
    constexpr size_t kMaxRevisions = 1 << 20;
    std::vector<std::atomic<qint64>> publishedAt(kMaxRevisions);
    QElapsedTimer wall;
    qint64 lastSwap = -1;
    QObject::connect(&view, &zep::EarthView::frameDrawn, [&](double ms) {
        if (measuring)
            paintMs.push_back(ms);
    });
    QObject::connect(&view, &zep::EarthView::frameSwapped, [&] {
        const qint64 now = wall.nsecsElapsed();
        if (measuring && lastSwap >= 0)
            intervalMs.push_back(double(now - lastSwap) / 1e6);
        lastSwap = now;
        // From the newest edit this frame shows to the frame on screen.
        const quint64 rev = view.drawnRevision();
        const qint64 sent = rev < kMaxRevisions ? publishedAt[rev].load() : 0;
        if (measuring && sent > 0)
            editToScreenMs.push_back(double(now - sent) / 1e6);
    });

    // The command thread: a new orbit every millisecond, inclination sweeping.
    double guiCpu = 0, processCpu = 0;
    std::atomic_bool stop{false};
    std::atomic<long> published{0};
    std::thread commands;
    QTimer::singleShot(1000, &app, [&] {
        wall.start();
        guiCpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        processCpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        measuring = true;
        commands = std::thread([&] {
            zep::Snapshot s = base;
            while (!stop) {
                ++s.revision;
                if (s.revision < kMaxRevisions)
                    publishedAt[s.revision] = wall.nsecsElapsed();
                s.satellites.front().elements.i = std::fmod(double(s.revision) * 0.1, 180.0) * deg;
                s.satellites.front().elements.raan = std::fmod(double(s.revision) * 0.05, 360.0) * deg;
                store.publish(std::make_shared<const zep::Snapshot>(s));
                ++published;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        QTimer::singleShot(int(seconds * 1000), &app, [&] {
            measuring = false;
            stop = true;
            commands.join();
            const double elapsed = double(wall.nsecsElapsed()) / 1e9;
            guiCpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - guiCpu;
            processCpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processCpu;
            std::printf("view %dx%d, %d satellite(s), %.1f s, %ld snapshots published (%.0f/s)\n", view.width(),
                        view.height(), satellites, elapsed, published.load(), double(published.load()) / elapsed);
            const double rate = double(intervalMs.size()) / elapsed;
            std::printf("frames drawn%s: %zu (%.1f frames/s)\n",
                        tiled                ? " (view and map tiled in the window)"
                            : cli.isSet("map") ? (cli.isSet("plot") ? " (map and plot shown too)" : " (map shown too)")
                            : cli.isSet("plot") ? " (plot shown too)"
                                                : "",
                        intervalMs.size(), rate);
            if (floorRate > 0) {
                // The floor again after the view, so that a change in the
                // machine's load shows as two different floors; the views
                // out of the way, not drawing what the clock plays.
                clock.pause();
                window.hide();
                const double after = bareRate(viewSize, seconds);
                const double floor = (floorRate + after) / 2;
                const double nativeFloor = (nativeFloorRate + bareNativeRate(viewSize, seconds)) / 2;
                std::printf("view / empty widget (mean of both): %.2f\n", rate / floor);
                std::printf("view / empty native window (mean of both): %.2f\n", rate / nativeFloor);
            }
            std::printf("frame interval ms: median %.2f  p99 %.2f\n", percentile(intervalMs, 0.5), percentile(intervalMs, 0.99));
            std::printf("paintGL ms:        median %.2f  p99 %.2f\n", percentile(paintMs, 0.5), percentile(paintMs, 0.99));
            if (!mapPaintMs.empty())
                std::printf("map paint ms:      median %.2f  p99 %.2f (%zu frames)\n", percentile(mapPaintMs, 0.5),
                            percentile(mapPaintMs, 0.99), mapPaintMs.size());
            if (!plotPaintMs.empty())
                std::printf("plot paint ms:     median %.2f  p99 %.2f (%zu frames)\n", percentile(plotPaintMs, 0.5),
                            percentile(plotPaintMs, 0.99), plotPaintMs.size());
            std::printf("edit to screen ms: median %.2f  p99 %.2f (newest edit in each frame)\n",
                        percentile(editToScreenMs, 0.5), percentile(editToScreenMs, 0.99));
            if (!intervalMs.empty())
                std::printf("CPU ms per frame:  GUI thread %.2f, whole process %.2f\n",
                            guiCpu * 1000 / double(intervalMs.size()), processCpu * 1000 / double(intervalMs.size()));
            app.quit();
        });
    });
    return app.exec();
}
