#include "standin/astro/transfer.h"

#include <algorithm>
#include <cmath>

namespace zep::astro {

namespace {

Vec3 planeNormal(const Elements &el)
{
    return {std::sin(el.raan) * std::sin(el.i), -std::cos(el.raan) * std::sin(el.i), std::cos(el.i)};
}

// A burn that changes speed from va to vb and turns the velocity by di.
double burn(double va, double vb, double di)
{
    return std::sqrt(std::max(0.0, va * va + vb * vb - 2 * va * vb * std::cos(di)));
}

} // namespace

double planeAngle(const Elements &a, const Elements &b)
{
    const double c = dot(planeNormal(a), planeNormal(b));
    return std::acos(std::clamp(c, -1.0, 1.0));
}

std::variant<Transfer, std::string> hohmann(const Elements &from, const Elements &to)
{
    for (const Elements *el : {&from, &to}) {
        if (const auto why = checkElements(*el))
            return (el == &from ? "the departure orbit: " : "the arrival orbit: ") + *why;
        if (el->e >= kCircularEnough)
            return std::string(el == &from ? "the departure" : "the arrival")
                + " orbit is not near circular (e must be below 0.01)";
    }
    Transfer t;
    t.r1 = from.a;
    t.r2 = to.a;
    t.planeAngle = planeAngle(from, to);
    const double low = std::min(t.r1, t.r2), high = std::max(t.r1, t.r2);
    const double at = (low + high) / 2;
    const double vLow = std::sqrt(kMu / low), vHigh = std::sqrt(kMu / high);
    const double vPeri = std::sqrt(kMu * (2 / low - 1 / at));
    const double vApo = std::sqrt(kMu * (2 / high - 1 / at));
    const double atLow = std::abs(vPeri - vLow);
    const double atHigh = burn(vApo, vHigh, t.planeAngle);
    const bool raising = t.r2 >= t.r1;
    t.dv1 = raising ? atLow : atHigh;
    t.dv2 = raising ? atHigh : atLow;
    t.total = t.dv1 + t.dv2;
    t.time = kPi * std::sqrt(at * at * at / kMu);

    // The ellipse lies in the lower orbit's plane; the plane turn at the
    // higher radius needs that burn on the line where the planes cross.
    const Elements &lower = raising ? from : to;
    const Elements &upper = raising ? to : from;
    const Vec3 n = planeNormal(lower);
    Vec3 apsis = normalized(cross(n, planeNormal(upper)));  // towards apoapsis
    if (norm(apsis) == 0) {
        // One plane: the burns may be anywhere; the lower orbit's periapsis
        // direction gives them a place that does not wander.
        const PerifocalBasis<double> b = perifocalBasis(lower.raan, lower.i, lower.argp);
        apsis = b.p * -1.0;
    }
    const PerifocalBasis<double> node = perifocalBasis(lower.raan, lower.i, 0.0);
    const Vec3 peri = apsis * -1.0;
    t.ellipse.a = at;
    t.ellipse.e = (high - low) / (high + low);
    t.ellipse.i = lower.i;
    t.ellipse.raan = lower.raan;
    t.ellipse.argp = std::atan2(dot(peri, node.q), dot(peri, node.p));
    if (t.ellipse.argp < 0)
        t.ellipse.argp += 2 * kPi;
    t.ellipse.meanAnomaly = 0;
    const Vec3 lowPoint = peri * low, highPoint = apsis * high;
    t.burn1 = raising ? lowPoint : highPoint;
    t.burn2 = raising ? highPoint : lowPoint;
    return t;
}

} // namespace zep::astro
