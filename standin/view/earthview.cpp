#include "standin/view/earthview.h"

#include "standin/view/overlaypainter.h"
#include "standin/view/renderer.h"
#include "standin/view/scenebuilder.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLTexture>
#include <QThread>
#include <QPainter>
#include <QThreadPool>
#include <QWheelEvent>

namespace zep {

struct EarthView::Private {
    ScenarioStore &store;
    AnimationClock &clock;
    view::Renderer renderer;
    std::shared_ptr<view::EarthImagery> imagery;
    // Uploads the Earth's textures on its own thread; kept while they live.
    std::unique_ptr<QOpenGLContext> loader;
    std::unique_ptr<QOffscreenSurface> loaderSurface;
    std::unique_ptr<QThread> loaderThread;
    view::Renderer::EarthTextures loaded;
    int loads = 0;  // a load whose context has gone is not taken

    view::Camera camera;
    quint64 viewerSerial = ~quint64(0);  // none applied yet: the first snapshot places the camera
    QPoint lastMouse;
    bool dragging = false;
    QMetaObject::Connection contextGoing;
    QStringList lastNotes;
    quint64 drawnRevision = 0;

    Private(ScenarioStore &s, AnimationClock &c, std::shared_ptr<view::EarthImagery> i)
        : store(s), clock(c), imagery(i ? std::move(i) : std::make_shared<view::EarthImagery>())
    {
    }

    view::Camera effectiveCamera(const Snapshot &snap) const
    {
        if (snap.viewer.serial != viewerSerial)
            return view::clampCamera({snap.viewer.latitudeDeg, snap.viewer.longitudeDeg, snap.viewer.rangeM});
        return camera;
    }
    void adoptViewer(const Snapshot &snap)
    {
        camera = effectiveCamera(snap);
        viewerSerial = snap.viewer.serial;
    }
    view::Framing framing(QSize size) const
    {
        const SnapshotPtr snap = store.snapshot();
        return view::frameScene(*snap, effectiveCamera(*snap), clock.now(), size);
    }
};

EarthView::EarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent,
                     std::shared_ptr<view::EarthImagery> imagery)
    : QOpenGLWidget(parent), d(std::make_unique<Private>(store, clock, std::move(imagery)))
{
    setFormat(surfaceFormat());
    setMinimumSize(160, 120);
    setFocusPolicy(Qt::StrongFocus);
    // The store signals from the command thread: queue it, and one repaint
    // serves a whole burst of commands.
    connect(&store, &ScenarioStore::changed, this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
    connect(&clock, &AnimationClock::timeChanged, this, qOverload<>(&QWidget::update));
}

EarthView::~EarthView()
{
    disconnect(d->contextGoing);
    releaseGL();
}

void EarthView::releaseGL()
{
    if (d->loaderThread)
        d->loaderThread->wait();
    if (context()) {
        makeCurrent();
        d->loaded = {};
        d->renderer.release();
        doneCurrent();
    }
    ++d->loads;
    d->loaderThread.reset();
    d->loader.reset();
    d->loaderSurface.reset();
}

QSurfaceFormat EarthView::surfaceFormat()
{
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setVersion(3, 3);
    f.setProfile(QSurfaceFormat::CoreProfile);
    f.setDepthBufferSize(24);
    // No multisampling: with software OpenGL it costs a factor of three in
    // frame time.
    f.setSamples(0);
    return f;
}

bool EarthView::openGLAvailable()
{
    if (!qGuiApp)
        return false;  // no platform to ask yet
    static const bool available = [] {
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
            return false;
        QOpenGLContext probe;
        probe.setFormat(surfaceFormat());
        if (!probe.create() || probe.isOpenGLES())
            return false;
        const QSurfaceFormat f = probe.format();
        return std::make_pair(f.majorVersion(), f.minorVersion()) >= std::make_pair(3, 3);
    }();
    return available;
}

void EarthView::prepareOpenGL()
{
    // Not QOpenGLContext::supportsThreadedOpenGL(): on X11 it answers by
    // making a context on this thread, the very cost to be moved. A GLX
    // context can be made on any thread.
    if (qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb"))
        QThreadPool::globalInstance()->start([] { openGLAvailable(); });
}

bool EarthView::rendererReady() const { return d->renderer.ready(); }
QStringList EarthView::undefinedAidNotes() const { return d->lastNotes; }
quint64 EarthView::drawnRevision() const { return d->drawnRevision; }

std::optional<QPointF> EarthView::project(const astro::Vec3 &inertialMetres) const
{
    const view::Framing f = d->framing(size());
    return view::projectPoint(f.proj, f.display(inertialMetres));
}

std::optional<QPointF> EarthView::satelliteScreenPosition() const
{
    const view::Framing f = d->framing(size());
    if (!f.sat)
        return std::nullopt;
    return view::projectPoint(f.proj, f.display(f.sat->r));
}

void EarthView::initializeGL()
{
    if (!d->renderer.initializeWithoutEarth(context())) {
        qWarning("3-D view disabled: %s", qPrintable(d->renderer.failure()));
        return;
    }
    // The context goes away when the widget moves to another window: let go
    // of its resources while it is still current.
    disconnect(d->contextGoing);
    d->contextGoing = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] { releaseGL(); });
    if (!loadEarthAside())
        d->renderer.setEarthTextures(view::Renderer::uploadEarth(*d->imagery->pictures()));
}

// Uploading the Earth's pictures costs a software renderer several frames:
// a context that shares with the view's does it on another thread, so that
// showing the window, and the host's answers meanwhile, need not wait.
bool EarthView::loadEarthAside()
{
    d->loader = std::make_unique<QOpenGLContext>();
    d->loader->setFormat(context()->format());
    d->loader->setShareContext(context());
    d->loaderSurface = std::make_unique<QOffscreenSurface>();
    d->loaderSurface->setFormat(context()->format());
    d->loaderSurface->create();
    if (!d->loader->create() || !d->loader->shareContext() || !d->loaderSurface->isValid()) {
        d->loader.reset();
        d->loaderSurface.reset();
        return false;
    }
    QOpenGLContext *loader = d->loader.get();
    QOffscreenSurface *surface = d->loaderSurface.get();
    std::shared_ptr<view::EarthImagery> imagery = d->imagery;
    QThread *gui = thread();
    const int load = ++d->loads;
    d->loaderThread.reset(QThread::create([this, loader, surface, imagery, gui] {
        if (loader->makeCurrent(surface)) {
            d->loaded = view::Renderer::uploadEarth(*imagery->pictures());
            loader->functions()->glFinish();  // complete before another context uses them
            loader->doneCurrent();
        }
        loader->moveToThread(gui);
    }));
    loader->moveToThread(d->loaderThread.get());
    connect(d->loaderThread.get(), &QThread::finished, this, [this, load] {
        if (load != d->loads || !d->loaderThread || !context())
            return;
        makeCurrent();
        d->renderer.setEarthTextures(std::move(d->loaded));
        doneCurrent();
        update();
    });
    d->loaderThread->start();
    return true;
}

void EarthView::resizeGL(int, int) {}

void EarthView::paintGL()
{
    QElapsedTimer timer;
    timer.start();
    const SnapshotPtr snap = d->store.takeChange();
    d->adoptViewer(*snap);
    if (!d->renderer.ready()) {
        // Space, until the Earth has come.
        QOpenGLFunctions *gl = context()->functions();
        const QColor space = view::Scene{}.background;
        gl->glClearColor(space.redF(), space.greenF(), space.blueF(), 1);
        gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return;
    }
    const view::Scene scene = view::buildScene(*snap, d->camera, d->clock.now(), size());
    d->renderer.draw(scene, size() * devicePixelRatioF(), devicePixelRatioF());
    d->lastNotes = scene.notes;
    d->drawnRevision = snap->revision;
    {
        QPainter painter(this);
        view::OverlayPainter().paint(painter, scene, d->renderer.imageryCredit());
    }
    emit frameDrawn(double(timer.nsecsElapsed()) / 1e6);
}

void EarthView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        d->dragging = true;
        d->lastMouse = event->position().toPoint();
    }
    event->accept();
}

void EarthView::mouseMoveEvent(QMouseEvent *event)
{
    if (!d->dragging || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint now = event->position().toPoint();
    d->adoptViewer(*d->store.snapshot());
    d->camera = view::dragCamera(d->camera, QPointF(now - d->lastMouse));
    d->lastMouse = now;
    update();
}

void EarthView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        d->dragging = false;
}

void EarthView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Back to where the scenario last placed the viewer.
    const SnapshotPtr snap = d->store.snapshot();
    d->camera = view::clampCamera({snap->viewer.latitudeDeg, snap->viewer.longitudeDeg, snap->viewer.rangeM});
    d->viewerSerial = snap->viewer.serial;
    event->accept();
    update();
}

void EarthView::wheelEvent(QWheelEvent *event)
{
    d->adoptViewer(*d->store.snapshot());
    d->camera = view::zoomCamera(d->camera, event->angleDelta().y());
    event->accept();
    update();
}

QWidget *createEarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent,
                         std::shared_ptr<view::EarthImagery> imagery)
{
    if (EarthView::openGLAvailable())
        return new EarthView(store, clock, parent, std::move(imagery));
    auto *label = new QLabel(QObject::tr("3-D view unavailable: OpenGL 3.3 cannot be used on this display"), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("background: #05070d; color: #8890a0;"));
    return label;
}

} // namespace zep
