#include "standin/view/orbitgeometry.h"

#include "standin/view/aidtext.h"
#include "standin/view/camera.h"

#include <algorithm>
#include <cmath>

namespace zep::view {

namespace {

constexpr double kTwoPi = 2 * astro::kPi;
constexpr double kDeg = astro::kPi / 180;

// Rodrigues' rotation of v about the unit axis k.
Vec3 rotateAbout(Vec3 v, Vec3 k, double angle)
{
    const double c = std::cos(angle), s = std::sin(angle);
    return v * c + cross(k, v) * s + k * (dot(k, v) * (1 - c));
}

Vec3 anyPerpendicular(Vec3 u)
{
    const Vec3 trial = std::abs(u.x) < 0.9 ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    return normalized(cross(u, trial));
}

} // namespace

Vec3 toDisplay(Vec3 inertial, bool fixedFrame, double gmstRad)
{
    return fixedFrame ? rotateZ(inertial, -gmstRad) : inertial;
}

std::vector<Vec3> inertialOrbitPath(const astro::Elements &el, int samples)
{
    std::vector<Vec3> out;
    if (samples < 3 || astro::checkElements(el))
        return out;
    out.reserve(samples + 1);
    // Straight from the eccentric anomaly: no Kepler equation to solve, and
    // the plane's basis once, not per point.
    const auto [p, q] = astro::perifocalBasis(el.raan, el.i, el.argp);
    const double b = el.a * std::sqrt((1 - el.e) * (1 + el.e));
    for (int k = 0; k < samples; ++k) {
        const double E = kTwoPi * k / samples;
        const double half = std::sin(E / 2);
        // As astro::positionAtEccentric(): cos E - e without cancellation near periapsis.
        out.push_back((el.a * ((1 - el.e) - 2 * half * half)) * p + (b * std::sin(E)) * q);
    }
    out.push_back(out.front());
    return out;
}

std::vector<Vec3> leadPath(const astro::Elements &el, astro::Instant epoch, astro::Instant from, double fraction,
                           int samples, bool earthFixed)
{
    std::vector<Vec3> out;
    if (samples < 2 || !(fraction > 0) || astro::checkElements(el))
        return out;
    const double T = astro::period(el.a);
    if (!std::isfinite(T) || T <= 0)
        return out;
    fraction = std::min(fraction, 1.0);
    const double n = kTwoPi / T;
    astro::Elements at = astro::propagate(el, from.seconds - epoch.seconds);
    const double E0 = astro::solveKepler(at.meanAnomaly, el.e);
    const double M0 = E0 - el.e * std::sin(E0);
    const double span = fraction * T;
    auto point = [&](double M, double dt) {
        at.meanAnomaly = M;
        const Vec3 r = astro::toState(at).r;
        return earthFixed ? rotateZ(r, -astro::gmst(astro::Instant{from.seconds + dt})) : r;
    };
    out.reserve(samples + 2);
    for (int k = 0; k <= samples; ++k) {
        const double E = E0 + kTwoPi * k / samples;
        const double M = E - el.e * std::sin(E);
        const double dt = (M - M0) / n;
        if (dt >= span) {
            out.push_back(point(M0 + n * span, span));
            break;
        }
        out.push_back(point(M, dt));
    }
    return out;
}

void OrbitPathCache::beginFrame()
{
    for (auto it = paths_.begin(); it != paths_.end();) {
        if (!it->second.used) {
            it = paths_.erase(it);
        } else {
            it->second.used = false;
            ++it;
        }
    }
}

template <typename Make>
const std::vector<Vec3> &OrbitPathCache::find(const Key &key, Make &&make)
{
    // Not a number would break the map's order; such elements have no path anyway.
    static const std::vector<Vec3> none;
    if (!std::all_of(key.begin(), key.end(), [](double v) { return std::isfinite(v); }))
        return none;
    const auto [it, made] = paths_.try_emplace(key);
    if (made)
        it->second.path = make();
    it->second.used = true;
    return it->second.path;
}

const std::vector<Vec3> &OrbitPathCache::wholeOrbit(const astro::Elements &el, int samples)
{
    // The mean anomaly only says where the satellite is on it.
    return find({0, double(samples), el.a, el.e, el.i, el.raan, el.argp, 0, 0, 0, 0},
                [&] { return inertialOrbitPath(el, samples); });
}

const std::vector<Vec3> &OrbitPathCache::lead(const astro::Elements &el, astro::Instant elementsEpoch,
                                              astro::Instant from, double fraction, int samples, bool earthFixed)
{
    return find({earthFixed ? 2.0 : 1.0, double(samples), el.a, el.e, el.i, el.raan, el.argp, el.meanAnomaly,
                 elementsEpoch.seconds, from.seconds, fraction},
                [&] { return leadPath(el, elementsEpoch, from, fraction, samples, earthFixed); });
}

Arc arcBetween(Vec3 a, Vec3 b, Vec3 sense, double radius, int segments)
{
    Arc arc;
    Vec3 ua = normalized(a), ub = normalized(b);
    if (norm(ua) == 0 || norm(ub) == 0 || !(radius > 0))
        return arc;
    Vec3 axis;
    const Vec3 n = normalized(sense);
    bool counted = false;
    if (norm(n) > 0) {
        const Vec3 pa = normalized(ua - n * dot(ua, n));
        const Vec3 pb = normalized(ub - n * dot(ub, n));
        if (norm(pa) > 0 && norm(pb) > 0) {
            ua = pa;
            ub = pb;
            axis = n;
            arc.angle = std::atan2(dot(cross(ua, ub), n), dot(ua, ub));
            if (arc.angle < 0)
                arc.angle += kTwoPi;
            counted = true;
        }
    }
    if (!counted) {
        arc.angle = std::acos(std::clamp(dot(ua, ub), -1.0, 1.0));
        axis = normalized(cross(ua, ub));
        if (norm(axis) == 0)
            axis = anyPerpendicular(ua);
    }
    const double degrees = arc.angle / kDeg;
    if (degrees < kAngleRoundingDeg || degrees >= 360 - kAngleRoundingDeg) {
        arc.angle = 0;
        return arc;
    }
    const int steps = std::max(2, int(std::ceil(segments * arc.angle / kTwoPi)));
    arc.points.reserve(steps + 1);
    for (int k = 0; k <= steps; ++k)
        arc.points.push_back(rotateAbout(ua, axis, arc.angle * k / steps) * radius);
    return arc;
}

Vec3 sunDirection(astro::Instant t)
{
    const double n = t.seconds / 86400.0 - 0.5;  // days from J2000.0
    const double L = (280.460 + 0.9856474 * n) * kDeg;
    const double g = (357.528 + 0.9856003 * n) * kDeg;
    const double lambda = L + (1.915 * std::sin(g) + 0.020 * std::sin(2 * g)) * kDeg;
    const double eps = (23.439 - 0.0000004 * n) * kDeg;
    return normalized(Vec3{std::cos(lambda), std::cos(eps) * std::sin(lambda), std::sin(eps) * std::sin(lambda)});
}

AidDirections aidDirections(const astro::State &s)
{
    AidDirections d;
    d.vernalEquinox = Vec3{1, 0, 0};
    d.inertialZ = Vec3{0, 0, 1};
    if (!finite(s.r) || !finite(s.v) || norm(s.r) == 0) {
        d.nodesUndefinedWhy = d.periapsisUndefinedWhy = QStringLiteral("no orbit");
        return d;
    }
    d.position = s.r;
    const Vec3 h = cross(s.r, s.v);
    const double hn = norm(h);
    if (hn == 0) {
        d.nodesUndefinedWhy = d.periapsisUndefinedWhy = QStringLiteral("no orbit plane");
        return d;
    }
    d.angularMomentum = h * (1 / hn);
    // The node line is the equator's intersection with the orbit plane: none
    // when they coincide.
    const Vec3 node{-h.y, h.x, 0};
    if (norm(node) > 1e-9 * hn)
        d.lineOfNodes = normalized(node);
    else
        d.nodesUndefinedWhy = h.z > 0 ? QStringLiteral("i = 0") : QStringLiteral("i = 180");
    const double r = norm(s.r);
    const double v2 = dot(s.v, s.v);
    const Vec3 e = (s.r * (v2 - astro::kMu / r) - s.v * dot(s.r, s.v)) * (1 / astro::kMu);
    if (norm(e) > 1e-8)
        d.periapsis = normalized(e);
    else
        d.periapsisUndefinedWhy = QStringLiteral("e = 0");
    return d;
}

double gridSpacing(double rangeM)
{
    const double raw = std::max(rangeM, kMinRange) / 12;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * decade >= raw)
            return std::max(m * decade, 1e6);
    return std::max(10 * decade, 1e6);
}

} // namespace zep::view
