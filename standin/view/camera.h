#pragma once
// The 3-D view's camera: where it looks from, how the mouse moves it, and the
// matrices and screen positions that follow, as plain functions of plain
// values so that they can be checked without a display.

#include "standin/astro/orbit.h"

#include <QMatrix4x4>
#include <QPointF>
#include <QSize>

#include <optional>
#include <vector>

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

// Framing an orbit. `earthTurnRad` turns the inertial orbit into the frame on
// show: the Earth's rotation angle when that frame is Earth-fixed, else 0.
// An orbit fits while all of it is on the view and it spans at least
// kFitSmallest of the view's short side; a fitted camera leaves kFitMargin of
// the view's half-size free on every side, so that a fitted orbit fits.
inline constexpr double kFitMargin = 0.15;
inline constexpr double kFitSmallest = 0.25;

// The whole ellipse, apogee included, in display-frame metres; empty for
// elements that make no ellipse.
std::vector<Vec3> orbitOutline(const astro::Elements &el, double earthTurnRad);
// The range from the camera's direction that frames the orbit and the Earth,
// within the camera's limits; nullopt without an ellipse or a size.
std::optional<double> fittingRange(const Camera &c, QSize size, const astro::Elements &el, double earthTurnRad);
bool orbitFits(const Camera &c, QSize size, const astro::Elements &el, double earthTurnRad);
// The same for any path in display-frame metres (the Earth-fixed frame shows
// a path that is no ellipse).
std::optional<double> fittingRange(const Camera &c, QSize size, const std::vector<Vec3> &path);
bool pathFits(const Camera &c, QSize size, const std::vector<Vec3> &path);

// The camera looking from a display-frame direction (need not be unit).
Camera cameraFrom(Vec3 direction, double rangeM);
// Inertial directions to look from at an orbit: along the ascending node, and
// in its plane across the apsides, where the whole length of the ellipse shows
// (for a circle, whose perigee is taken at the node, across the node line).
Vec3 ascendingNodeDirection(const astro::Elements &el);
Vec3 edgeOnDirection(const astro::Elements &el);
// Part way (0..1) from one camera to another: latitude straight, longitude the
// short way round, range evenly in its logarithm so that zooming feels even.
Camera interpolateCamera(const Camera &from, const Camera &to, double fraction);

} // namespace zep::view
