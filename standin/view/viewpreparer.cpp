#include "standin/view/viewpreparer.h"

#include "standin/view/samplescene.h"
#include "standin/view/scenebuilder.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QThread>
#include <QThreadPool>

namespace zep::view {

ReadyRenderer::ReadyRenderer(std::unique_ptr<QOpenGLContext> context, std::unique_ptr<QOffscreenSurface> offscreen,
                             std::unique_ptr<Renderer> renderer)
    : offscreen_(std::move(offscreen)), context_(std::move(context)), renderer_(std::move(renderer))
{
}

ReadyRenderer::~ReadyRenderer()
{
    if (makeCurrentOffscreen()) {
        renderer_->release();
        context_->doneCurrent();
    }
}

bool ReadyRenderer::makeCurrentOffscreen() { return context_->makeCurrent(offscreen_.get()); }

QImage ReadyRenderer::picture(QSize size, qreal dpr, const std::function<void()> &draw)
{
    if (!makeCurrentOffscreen())
        return {};
    QImage image;
    {
        QOpenGLFramebufferObject target(size * dpr, QOpenGLFramebufferObject::CombinedDepthStencil);
        target.bind();
        draw();
        image = target.toImage();
        target.release();
    }
    context_->doneCurrent();
    image.setDevicePixelRatio(dpr);
    return image;
}

void ReadyRenderer::drawScene(Renderer &renderer, OverlayCanvas &overlay, const Scene &scene, QSize pixels, qreal dpr)
{
    renderer.draw(scene, pixels, dpr);
    const std::vector<QRect> &rects = overlay.paint(scene, renderer.imageryCredit(), pixels, dpr);
    renderer.drawPicture(overlay.image(), rects);
}

ViewPreparer::ViewPreparer(std::shared_ptr<EarthImagery> imagery, QObject *parent)
    : QObject(parent), imagery_(imagery ? std::move(imagery) : std::make_shared<EarthImagery>())
{
}

ViewPreparer::~ViewPreparer()
{
    take();  // a renderer not taken is let go of with its context current
}

QSurfaceFormat ViewPreparer::surfaceFormat()
{
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setVersion(3, 3);
    f.setProfile(QSurfaceFormat::CoreProfile);
    f.setDepthBufferSize(24);
    f.setStencilBufferSize(8);  // as the off-screen frames' combined buffer
    // No multisampling: with software OpenGL it costs a factor of three in
    // frame time.
    f.setSamples(0);
    return f;
}

bool ViewPreparer::platformHasNativeWindows()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

bool ViewPreparer::openGLAvailable()
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

void ViewPreparer::loadDriverAside()
{
    // Not QOpenGLContext::supportsThreadedOpenGL(): on X11 it answers by
    // making a context on this thread, the very cost to be moved. A GLX
    // context can be made on any thread.
    if (qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb"))
        QThreadPool::globalInstance()->start([] { openGLAvailable(); });
}

void ViewPreparer::start()
{
    QThread *gui = thread();
    thread_.reset(QThread::create([this, gui, made = offscreenMade_.get_future()]() mutable {
        prepare(gui, std::move(made));
    }));
    // Emitted just before the thread's end: a receiver waiting for that end waits for nothing.
    connect(thread_.get(), &QThread::finished, this, &ViewPreparer::finished, Qt::DirectConnection);
    thread_->start();
}

bool ViewPreparer::isFinished() const { return !thread_ || thread_->isFinished(); }

std::unique_ptr<ReadyRenderer> ViewPreparer::take()
{
    if (!thread_)
        return nullptr;
    giveOffscreen();  // the thread may be waiting for it
    thread_->wait();
    if (!renderer_)
        return nullptr;
    return std::make_unique<ReadyRenderer>(std::move(context_), std::move(offscreen_), std::move(renderer_));
}

// On the preparing thread. The first frame compiles what the drawing needs,
// so the warm-up frame draws every kind of thing a view shows.
void ViewPreparer::prepare(QThread *gui, std::future<QOffscreenSurface *> made)
{
    auto context = std::make_unique<QOpenGLContext>();
    context->setFormat(surfaceFormat());
    const bool created = context->create();
    QMetaObject::invokeMethod(this, [this] { giveOffscreen(); }, Qt::QueuedConnection);
    QOffscreenSurface *offscreen = made.get();
    if (!created || !offscreen || !offscreen->isValid() || !context->makeCurrent(offscreen)) {
        failure_ = QStringLiteral("no OpenGL context could be made");
        return;
    }
    auto renderer = std::make_unique<Renderer>();
    if (renderer->initialize(context.get(), *imagery_->pictures())) {
        SampleOptions sample;
        sample.aids = true;
        Snapshot s = sampleScene(sample);
        s.annotations = {true, true, true};
        const QSize size(64, 64);
        QOpenGLFramebufferObject target(size, QOpenGLFramebufferObject::CombinedDepthStencil);
        target.bind();
        const Camera camera = clampCamera({s.viewer.latitudeDeg, s.viewer.longitudeDeg, s.viewer.rangeM});
        OverlayCanvas overlay;
        ReadyRenderer::drawScene(*renderer, overlay, buildScene(s, camera, sampleStart(), size), size, 1);
        target.release();
    } else {
        failure_ = renderer->failure();
        renderer.reset();
    }
    context->functions()->glFinish();
    context->doneCurrent();
    if (!renderer)
        return;
    context->moveToThread(gui);
    context_ = std::move(context);
    renderer_ = std::move(renderer);
}

void ViewPreparer::giveOffscreen()
{
    if (offscreenGiven_)
        return;
    offscreen_ = std::make_unique<QOffscreenSurface>();
    offscreen_->setFormat(surfaceFormat());
    offscreen_->create();
    offscreenGiven_ = true;
    offscreenMade_.set_value(offscreen_.get());
}

} // namespace zep::view
