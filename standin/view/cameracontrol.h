#pragma once
// Where the 3-D view looks from: where the scenario last placed the viewer,
// until the user drags or wheels the camera away; a viewer position the
// scenario sets anew takes over again, and a double click goes back to it.
// With Auto Fit on, a new orbit of the selected satellite that would not fit
// the view moves the camera out or in until it does; moving the camera by
// hand turns Auto Fit off, since the user has chosen a view of their own.

#include "standin/model/snapshot.h"
#include "standin/view/scenebuilder.h"

#include <QPoint>
#include <QString>

#include <optional>

namespace zep::view {

// The orbit the views frame and look at: the selected satellite's, when it has one.
std::optional<astro::Elements> framedOrbit(const Snapshot &snap);
// The satellite whose marker is nearest `at` on a view of `size`, within
// `radius` pixels and not behind the Earth; empty if none.
QString satelliteAt(const Snapshot &snap, const Camera &camera, astro::Instant t, QSize size, QPointF at,
                    double radius = 12);

class CameraControl {
public:
    // The views the View menu offers: the orbit framed from where the camera
    // is, from over the North Pole, edge-on and along the line of nodes.
    enum class Look { Orbit, NorthPole, EdgeOn, AlongNodes };

    // The camera for `snap`, without taking its viewer.
    Camera at(const Snapshot &snap) const;
    // The camera for `snap` on a view of `size` at `t`: its viewer taken as
    // it is if it is new; else, with Auto Fit on, a new orbit (new elements
    // of the selected satellite, or another satellite selected) that does
    // not fit is framed.
    const Camera &follow(const Snapshot &snap, QSize size, astro::Instant t);

    // A press and release of the left button: a drag once the pointer has
    // moved a few pixels, else a click, for which release() is true.
    void press(QPoint at);
    bool release();
    // True when it moved the camera.
    bool drag(const Snapshot &snap, QPoint to);
    void zoom(const Snapshot &snap, double wheelDelta);

    // The camera as last shown, moved or followed.
    const Camera &camera() const { return camera_; }
    // Where the scenario placed the viewer, taken as seen: the camera stays
    // put until a glide there moves it.
    Camera scenarioView(const Snapshot &snap);
    // Where a look puts the camera; nullopt when there is no orbit to look at.
    std::optional<Camera> look(Look look, const Snapshot &snap, QSize size, astro::Instant t) const;
    // One step of a glide to another view; false, moving nothing, once a new
    // viewer position or a new orbit has come, which then have their way.
    bool glide(const Snapshot &snap, const Camera &step);

    bool autoFit() const { return autoFit_; }
    void setAutoFit(bool on) { autoFit_ = on; }

private:
    // What makes a state change: the selected satellite and its orbit.
    struct Shown {
        QString satellite;
        std::optional<astro::Elements> orbit;
        double epoch = 0;
        bool operator==(const Shown &o) const;
    };
    static Shown shown(const Snapshot &snap);
    bool takesOver(const Snapshot &snap) const;

    Camera camera_;
    quint64 viewerSerial_ = ~quint64(0);  // none taken yet: the first snapshot places the camera
    Shown seen_;
    bool autoFit_ = true;
    QPoint pressedAt_, lastMouse_;
    bool pressed_ = false;
    bool dragging_ = false;
};

} // namespace zep::view
