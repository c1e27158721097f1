#pragma once
// Where the 3-D view looks from: where the scenario last placed the viewer,
// until the user drags or wheels the camera away; a viewer position the
// scenario sets anew takes over again, and a double click goes back to it.

#include "standin/model/snapshot.h"
#include "standin/view/scenebuilder.h"

#include <QPoint>

namespace zep::view {

class CameraControl {
public:
    // The camera for `snap`, without taking its viewer.
    Camera at(const Snapshot &snap) const;
    // The camera for `snap`, its viewer taken if it is new.
    const Camera &follow(const Snapshot &snap);

    // A drag with the left button, from press() to release(); drag() is
    // true when it moved the camera.
    void press(QPoint at)
    {
        dragging_ = true;
        lastMouse_ = at;
    }
    void release() { dragging_ = false; }
    bool drag(const Snapshot &snap, QPoint to);
    void zoom(const Snapshot &snap, double wheelDelta);
    void reset(const Snapshot &snap);

private:
    Camera camera_;
    quint64 viewerSerial_ = ~quint64(0);  // none taken yet: the first snapshot places the camera
    QPoint lastMouse_;
    bool dragging_ = false;
};

} // namespace zep::view
