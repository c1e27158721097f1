#include "standin/view/cameracontrol.h"

#include <cmath>

namespace zep::view {

namespace {

// A press that moves less than this is still a click: a hand's tremor does
// not turn the camera, and a click picks.
constexpr int kClickSlop = 3;

Camera placed(const Snapshot &snap)
{
    return clampCamera({snap.viewer.latitudeDeg, snap.viewer.longitudeDeg, snap.viewer.rangeM});
}

double earthTurn(const Snapshot &snap, astro::Instant t)
{
    return snap.frame == ReferenceFrame::Fixed ? astro::gmst(t) : 0;
}

// What a fitted view must hold of the selected orbit: the ellipse as it lies
// now in the frame on show and, Earth-fixed, the path that the view draws
// relative to the turning Earth (a revolution at most), which strays from it.
std::vector<Vec3> framedPath(const Snapshot &snap, astro::Instant t)
{
    const SatelliteState *sat = snap.selectedSatellite();
    if (!sat || !sat->drawable())
        return {};
    std::vector<Vec3> path = orbitOutline(sat->elements, earthTurn(snap, t));
    if (snap.frame == ReferenceFrame::Fixed) {
        const std::vector<Vec3> ahead = leadPath(sat->elements, sat->elementsEpoch, t, 1.0, 720, true);
        path.insert(path.end(), ahead.begin(), ahead.end());
    }
    return path;
}

bool sameElements(const astro::Elements &a, const astro::Elements &b)
{
    return a.a == b.a && a.e == b.e && a.i == b.i && a.raan == b.raan && a.argp == b.argp
        && a.meanAnomaly == b.meanAnomaly;
}

} // namespace

std::optional<astro::Elements> framedOrbit(const Snapshot &snap)
{
    const SatelliteState *sat = snap.selectedSatellite();
    if (!sat || !sat->drawable())
        return std::nullopt;
    return sat->elements;
}

QString satelliteAt(const Snapshot &snap, const Camera &camera, astro::Instant t, QSize size, QPointF at,
                    double radius)
{
    const Framing f = frameScene(snap, camera, t, size);
    const Vec3 eye = cameraEye(f.camera);
    QString nearest;
    double best = radius;
    for (const SatelliteState &sat : snap.satellites) {
        if (!sat.drawable())
            continue;
        const Vec3 r = f.display(astro::toState(astro::propagate(sat.elements, t.seconds - sat.elementsEpoch.seconds)).r);
        const std::optional<QPointF> p = projectPoint(f.proj, r);
        if (!p || hiddenByEarth(eye, r))
            continue;
        const double d = std::hypot(p->x() - at.x(), p->y() - at.y());
        if (d <= best) {
            best = d;
            nearest = sat.name;
        }
    }
    return nearest;
}

bool CameraControl::Shown::operator==(const Shown &o) const
{
    return satellite == o.satellite && orbit.has_value() == o.orbit.has_value()
        && (!orbit || sameElements(*orbit, *o.orbit)) && epoch == o.epoch;
}

CameraControl::Shown CameraControl::shown(const Snapshot &snap)
{
    Shown s;
    if (const SatelliteState *sat = snap.selectedSatellite()) {
        s.satellite = sat->name;
        if (sat->drawable()) {
            s.orbit = sat->elements;
            s.epoch = sat->elementsEpoch.seconds;
        }
    }
    return s;
}

Camera CameraControl::at(const Snapshot &snap) const
{
    return snap.viewer.serial != viewerSerial_ ? placed(snap) : camera_;
}

const Camera &CameraControl::follow(const Snapshot &snap, QSize size, astro::Instant t)
{
    const Shown now = shown(snap);
    if (snap.viewer.serial != viewerSerial_) {
        // The scenario's camera as it says, whatever the orbit.
        camera_ = placed(snap);
        viewerSerial_ = snap.viewer.serial;
    } else if (autoFit_ && now.orbit && !(now == seen_)) {
        const std::vector<Vec3> path = framedPath(snap, t);
        if (!pathFits(camera_, size, path))
            camera_.rangeM = fittingRange(camera_, size, path).value_or(camera_.rangeM);
    }
    seen_ = now;
    return camera_;
}

bool CameraControl::takesOver(const Snapshot &snap) const
{
    return snap.viewer.serial != viewerSerial_ || !(shown(snap) == seen_);
}

void CameraControl::press(QPoint at)
{
    pressed_ = true;
    dragging_ = false;
    pressedAt_ = lastMouse_ = at;
}

bool CameraControl::release()
{
    const bool click = pressed_ && !dragging_;
    pressed_ = dragging_ = false;
    return click;
}

bool CameraControl::drag(const Snapshot &snap, QPoint to)
{
    if (!pressed_)
        return false;
    if (!dragging_ && (to - pressedAt_).manhattanLength() < kClickSlop)
        return false;
    dragging_ = true;
    camera_ = dragCamera(at(snap), QPointF(to - lastMouse_));
    viewerSerial_ = snap.viewer.serial;
    seen_ = shown(snap);
    lastMouse_ = to;
    autoFit_ = false;
    return true;
}

void CameraControl::zoom(const Snapshot &snap, double wheelDelta)
{
    camera_ = zoomCamera(at(snap), wheelDelta);
    viewerSerial_ = snap.viewer.serial;
    seen_ = shown(snap);
    autoFit_ = false;
}

Camera CameraControl::scenarioView(const Snapshot &snap)
{
    // The camera stays where it is shown, even past a new viewer position,
    // so that a glide starts there.
    viewerSerial_ = snap.viewer.serial;
    seen_ = shown(snap);
    return placed(snap);
}

std::optional<Camera> CameraControl::look(Look look, const Snapshot &snap, QSize size, astro::Instant t) const
{
    const std::optional<astro::Elements> orbit = framedOrbit(snap);
    Camera to = at(snap);
    if (look == Look::NorthPole)
        to.latitudeDeg = 90;  // clamped just short of the pole, where "up" is still defined
    if (!orbit)
        return look == Look::NorthPole ? std::optional(clampCamera(to)) : std::nullopt;
    const double turn = earthTurn(snap, t);
    if (look == Look::EdgeOn)
        to = cameraFrom(toDisplay(edgeOnDirection(*orbit), true, turn), to.rangeM);
    else if (look == Look::AlongNodes)
        to = cameraFrom(toDisplay(ascendingNodeDirection(*orbit), true, turn), to.rangeM);
    to = clampCamera(to);
    to.rangeM = fittingRange(to, size, framedPath(snap, t)).value_or(to.rangeM);
    return to;
}

bool CameraControl::glide(const Snapshot &snap, const Camera &step)
{
    if (takesOver(snap))
        return false;
    camera_ = clampCamera(step);
    return true;
}

} // namespace zep::view
