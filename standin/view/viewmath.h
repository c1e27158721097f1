#pragma once
// The view's geometry as plain functions of plain values, so that it can be
// checked without a display: camera, frames, paths, arcs and the aids.

#include "standin/astro/astro.h"

#include <QMatrix4x4>
#include <QPointF>
#include <QSize>
#include <QString>

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

// Inertial to the frame on show: identity for inertial, the Earth's rotation
// undone for fixed.
Vec3 toDisplay(Vec3 inertial, bool fixedFrame, double gmstRad);

// The whole orbit, sampled evenly in eccentric anomaly so that the sharp turn
// at periapsis of a very eccentric orbit keeps enough points. Closed: the last
// point repeats the first.
std::vector<Vec3> inertialOrbitPath(const astro::Elements &el, int samples);
// The path ahead of the satellite from `from` over `fraction` of a period,
// sampled like the whole orbit. Earth-fixed, it is the path relative to the
// turning Earth; otherwise inertial.
std::vector<Vec3> leadPath(const astro::Elements &el, astro::Instant elementsEpoch, astro::Instant from,
                           double fraction, int samples, bool earthFixed);

// Arc of `radius` from direction a to direction b. With a non-zero `sense`
// the angle is counted right-handed about it, so it may exceed 180 degrees
// (the way RAAN is counted about +z); without, the short way. Returns the
// points and the angle swept; parallel or zero inputs give no points.
// An angle that its label would round to 0.0 or 360.0 degrees is 0 and has no
// points: a RAAN of 0 read back from a propagated state comes out a hair
// either side of zero, and counted about +z the hair below is a full turn.
struct Arc {
    std::vector<Vec3> points;
    double angle = 0;  // radians, in [0, 2 pi)
};
Arc arcBetween(Vec3 a, Vec3 b, Vec3 sense, double radius, int segments = 64);

// Angle labels show one decimal; arcBetween takes half of it as none.
inline constexpr int kAngleLabelDecimals = 1;
inline constexpr double kAngleRoundingDeg = 0.05;
// "RAAN 40.0°"
QString angleLabel(const QString &name, double angleRad);

// Direction of the Sun, inertial, unit (low-precision solar coordinates,
// about 0.01 degree, plenty for lighting).
Vec3 sunDirection(astro::Instant t);

// The six named directions of the geometry aids, from a state. A direction is
// empty when the orbit does not define it; `why` says so in words.
struct AidDirections {
    std::optional<Vec3> vernalEquinox, inertialZ, lineOfNodes, periapsis, position, angularMomentum;
    QString nodesUndefinedWhy, periapsisUndefinedWhy;
};
AidDirections aidDirections(const astro::State &s);

// Which of the aids' vectors a geometry path names ("Satellite/Satellite
// Position Vector" -> Position), by the name before its kind, any case.
enum class AidVector { Unknown, VernalEquinox, InertialZ, LineOfNodes, Periapsis, Position, Velocity, AngularMomentum };
AidVector aidVectorForPath(const QString &path);
// "Satellite/Satellite Argument_of_Perigee Angle" -> "Argument of Perigee".
QString displayName(const QString &path);

// Grid spacing: a round number of kilometres giving a handful of rings.
double gridSpacing(double rangeM);

// The "Classical Orbit Elements" text, recomputed from the state so that the
// reader checks what the host propagates, followed by the readouts (perigee
// and apogee altitude, period, altitude and speed now). One line per entry;
// Brief gives the same lines with short names, for small windows.
enum class Wording { Full, Brief };
QStringList classicalElementsLines(const astro::State &s, astro::Instant t, Wording wording = Wording::Full);

} // namespace zep::view
