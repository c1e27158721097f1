#pragma once
// The words the 3-D view shows beside its aids: which vector a geometry path
// names, the aids' display names, angle labels and the "Classical Orbit
// Elements" text.

#include "standin/astro/orbit.h"
#include "standin/astro/time.h"

#include <QString>
#include <QStringList>

namespace zep::view {

// Angle labels show one decimal; arcBetween takes half of it as none.
inline constexpr int kAngleLabelDecimals = 1;
inline constexpr double kAngleRoundingDeg = 0.05;
// "RAAN 40.0°"
QString angleLabel(const QString &name, double angleRad);

// Which of the aids' vectors a geometry path names ("Satellite/Satellite
// Position Vector" -> Position), by the name before its kind, any case.
enum class AidVector { Unknown, VernalEquinox, InertialZ, LineOfNodes, Periapsis, Position, Velocity, AngularMomentum };
AidVector aidVectorForPath(const QString &path);
// "Satellite/Satellite Argument_of_Perigee Angle" -> "Argument of Perigee".
QString displayName(const QString &path);

// The "Classical Orbit Elements" text, recomputed from the state so that the
// reader checks what the host propagates, followed by the readouts (perigee
// and apogee altitude, period, altitude and speed now). One line per entry;
// Brief gives the same lines with short names, for small windows.
enum class Wording { Full, Brief };
QStringList classicalElementsLines(const astro::State &s, astro::Instant t, Wording wording = Wording::Full);

} // namespace zep::view
