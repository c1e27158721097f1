#pragma once
// The satellite's element set as the toolbar edits it, and the conversion of
// the edited true anomaly into the mean anomaly that the host is sent.

namespace velmora::orbit {

// Single precision on purpose: the host receives exactly these values.
struct OrbitElements {
    float SemimajorAxis = 0, Eccentricity = 0, Inclination = 0, ArgumentOfPerigee = 0,
          RAAN = 0, TrueAnomaly = 0, EccentricAnomaly = 0, MeanAnomaly = 0;
};

// The edited elements as the toolbar's rows, top to bottom; a row's index is
// the same in ElementLabel, ElementScroll and ElementValue.
enum class Row { SemimajorAxis, Eccentricity, Inclination, ArgumentOfPerigee, RAAN, TrueAnomaly };

inline constexpr int kElementRows = 6;

constexpr int rowIndex(Row row) { return int(row); }

// The rows whose edit moves the mean anomaly the host is sent.
constexpr bool hasAnomaly(Row row) { return row == Row::Eccentricity || row == Row::TrueAnomaly; }

// Field of a row. A value outside the enumeration is a caller's bug: it asserts
// in debug builds and otherwise yields a scratch float that no element shares.
float &elementField(OrbitElements &el, Row row);
float elementField(const OrbitElements &el, Row row);

// Scroll positions per element unit of a row: 1, 1000, 10, 10, 10, 10
// (1 for a value outside the enumeration, so that a caller's bug cannot
// divide by zero).
double positionScale(Row row);

// True anomaly to eccentric and mean anomaly. A step that fails (e outside
// (-1, 1], a non-finite intermediate, a result beyond single range) stores
// nothing from that step on.
void UpdateMeanAnomaly(OrbitElements &el, double Pi);

} // namespace velmora::orbit
