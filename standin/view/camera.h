#pragma once
// The 3-D view's camera: where it looks from, how the mouse moves it, and the
// matrices and screen positions that follow, as plain functions of plain
// values so that they can be checked without a display.

#include "standin/astro/orbit.h"

#include <QMatrix4x4>
#include <QPointF>
#include <QSize>

#include <optional>

namespace zep::view {

using astro::Vec3;  // the view computes in doubles and converts to float only at the GPU

// The camera always looks at the Earth's centre from latitude/longitude/range
// measured in the frame on show, +z up.
struct Camera {
    double latitudeDeg = 30;
    double longitudeDeg = 0;
    double rangeM = 1e8;
};

inline constexpr double kFieldOfViewDeg = 50;
inline constexpr double kMinRange = 1.2 * astro::kEarthRadius;
inline constexpr double kMaxRange = 2e9;

// A camera with its latitude kept off the poles (so "up" stays defined) and
// its range kept outside the Earth; non-finite input falls back to defaults.
Camera clampCamera(Camera c);
Vec3 cameraEye(const Camera &c);
// Drag by a pixel offset: right drags turn the globe eastwards under the
// camera, up drags lift the camera.
Camera dragCamera(Camera c, QPointF deltaPixels);
// One wheel notch (120 units in Qt's angleDelta) zooms by 15%.
Camera zoomCamera(Camera c, double wheelDelta);

// World units on the GPU are Earth radii: floats keep their precision there.
inline constexpr double kUnit = astro::kEarthRadius;

// The matrices the view draws with, for a drawable of the given size.
struct Projection {
    QMatrix4x4 view;        // display frame (Earth radii) -> eye
    QMatrix4x4 projection;  // eye -> clip
    QSize size;
};
Projection makeProjection(const Camera &c, QSize size, double farthestM);
// Widget position of a display-frame point in metres; nullopt behind the
// camera or when the size is empty.
std::optional<QPointF> projectPoint(const Projection &p, Vec3 displayMetres);
// Whether the Earth's sphere hides the point from the eye.
bool hiddenByEarth(Vec3 eyeM, Vec3 pointM);

} // namespace zep::view
