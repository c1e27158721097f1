#include "standin/astro/orbit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace zep::astro {

namespace {

constexpr double kTwoPi = 2.0 * kPi;
constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

// Below these the node line or the periapsis direction is lost in rounding.
constexpr double kCircularTolerance = 1e-10;
constexpr double kEquatorialTolerance = 1e-10;

// Element conversions run in extended precision: near e = 1 the energy and
// the eccentricity vector lose digits to cancellation.
using Real = long double;
constexpr Real kMuL = 3.986004418e14L;

using V = Vector3<Real>;
V fromVec3(const Vec3 &a) { return {a.x, a.y, a.z}; }
Vec3 toVec3(const V &a) { return {double(a.x), double(a.y), double(a.z)}; }

double wrapTwoPi(double angle)
{
    double w = std::fmod(angle, kTwoPi);
    if (w < 0)
        w += kTwoPi;
    // fmod of a tiny negative angle can round back up to exactly 2 pi.
    return w >= kTwoPi ? 0.0 : w;
}

// Angle from direction `from` to direction `to`, counted positive about `axis`.
double angleAbout(V from, V to, V axis)
{
    return wrapTwoPi(double(std::atan2(dot(cross(from, to), axis), dot(from, to))));
}

// Kepler's equation on the principal range: Halley steps kept inside a
// bracket that always holds the root, with bisection when a step leaves it.
// For M in [0, pi] the root lies in [M, M + e] intersected with [0, pi].
double solveKeplerReduced(double m, double e)
{
    const bool negative = m < 0;
    if (negative)
        m = -m;
    double lo = m;
    double hi = std::min(kPi, m + e);
    // Near e = 1 the start M + e sin M sits far from the root at small M.
    // There E - e sin E is close to (1 - e) E + e E^3 / 6, so the smaller of
    // the linear and the cubic solutions (and pi) starts near the root.
    double x = e < 0.8 ? m + e * std::sin(m) : std::min({kPi, m / (1.0 - e), std::cbrt(6.0 * m / e)});
    x = std::clamp(x, lo, hi);
    for (int iter = 0; iter < 100; ++iter) {
        const double s = e * std::sin(x);
        const double c = e * std::cos(x);
        const double f = x - s - m;
        if (f == 0)
            break;
        if (f > 0)
            hi = x;
        else
            lo = x;
        const double f1 = 1.0 - c;
        const double newton = f / f1;
        const double step = f / (f1 - 0.5 * newton * s);
        // A step at rounding level means f is at rounding level: done, before
        // the bracket test mistakes it for a step outside and bisects.
        if (std::abs(step) <= 2 * kEpsilon * std::max(1.0, x)) {
            x -= step;
            break;
        }
        double next = x - step;
        if (!(next > lo && next < hi))
            next = 0.5 * (lo + hi);
        if (next == x || hi - lo <= 4 * kEpsilon * std::max(1.0, hi))
            break;
        x = next;
    }
    return negative ? -x : x;
}

double meanMotion(double a)
{
    return std::sqrt(kMu / a) / a;
}

} // namespace

std::optional<std::string> checkElements(const Elements &el)
{
    const struct {
        double value;
        const char *name;
    } fields[] = {
        {el.a, "semi-major axis"},     {el.e, "eccentricity"},
        {el.i, "inclination"},         {el.raan, "right ascension of the ascending node"},
        {el.argp, "argument of perigee"}, {el.meanAnomaly, "mean anomaly"},
    };
    for (const auto &f : fields) {
        if (!std::isfinite(f.value))
            return std::string("the ") + f.name + " is not a finite number";
    }
    // Short enough for one line over a view; the axis in km, as people type it.
    auto number = [](double v) {
        char text[32];
        std::snprintf(text, sizeof text, "%.10g", v);
        return std::string(text);
    };
    const std::string axis = "semi-major axis " + number(el.a / 1000) + " km";
    if (el.a <= 0)
        return axis + " must be above zero";
    if (el.e < 0)
        return "eccentricity " + number(el.e) + " must not be negative";
    if (el.e >= 1)
        return "eccentricity " + number(el.e) + " must be below 1";
    const double t = period(el.a);
    if (!(t > 0) || !std::isfinite(t) || !std::isfinite(meanMotion(el.a)))
        return axis + " is too small or too large for an orbit period";
    return std::nullopt;
}

double solveKepler(double meanAnomaly, double e)
{
    if (!std::isfinite(meanAnomaly) || !(e >= 0 && e < 1))
        return std::numeric_limits<double>::quiet_NaN();
    // remainder() is exact, so the whole turns are given back unchanged.
    const double reduced = std::remainder(meanAnomaly, kTwoPi);
    const double turns = meanAnomaly - reduced;
    return solveKeplerReduced(reduced, e) + turns;
}

double trueFromEccentric(double eccentricAnomaly, double e)
{
    const double reduced = std::remainder(eccentricAnomaly, kTwoPi);
    const double half = 0.5 * reduced;
    const double nu = 2.0 * std::atan2(std::sqrt(1.0 + e) * std::sin(half),
                                       std::sqrt(1.0 - e) * std::cos(half));
    return nu + (eccentricAnomaly - reduced);
}

double period(double a)
{
    // Written so that a^3 is never formed: it would overflow or underflow first.
    return kTwoPi * a * std::sqrt(a / kMu);
}

Elements propagate(const Elements &el, double dt)
{
    Elements out = el;
    const double n = meanMotion(el.a);
    // Reduce each part before adding so long spans keep their precision.
    out.meanAnomaly = wrapTwoPi(wrapTwoPi(el.meanAnomaly) + wrapTwoPi(n * dt));
    return out;
}

State toState(const Elements &el)
{
    const Real e = el.e;
    const Real a = el.a;
    const Real bigE = solveKepler(el.meanAnomaly, el.e);
    const Real cosE = std::cos(bigE);
    const Real sinE = std::sin(bigE);
    const Real rootOneMinusE2 = std::sqrt((1 - e) * (1 + e));
    const Real r = a * (1 - e * cosE);
    const Real vScale = std::sqrt(kMuL * a) / r;

    // Perifocal frame: x toward periapsis, z along the angular momentum.
    const Real px = a * (cosE - e);
    const Real py = a * rootOneMinusE2 * sinE;
    const Real vx = -vScale * sinE;
    const Real vy = vScale * rootOneMinusE2 * cosE;

    const auto [p, q] = perifocalBasis<Real>(el.raan, el.i, el.argp);
    return {toVec3(px * p + py * q), toVec3(vx * p + vy * q)};
}

Vec3 positionAtEccentric(const Elements &el, double eccentricAnomaly)
{
    const double e = el.e;
    const double half = std::sin(0.5 * eccentricAnomaly);
    // cos E - e written as (1 - e) - 2 sin^2(E/2): no cancellation near perigee.
    const double px = el.a * ((1.0 - e) - 2.0 * half * half);
    const double py = el.a * std::sqrt((1.0 - e) * (1.0 + e)) * std::sin(eccentricAnomaly);
    const auto [p, q] = perifocalBasis(el.raan, el.i, el.argp);
    return px * p + py * q;
}

std::optional<ElementsReport> fromState(const State &state)
{
    if (!finite(state.r) || !finite(state.v))
        return std::nullopt;
    const V rv = fromVec3(state.r);
    const V vv = fromVec3(state.v);
    const Real r = norm(rv);
    const V h = cross(rv, vv);
    const Real hMag = norm(h);
    if (!(r > 0) || !(hMag > 0))
        return std::nullopt;  // at the centre, or falling straight in or out: no orbit plane
    const Real v2 = dot(vv, vv);
    const Real energy = v2 / 2 - kMuL / r;
    if (!(energy < 0))
        return std::nullopt;  // open orbit: these elements describe closed ones only

    const V eVec = (1 / kMuL) * ((v2 - kMuL / r) * rv - dot(rv, vv) * vv);
    const V hHat = (1 / hMag) * h;
    const Real a = -kMuL / (2 * energy);
    Real e = norm(eVec);
    if (!std::isfinite(double(a)) || !(e < 1))
        return std::nullopt;

    ElementsReport rep;
    Elements &el = rep.elements;
    el.a = double(a);
    el.i = double(std::atan2(std::hypot(h.x, h.y), h.z));
    rep.equatorial = std::hypot(hHat.x, hHat.y) < kEquatorialTolerance;
    rep.circular = e < kCircularTolerance;

    // Node direction, or the x axis when the orbit lies in the equator.
    V node{1, 0, 0};
    if (!rep.equatorial) {
        node = V{-h.y, h.x, 0};
        node = (1 / norm(node)) * node;
        el.raan = wrapTwoPi(double(std::atan2(h.x, -h.y)));
    }
    // Periapsis direction, or the node itself when the orbit is circular.
    V periapsis = node;
    if (rep.circular) {
        e = 0;
    } else {
        periapsis = (1 / e) * eVec;
        el.argp = angleAbout(node, periapsis, hHat);
    }
    el.e = double(e);
    const Real nu = angleAbout(periapsis, rv, hHat);
    rep.trueAnomaly = wrapTwoPi(double(nu));

    const Real bigE = 2 * std::atan2(std::sqrt(1 - e) * std::sin(nu / 2), std::sqrt(1 + e) * std::cos(nu / 2));
    el.meanAnomaly = wrapTwoPi(double(bigE - e * std::sin(bigE)));
    return rep;
}

} // namespace zep::astro
