#pragma once
// What the host is told about the element set: the two-body state command, the
// satellite colour rule and the period caption. Sending it is the link's matter
// (host/orbitupdate.h).

#include "orbit/elements.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace velmora::orbit {

inline const QString kScenarioPath = QStringLiteral("Scenario/Velmora");
inline const QString kSatellitePath = QStringLiteral("Scenario/Velmora/Satellite/Satellite");

// The three colour names, exactly as sent and kept in SatelliteColor.
inline const QString kColorRed = QStringLiteral("Red");
inline const QString kColorYellow = QStringLiteral("Yellow");
inline const QString kColorWhite = QStringLiteral("White");

// Single-precision Earth radius in km (6378.13720703125) and the geostationary axis.
inline constexpr float kEarthRadiusKm = 6378.137f;
inline constexpr float kGeostationaryKm = 42164.0f;

// The state command from the host's replies (a null reply leaves its place empty).
QString stateCommand(const QString &timePeriodReply, const QString &epochReply,
                     const OrbitElements &el);

// The colour the rule wants now, or nothing when no colour command is due or
// the perigee cannot be computed in single precision.
std::optional<QString> satelliteColorChange(const OrbitElements &el, const QString &SatelliteColor);

// "88.57 min", ".00 min" from the semi-major-axis box text in km, read as
// readDouble reads; "." whatever the locale, like every other number shown.
// Nothing when the text is not a number or the period is not finite.
std::optional<QString> orbitPeriodCaption(QStringView semimajorAxisText);

} // namespace velmora::orbit
