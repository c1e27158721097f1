#include "standin/astro/groundtrack.h"

#include <algorithm>
#include <cmath>

namespace zep::astro {

namespace {

constexpr double kDegPerRad = 180.0 / kPi;
constexpr double kEarthRate = 7.2921158553e-5;  // rad/s, one turn per sidereal day
constexpr double kSampleAngle = kPi / 180.0;     // orbit angle plus Earth turn per sample

} // namespace

State stateAt(const Elements &el, Instant epoch, Instant t)
{
    return toState(propagate(el, t.seconds - epoch.seconds));
}

GeoPoint subSatellitePoint(const Vec3 &inertial, Instant t)
{
    const Vec3 f = inertialToFixed(inertial, t);
    double lon = std::atan2(f.y, f.x) * kDegPerRad;
    if (lon >= 180.0)
        lon -= 360.0;  // atan2 gives (-180, 180]: the date line belongs to the west edge
    return {std::atan2(f.z, std::hypot(f.x, f.y)) * kDegPerRad, lon};
}

TimeSpan groundTrackSpan(const Elements &el, Instant now)
{
    if (checkElements(el) || !std::isfinite(now.seconds))
        return {now, now};
    const double half = std::min(period(el.a), kMaxTrackHalfSpan);
    return {Instant{now.seconds - half}, Instant{now.seconds + half}};
}

std::vector<GeoPolyline> groundTrack(const Elements &el, Instant epoch, Instant t0, Instant t1)
{
    const std::vector<TrackSample> samples = trackSamples(el, epoch, t0, t1);
    std::vector<GeoPoint> points;
    points.reserve(samples.size());
    for (const TrackSample &s : samples)
        points.push_back(s.at);
    return splitAtDateLine(points);
}

std::vector<TrackSample> trackSamples(const Elements &el, Instant epoch, Instant t0, Instant t1)
{
    if (checkElements(el) || !std::isfinite(epoch.seconds) || !std::isfinite(t0.seconds)
        || !std::isfinite(t1.seconds) || !(t1.seconds > t0.seconds))
        return {};
    const double span = t1.seconds - t0.seconds;
    const double revolution = period(el.a);
    const double h = std::sqrt(kMu * el.a * (1.0 - el.e) * (1.0 + el.e));  // r^2 dnu/dt

    // The whole span sweeps at most 2 pi per started revolution plus the
    // Earth's turn; widen the angle per sample when that would pass the cap.
    const double sweep = 2.0 * kPi * (span / revolution + 1.0) + kEarthRate * span;
    const double angle = std::max(kSampleAngle, sweep / (kMaxTrackPoints - 2));
    // A floor on the step makes the cap hold whatever the sum of steps does.
    const double minStep = span / (kMaxTrackPoints - 1);

    std::vector<TrackSample> points;
    points.reserve(std::size_t(std::min(sweep / angle + 2.0, double(kMaxTrackPoints))));
    double t = t0.seconds;
    for (;;) {
        const State s = stateAt(el, epoch, Instant{t});
        points.push_back({t, subSatellitePoint(s.r, Instant{t})});
        if (t >= t1.seconds)
            break;
        const double r = std::hypot(s.r.x, s.r.y, s.r.z);
        const double rate = h / (r * r) + kEarthRate;
        const double step = std::max(angle / rate, minStep);
        // Steps below t's resolution (a tiny span late in time) or rounding
        // past the cap go straight to the end rather than on for ever.
        const double next = points.size() + 1 >= std::size_t(kMaxTrackPoints) ? t1.seconds : std::min(t + step, t1.seconds);
        t = next > t ? next : t1.seconds;
    }
    return points;
}

std::vector<GeoPolyline> splitAtDateLine(const std::vector<GeoPoint> &points)
{
    std::vector<GeoPolyline> lines;
    if (points.empty())
        return lines;
    lines.emplace_back();
    const auto append = [&lines](GeoPoint p) {
        GeoPolyline &line = lines.back();
        if (line.empty() || line.back().latitudeDeg != p.latitudeDeg || line.back().longitudeDeg != p.longitudeDeg)
            line.push_back(p);
    };
    append(points.front());
    for (std::size_t k = 1; k < points.size(); ++k) {
        const GeoPoint p = points[k - 1];
        const GeoPoint q = points[k];
        const double jump = q.longitudeDeg - p.longitudeDeg;
        if (std::abs(jump) > 180.0) {
            // q as seen from p without the wrap: past +180 going east, past -180 going west.
            const double edge = jump < 0 ? 180.0 : -180.0;
            const double unwrapped = q.longitudeDeg + (jump < 0 ? 360.0 : -360.0);
            const double f = (edge - p.longitudeDeg) / (unwrapped - p.longitudeDeg);
            const double lat = p.latitudeDeg + f * (q.latitudeDeg - p.latitudeDeg);
            append({lat, edge});
            lines.emplace_back();
            append({lat, -edge});
        }
        append(q);
    }
    // A track that starts or ends exactly on the date line leaves a lone
    // point on one edge: nothing to draw.
    std::erase_if(lines, [](const GeoPolyline &line) { return line.size() < 2; });
    return lines;
}

} // namespace zep::astro
