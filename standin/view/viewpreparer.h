#pragma once
// Making the 3-D view's context, building its programs, uploading the
// Earth's pictures and drawing a first frame cost a software renderer a good
// part of a second each: ViewPreparer does all of it on a thread of its own
// as soon as a view exists, usually while the host is still hidden, and hands
// over a ReadyRenderer for the GUI thread to draw with.

#include "standin/view/earthimagery.h"
#include "standin/view/overlaycanvas.h"
#include "standin/view/renderer.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QSurfaceFormat>

#include <functional>
#include <future>
#include <memory>

class QOffscreenSurface;
class QOpenGLContext;
class QThread;

namespace zep::view {

// A renderer with the context it was built in and an off-screen surface to
// make that context current on while nothing is on screen. GUI thread.
class ReadyRenderer {
public:
    ReadyRenderer(std::unique_ptr<QOpenGLContext> context, std::unique_ptr<QOffscreenSurface> offscreen,
                  std::unique_ptr<Renderer> renderer);
    ~ReadyRenderer();  // lets go of the renderer's resources with the context current
    ReadyRenderer(const ReadyRenderer &) = delete;
    ReadyRenderer &operator=(const ReadyRenderer &) = delete;

    QOpenGLContext &context() { return *context_; }
    const Renderer &renderer() const { return *renderer_; }
    bool makeCurrentOffscreen();
    // A frame drawn off screen by `draw` into a framebuffer of the view's
    // size; null when the context cannot be made current.
    QImage picture(QSize size, qreal dpr, const std::function<void()> &draw);
    // The scene and its overlay into the bound framebuffer of `pixels` device pixels.
    void draw(const Scene &scene, QSize pixels, qreal dpr) { drawScene(*renderer_, overlay_, scene, pixels, dpr); }
    static void drawScene(Renderer &renderer, OverlayCanvas &overlay, const Scene &scene, QSize pixels, qreal dpr);

private:
    std::unique_ptr<QOffscreenSurface> offscreen_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<Renderer> renderer_;
    OverlayCanvas overlay_;
};

class ViewPreparer : public QObject {
    Q_OBJECT
public:
    // Without imagery to share, the pictures load on the thread.
    explicit ViewPreparer(std::shared_ptr<EarthImagery> imagery, QObject *parent = nullptr);
    ~ViewPreparer() override;  // waits for a thread started, makes nothing more, lets go of what it made

    // OpenGL 3.3 core with depth and stencil buffers, for the context and the windows it draws into.
    static QSurfaceFormat surfaceFormat();
    // False on "offscreen" and "minimal", which have no native windows to draw into.
    static bool platformHasNativeWindows();
    // Whether this process can make an OpenGL 3.3 core context, asked once.
    static bool openGLAvailable();
    // Asks openGLAvailable() on a pool thread on X11, which loads the driver.
    static void loadDriverAside();

    void start();
    // Whether the thread's work is over; it may not quite have ended.
    bool isFinished() const;
    // Waits for the thread's end and hands over what it made, once: null,
    // with failure() saying why, when it could make no renderer.
    std::unique_ptr<ReadyRenderer> take();
    QString failure() const { return failure_; }

signals:
    // From the preparing thread as its work ends: connect with a receiver on
    // the GUI thread, which may then take() and delete the preparer.
    void finished();

private:
    void prepare(QThread *gui, std::future<QOffscreenSurface *> made);
    void giveOffscreen();

    std::shared_ptr<EarthImagery> imagery_;
    // Made on the GUI thread, as some platforms need, once the thread has
    // loaded the driver: made first, it would wait for that load there.
    std::unique_ptr<QOffscreenSurface> offscreen_;
    std::promise<QOffscreenSurface *> offscreenMade_;
    bool offscreenGiven_ = false;
    std::unique_ptr<QThread> thread_;
    // Written by the thread; read on the GUI thread only after it has ended.
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<Renderer> renderer_;
    QString failure_;
};

} // namespace zep::view
