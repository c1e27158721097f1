#pragma once
// The geometry aids in the host's 3-D view: six labelled vectors and the
// RAAN, argument-of-perigee and inclination angles between them.

#include "host/hostlink.h"

#include <QString>
#include <QStringList>

namespace velmora::aids {

// Tooltip of rows 3 and 4 while the aids hold them to half a turn.
inline const QString kAnglesLimitedTip = QStringLiteral("Angles Limited to 180 deg for readability.");
// Scroll maxima of rows 3 and 4 with the aids on and off (tenths of a degree).
inline constexpr int kAidsOnAngleMax = 1800;
inline constexpr int kAidsOffAngleMax = 3600;
// The eccentricity box is raised to this when it reads below it, so that the
// line of nodes and the periapsis the aids draw are defined.
inline const QString kEccentricityFloorText = QStringLiteral("0.001");
inline constexpr double kEccentricityFloor = 0.001;

// The thirteen commands of one switch, in order. `verb` is "Add" on the first
// use of the run and "Modify" afterwards; `on` gives the switch word.
QStringList geometryAidCommands(const QString &verb, bool on);

// Hides both frames' axes (sent first when the aids are switched on).
void hideFrameAxes(host::HostLink &link);

void sendGeometryAids(host::HostLink &link, const QString &verb, bool on);

} // namespace velmora::aids
