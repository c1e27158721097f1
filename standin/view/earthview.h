#pragma once
// The scenario's 3-D window: the Earth, the satellite's orbit and the geometry
// aids, drawn on demand from the store's latest snapshot.
//
// The view only joins the parts: a ViewPreparer makes its context, programs
// and textures on a thread of their own as soon as the view exists, usually
// while the host is still hidden; a Presenter takes the frames to the screen
// (a native window of the view's own, or pictures); the view's life moves on
// in one place (viewlife.h).

#include "standin/astro/vec3.h"
#include "standin/model/clock.h"
#include "standin/model/store.h"
#include "standin/view/earthimagery.h"

#include <QImage>
#include <QPointF>
#include <QStringList>
#include <QSurfaceFormat>
#include <QWidget>

#include <memory>
#include <optional>

class QOpenGLContext;

namespace zep::view {
struct Camera;
}

namespace zep {

class EarthView : public QWidget {
    Q_OBJECT
public:
    // Without imagery to share, the view loads the pictures on its preparing thread.
    EarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent = nullptr,
              std::shared_ptr<view::EarthImagery> imagery = {});
    ~EarthView() override;   // waits for the preparation, then releases the GL resources

    // Whether this process can make an OpenGL 3.3 core context at all. False on
    // the "offscreen" platform, which has no native windows to draw into.
    // createEarthView() rules out only such platforms at once: elsewhere the
    // view finds out itself, without keeping the GUI thread waiting.
    static bool openGLAvailable();
    // Asks openGLAvailable() on a pool thread on X11, which loads the driver:
    // that costs a software renderer a good part of a second, better begun
    // while the host is hidden than when the first view is made.
    static void prepareOpenGL();
    // OpenGL 3.3 core with depth and stencil buffers.
    static QSurfaceFormat surfaceFormat();

    // The views the View menu glides to, each framing the selected orbit.
    enum class Look { Orbit, NorthPole, EdgeOn, AlongNodes };
    // Glides there over about 300 ms; false when there is no orbit to look at.
    bool look(Look look);
    // Glides back to where the scenario last placed the viewer.
    void glideToScenarioView();
    // On by default: a new orbit that would not fit the view is framed.
    // Turning or zooming by hand turns it off.
    bool autoFit() const;
    void setAutoFit(bool on);

    // For tests and the camera: where a point of the Earth-inertial frame lands on the widget.
    std::optional<QPointF> project(const astro::Vec3 &inertialMetres) const;
    std::optional<QPointF> satelliteScreenPosition() const;

    // False until the preparation is done, and for good when the context
    // could not be made or the shaders failed: the view then draws nothing.
    bool rendererReady() const;
    // The frame the view shows now, drawn anew off screen (waits for the
    // preparation); null when the view cannot draw.
    QImage grabFramebuffer();
    // The view's own context once prepared, else null; made current on an
    // off-screen surface for tests that ask OpenGL questions.
    QOpenGLContext *context() const;
    void makeCurrent();
    void doneCurrent();
    // What the last frame said, in words, about aids that the orbit leaves
    // undefined ("Line of Nodes: undefined (i = 0)").
    QStringList undefinedAidNotes() const;
    // The revision of the snapshot that the last frame showed.
    quint64 drawnRevision() const;

signals:
    // After each frame on screen: the milliseconds its drawing took on this
    // thread before the swap (a software renderer may still be finishing it).
    void frameDrawn(double milliseconds);
    // After each frame was handed to the window system.
    void frameSwapped();
    // Auto Fit went on or off, by hand or by setAutoFit().
    void autoFitChanged(bool on);
    // The pointer came over the view.
    void pointerEntered();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    bool takePrepared(bool wait);
    void requestFrame();
    void glideTo(const view::Camera &to);

    struct Private;
    std::unique_ptr<Private> d;
};

// The view when OpenGL can work here, else a plain panel that says why.
QWidget *createEarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent = nullptr,
                         std::shared_ptr<view::EarthImagery> imagery = {});

} // namespace zep
