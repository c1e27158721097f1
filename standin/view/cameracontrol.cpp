#include "standin/view/cameracontrol.h"

namespace zep::view {

namespace {

Camera placed(const Snapshot &snap)
{
    return clampCamera({snap.viewer.latitudeDeg, snap.viewer.longitudeDeg, snap.viewer.rangeM});
}

} // namespace

Camera CameraControl::at(const Snapshot &snap) const
{
    return snap.viewer.serial != viewerSerial_ ? placed(snap) : camera_;
}

const Camera &CameraControl::follow(const Snapshot &snap)
{
    camera_ = at(snap);
    viewerSerial_ = snap.viewer.serial;
    return camera_;
}

bool CameraControl::drag(const Snapshot &snap, QPoint to)
{
    if (!dragging_)
        return false;
    follow(snap);
    camera_ = dragCamera(camera_, QPointF(to - lastMouse_));
    lastMouse_ = to;
    return true;
}

void CameraControl::zoom(const Snapshot &snap, double wheelDelta)
{
    follow(snap);
    camera_ = zoomCamera(camera_, wheelDelta);
}

void CameraControl::reset(const Snapshot &snap)
{
    camera_ = placed(snap);
    viewerSerial_ = snap.viewer.serial;
}

} // namespace zep::view
