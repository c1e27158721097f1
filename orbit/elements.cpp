#include "orbit/elements.h"

#include "orbit/numbers.h"

#include <QtGlobal>

#include <cmath>

namespace velmora::orbit {

float &elementField(OrbitElements &el, Row row)
{
    switch (row) {
    case Row::SemimajorAxis: return el.SemimajorAxis;
    case Row::Eccentricity: return el.Eccentricity;
    case Row::Inclination: return el.Inclination;
    case Row::ArgumentOfPerigee: return el.ArgumentOfPerigee;
    case Row::RAAN: return el.RAAN;
    case Row::TrueAnomaly: return el.TrueAnomaly;
    }
    Q_ASSERT_X(false, "elementField", "row outside 0..5");
    thread_local float scratch = 0;
    scratch = 0;
    return scratch;
}

float elementField(const OrbitElements &el, Row row)
{
    return elementField(const_cast<OrbitElements &>(el), row);
}

double positionScale(Row row)
{
    switch (row) {
    case Row::SemimajorAxis: return 1.0;
    case Row::Eccentricity: return 1000.0;
    case Row::Inclination: case Row::ArgumentOfPerigee: case Row::RAAN: case Row::TrueAnomaly: return 10.0;
    }
    Q_ASSERT_X(false, "positionScale", "row outside 0..5");
    return 1.0;
}

void UpdateMeanAnomaly(OrbitElements &el, double Pi)
{
    const double e = el.Eccentricity;
    const double nu = el.TrueAnomaly;

    // e = -1 divides by zero, e > 1 or e < -1 takes the root of a negative.
    const double denominator = 1.0 + e;
    if (denominator == 0.0)
        return;
    const double ratio = (1.0 - e) / denominator;
    if (!(ratio >= 0.0) || !std::isfinite(ratio))
        return;
    const double k = std::sqrt(ratio);

    const double t = std::tan(nu * Pi / 180.0 / 2.0);
    if (!std::isfinite(t))
        return;

    // Principal value: E lies in (-pi, pi), so nu past 180 deg gives a negative E.
    const std::optional<float> E = toSingle(2.0 * std::atan(t * k));
    if (!E)
        return;
    el.EccentricAnomaly = *E;

    if (Pi == 0.0)
        return;
    // The mean anomaly is taken from the stored single-precision E on purpose.
    const double En = *E;
    const std::optional<float> M = toSingle((En - e * std::sin(En)) * 180.0 / Pi);
    if (!M)
        return;
    el.MeanAnomaly = *M;
}

} // namespace velmora::orbit
