#pragma once
// Shared by the view tests: elements in km and degrees, dates, vector comparison.
#include "standin/astro/orbit.h"
#include "standin/astro/time.h"

#include <QString>

#include <cmath>

namespace viewtest {

constexpr double R = zep::astro::kEarthRadius;
constexpr double kDeg = zep::astro::kPi / 180;

inline zep::astro::Elements elements(double aKm, double e, double iDeg, double raanDeg, double argpDeg, double mDeg)
{
    zep::astro::Elements el;
    el.a = aKm * 1000;
    el.e = e;
    el.i = iDeg * kDeg;
    el.raan = raanDeg * kDeg;
    el.argp = argpDeg * kDeg;
    el.meanAnomaly = mDeg * kDeg;
    return el;
}

// A date as the commands write it ("1 Jul 2005 12:00:00.00").
inline zep::astro::Instant at(const char *text)
{
    const auto t = zep::astro::parseDate(text);
    Q_ASSERT(t);
    return *t;
}

inline bool near(zep::astro::Vec3 a, zep::astro::Vec3 b, double tol)
{
    return std::abs(a.x - b.x) <= tol && std::abs(a.y - b.y) <= tol && std::abs(a.z - b.z) <= tol;
}

inline QString str(zep::astro::Vec3 v)
{
    return QStringLiteral("(%1, %2, %3)").arg(v.x, 0, 'g', 12).arg(v.y, 0, 'g', 12).arg(v.z, 0, 'g', 12);
}

} // namespace viewtest
