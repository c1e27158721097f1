#include "standin/view/earthview.h"

#include "standin/view/overlaypainter.h"
#include "standin/view/renderer.h"
#include "standin/view/samplescene.h"
#include "standin/view/scenebuilder.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QOpenGLPaintDevice>
#include <QOpenGLTexture>
#include <QPainter>
#include <QThread>
#include <QThreadPool>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>

#include <future>

namespace zep {

namespace {

QWidget *unavailablePanel(QWidget *parent)
{
    auto *label = new QLabel(QObject::tr("3-D view unavailable: OpenGL 3.3 cannot be used on this display"), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("background: #05070d; color: #8890a0;"));
    return label;
}

bool platformHasNativeWindows()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

} // namespace

// The native window the view draws into. It takes no keyboard focus, so keys
// stay with the widget and the window's shortcuts; the pointer goes to the
// widget as if it had no window of its own.
class ViewSurface : public QWindow {
public:
    explicit ViewSurface(EarthView &view) : view_(view)
    {
        setSurfaceType(QSurface::OpenGLSurface);
        setFormat(EarthView::surfaceFormat());
        setFlag(Qt::WindowDoesNotAcceptFocus);
    }

protected:
    void exposeEvent(QExposeEvent *) override
    {
        if (isExposed())
            view_.present();
    }
    bool event(QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::UpdateRequest:
            view_.present();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
            QCoreApplication::sendEvent(&view_, event);
            return true;
        default:
            return QWindow::event(event);
        }
    }

private:
    EarthView &view_;
};

struct EarthView::Private {
    ScenarioStore &store;
    AnimationClock &clock;
    std::shared_ptr<view::EarthImagery> imagery;
    ViewSurface *surface = nullptr;  // once prepared; owned by its container
    QWidget *container = nullptr;
    bool picturesOnly = false;       // no native window: frames painted as pictures
    // For drawing while not on screen, and for letting go of the resources.
    // Made on this thread, as some platforms need, once the preparing thread
    // has loaded the driver: made first, it would wait for that load here.
    std::unique_ptr<QOffscreenSurface> offscreen;
    std::promise<QOffscreenSurface *> offscreenMade;
    bool offscreenGiven = false;

    // Made by the preparing thread; the GUI thread touches them only after
    // takePrepared() has joined it.
    std::unique_ptr<QThread> preparing;
    std::unique_ptr<QOpenGLContext> context;
    view::Renderer renderer;
    QString failure;
    bool prepared = false;

    view::Camera camera;
    quint64 viewerSerial = ~quint64(0);  // none applied yet: the first snapshot places the camera
    QPoint lastMouse;
    bool dragging = false;
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
    : QWidget(parent), d(std::make_unique<Private>(store, clock, std::move(imagery)))
{
    setMinimumSize(160, 120);
    setFocusPolicy(Qt::StrongFocus);
    // Space until the view can draw.
    setAutoFillBackground(true);
    QPalette space = palette();
    space.setColor(QPalette::Window, view::Scene{}.background);
    setPalette(space);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    prepareAside();

    // The store signals from the command thread: queue it, and one frame
    // serves a whole burst of commands.
    connect(&store, &ScenarioStore::changed, this, &EarthView::requestFrame, Qt::QueuedConnection);
    connect(&clock, &AnimationClock::timeChanged, this, &EarthView::requestFrame);
}

// Making the context, building the programs and uploading the Earth's
// pictures cost a software renderer a good part of a second, and so does the
// first frame, when it compiles what the drawing needs: all of it happens
// here, on a thread of its own, so that the host's answers need not wait.
void EarthView::prepareAside()
{
    QThread *gui = thread();
    d->preparing.reset(QThread::create([this, gui, made = d->offscreenMade.get_future()]() mutable {
        auto context = std::make_unique<QOpenGLContext>();
        context->setFormat(surfaceFormat());
        const bool created = context->create();
        QMetaObject::invokeMethod(this, [this] { giveOffscreen(); }, Qt::QueuedConnection);
        QOffscreenSurface *offscreen = made.get();
        if (!created || !offscreen || !offscreen->isValid() || !context->makeCurrent(offscreen)) {
            d->failure = QStringLiteral("no OpenGL context could be made");
            return;
        }
        if (d->renderer.initializeWithoutEarth(context.get())) {
            d->renderer.setEarthTextures(view::Renderer::uploadEarth(*d->imagery->pictures()));
            view::SampleOptions sample;
            sample.aids = true;
            Snapshot s = view::sampleScene(sample);
            s.annotations = {true, true, true};
            const QSize size(64, 64);
            QOpenGLFramebufferObject target(size, QOpenGLFramebufferObject::CombinedDepthStencil);
            target.bind();
            const view::Camera camera =
                view::clampCamera({s.viewer.latitudeDeg, s.viewer.longitudeDeg, s.viewer.rangeM});
            const view::Scene scene = view::buildScene(s, camera, view::sampleStart(), size);
            d->renderer.draw(scene, size, 1);
            {
                QOpenGLPaintDevice device(size);
                QPainter painter(&device);
                view::OverlayPainter().paint(painter, scene, d->renderer.imageryCredit());
            }
            target.release();
        } else {
            d->failure = d->renderer.failure();
        }
        context->functions()->glFinish();
        context->doneCurrent();
        context->moveToThread(gui);
        d->context = std::move(context);
    }));
    // finished() comes just before the thread's end: waiting for it costs nothing.
    connect(d->preparing.get(), &QThread::finished, this, [this] {
        if (takePrepared(true))
            requestFrame();
    });
    d->preparing->start();
}

void EarthView::giveOffscreen()
{
    if (d->offscreenGiven)
        return;
    d->offscreen = std::make_unique<QOffscreenSurface>();
    d->offscreen->setFormat(surfaceFormat());
    d->offscreen->create();
    d->offscreenGiven = true;
    d->offscreenMade.set_value(d->offscreen.get());
}

// Whether the prepared context is here; with `wait`, after the preparation
// has ended.
bool EarthView::takePrepared(bool wait)
{
    if (!d->prepared && d->preparing) {
        if (!wait && !d->preparing->isFinished())
            return false;
        giveOffscreen();  // the preparing thread may be waiting for it
        d->preparing->wait();
        d->preparing.reset();
        d->prepared = true;
        if (!d->failure.isEmpty()) {
            qWarning("3-D view disabled: %s", qPrintable(d->failure));
            layout()->addWidget(unavailablePanel(this));
        } else if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            // A native window nested in the host's document area never reaches
            // a Wayland screen: there each frame is drawn off screen and
            // painted as a picture.
            drawPictures();
        } else {
            // Only now: a native OpenGL window made earlier would wait here
            // for the driver that the preparing thread was loading.
            d->surface = new ViewSurface(*this);
            d->container = QWidget::createWindowContainer(d->surface, this);
            d->container->setFocusPolicy(Qt::NoFocus);
            layout()->addWidget(d->container);
            if (isVisible()) {
                // Shown now, not by the layout's queued call, so that its
                // native windows are stacked before their first expose.
                layout()->activate();
                d->container->show();
                stackNativeWindows();
            }
        }
    }
    return d->prepared && d->context;
}

// Inside the document area the container makes its native window with every
// ancestor's, and with each ancestor its siblings, in the order those were
// made, not in the order they are stacked: a document window made before the
// 3-D window then lies above it on screen, and its stale pixels hide the
// frames (all of them in a tiled window, all but one corner in a maximised
// one). The native windows are stacked as the widgets are; the widgets' own
// raises keep them so from then on.
void EarthView::stackNativeWindows()
{
    for (QWidget *w = d->container; w && !w->isWindow(); w = w->parentWidget()) {
        for (QObject *child : w->parentWidget()->children()) {
            auto *sibling = qobject_cast<QWidget *>(child);
            if (sibling && !sibling->isWindow() && sibling->internalWinId() && sibling->windowHandle())
                sibling->windowHandle()->raise();
        }
    }
}

EarthView::~EarthView()
{
    if (d->preparing) {
        giveOffscreen();  // the preparing thread may be waiting for it
        d->preparing->wait();
    }
    if (d->context && d->context->makeCurrent(d->offscreen.get())) {
        d->renderer.release();
        d->context->doneCurrent();
    }
}

QSurfaceFormat EarthView::surfaceFormat()
{
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setVersion(3, 3);
    f.setProfile(QSurfaceFormat::CoreProfile);
    f.setDepthBufferSize(24);
    f.setStencilBufferSize(8);  // the overlay's painter fills rounded shapes through the stencil
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
        if (!platformHasNativeWindows())
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

bool EarthView::rendererReady() const { return d->prepared && d->renderer.ready(); }
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

QOpenGLContext *EarthView::context() const { return d->prepared ? d->context.get() : nullptr; }

void EarthView::makeCurrent()
{
    if (takePrepared(true))
        d->context->makeCurrent(d->offscreen.get());
}

void EarthView::doneCurrent()
{
    if (d->context)
        d->context->doneCurrent();
}

void EarthView::requestFrame()
{
    if (d->surface)
        d->surface->requestUpdate();
    else if (d->picturesOnly)
        update();
}

// Into the bound framebuffer, which has the view's size in device pixels.
void EarthView::drawFrame()
{
    const SnapshotPtr snap = d->store.takeChange();
    d->adoptViewer(*snap);
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = size() * dpr;
    if (!d->renderer.ready()) {
        QOpenGLFunctions *gl = d->context->functions();
        const QColor space = view::Scene{}.background;
        gl->glViewport(0, 0, pixels.width(), pixels.height());
        gl->glClearColor(space.redF(), space.greenF(), space.blueF(), 1);
        gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return;
    }
    const view::Scene scene = view::buildScene(*snap, d->camera, d->clock.now(), size());
    d->renderer.draw(scene, pixels, dpr);
    d->lastNotes = scene.notes;
    d->drawnRevision = snap->revision;
    QOpenGLPaintDevice device(pixels);
    device.setDevicePixelRatio(dpr);
    QPainter painter(&device);
    view::OverlayPainter().paint(painter, scene, d->renderer.imageryCredit());
}

void EarthView::present()
{
    if (!takePrepared(false) || !d->surface || !d->surface->isExposed())
        return;
    QElapsedTimer timer;
    timer.start();
    if (!d->context->makeCurrent(d->surface)) {
        qWarning("3-D view: its window does not take the view's context; drawing pictures instead");
        drawPictures();
        return;
    }
    drawFrame();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    d->context->swapBuffers(d->surface);
    emit frameDrawn(ms);
    emit frameSwapped();
}

void EarthView::drawPictures()
{
    if (d->container) {
        d->container->deleteLater();  // takes the surface with it
        d->container = nullptr;
        d->surface = nullptr;
    }
    d->picturesOnly = true;
    setAttribute(Qt::WA_OpaquePaintEvent);
    update();
}

QImage EarthView::grabFramebuffer()
{
    if (size().isEmpty() || !takePrepared(true) || !d->context->makeCurrent(d->offscreen.get()))
        return {};
    QImage image;
    {
        QOpenGLFramebufferObject target(size() * devicePixelRatioF(), QOpenGLFramebufferObject::CombinedDepthStencil);
        target.bind();
        drawFrame();
        image = target.toImage();
        target.release();
    }
    d->context->doneCurrent();
    image.setDevicePixelRatio(devicePixelRatioF());
    return image;
}

void EarthView::paintEvent(QPaintEvent *event)
{
    if (!d->picturesOnly) {
        QWidget::paintEvent(event);
        return;
    }
    QElapsedTimer timer;
    timer.start();
    const QImage frame = grabFramebuffer();
    QPainter(this).drawImage(QPointF(0, 0), frame);
    emit frameDrawn(double(timer.nsecsElapsed()) / 1e6);
    emit frameSwapped();
}

void EarthView::showEvent(QShowEvent *event)
{
    // The container was shown just before, and made the native windows.
    if (d->container)
        stackNativeWindows();
    QWidget::showEvent(event);
}

void EarthView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
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
    requestFrame();
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
    requestFrame();
}

void EarthView::wheelEvent(QWheelEvent *event)
{
    d->adoptViewer(*d->store.snapshot());
    d->camera = view::zoomCamera(d->camera, event->angleDelta().y());
    event->accept();
    requestFrame();
}

QWidget *createEarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent,
                         std::shared_ptr<view::EarthImagery> imagery)
{
    // Whether OpenGL 3.3 can be made here the view finds out itself, aside;
    // only a platform without native windows rules it out at once.
    if (platformHasNativeWindows())
        return new EarthView(store, clock, parent, std::move(imagery));
    return unavailablePanel(parent);
}

} // namespace zep
