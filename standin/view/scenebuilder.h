#pragma once
// The scenario's 3-D scene from a snapshot, a time, a camera and a size: the
// Earth, grid, frame axes, orbit, vectors, angles, the satellite and the text
// around them. Pure: no OpenGL, no widgets.

#include "standin/model/snapshot.h"
#include "standin/view/scene.h"
#include "standin/view/camera.h"
#include "standin/view/orbitgeometry.h"

#include <optional>
#include <vector>

namespace zep::view {

// What follows from the inputs before anything is drawn: where the camera
// looks from, the frame on show, the satellite, and the sizes of the aids.
struct Framing {
    astro::Instant t;
    double gmst = 0;
    bool fixed = false;               // Earth-fixed frame on show
    // Inertial states, one per satellite of the snapshot (none without an
    // orbit); sat is the selected one's, which the aids and the overlay follow.
    std::vector<std::optional<astro::State>> states;
    int selected = -1;                // in the snapshot's satellites
    std::optional<astro::State> sat;
    Camera camera;
    Projection proj;
    double axesLength = 0, vectorLength = 0;
    double gridStep = 0;
    int gridRings = 0;

    Vec3 display(Vec3 inertial) const { return toDisplay(inertial, fixed, gmst); }
};
Framing frameScene(const Snapshot &snap, const Camera &camera, astro::Instant t, QSize size);

// With a cache, the orbits' paths come from the previous frames where they
// are the same; without, they are sampled afresh.
Scene buildScene(const Snapshot &snap, const Framing &f, OrbitPathCache *paths = nullptr);
// The line every view shows while the selected satellite's newest state
// command was refused; empty otherwise.
QString refusalLine(const Snapshot &snap);
inline Scene buildScene(const Snapshot &snap, const Camera &camera, astro::Instant t, QSize size)
{
    return buildScene(snap, frameScene(snap, camera, t, size));
}

} // namespace zep::view
