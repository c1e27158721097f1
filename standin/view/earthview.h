#pragma once
// The scenario's 3-D window: the Earth, the satellite's orbit and the geometry
// aids, drawn on demand from the store's latest snapshot.

#include "standin/astro/astro.h"
#include "standin/model/clock.h"
#include "standin/model/store.h"
#include "standin/view/earthimagery.h"

#include <QOpenGLWidget>
#include <QPointF>
#include <QStringList>
#include <QSurfaceFormat>

#include <memory>
#include <optional>

namespace zep {

class EarthView : public QOpenGLWidget {
    Q_OBJECT
public:
    // Without imagery of its own to share, the view loads the pictures when it
    // first draws.
    EarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent = nullptr,
              std::shared_ptr<view::EarthImagery> imagery = {});
    ~EarthView() override;   // makes the context current before releasing GL resources

    // Whether this process can make an OpenGL 3.3 core context at all. False on
    // the "offscreen" platform, where QOpenGLWidget cannot work: do not create
    // an EarthView then (createEarthView() below does that check).
    static bool openGLAvailable();
    // Asks openGLAvailable() on a pool thread on X11:
    // loading the driver costs a software renderer a good part of a second,
    // better spent while the host is hidden than when a view is made.
    static void prepareOpenGL();
    // OpenGL 3.3 core with a depth buffer.
    static QSurfaceFormat surfaceFormat();

    // For tests and the camera: where a point of the Earth-inertial frame lands on the widget.
    std::optional<QPointF> project(const astro::Vec3 &inertialMetres) const;
    std::optional<QPointF> satelliteScreenPosition() const;

    // False when the context could not be made or the shaders failed: the view
    // then draws nothing.
    bool rendererReady() const;
    // What the last frame said, in words, about aids that the orbit leaves
    // undefined ("Line of Nodes: undefined (i = 0)").
    QStringList undefinedAidNotes() const;
    // The revision of the snapshot that the last frame showed.
    quint64 drawnRevision() const;

signals:
    // After each frame: the milliseconds that paintGL took on this thread
    // (a software renderer may still be finishing the frame after it).
    void frameDrawn(double milliseconds);

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    bool loadEarthAside();
    void releaseGL();

    struct Private;
    std::unique_ptr<Private> d;
};

// The view when OpenGL can work here, else a plain panel that says why.
QWidget *createEarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent = nullptr,
                         std::shared_ptr<view::EarthImagery> imagery = {});

} // namespace zep
