#pragma once
// Time for the stand-in host: UTC instants, the date text the commands use,
// sidereal time and the Earth's turning that follows from it. Pure functions
// on plain values, no Qt.

#include "standin/astro/vec3.h"

#include <optional>
#include <string>
#include <string_view>

namespace zep::astro {

// UTC instant as seconds since 2000-01-01 00:00:00 UTC (no leap seconds).
struct Instant {
    double seconds = 0;
};

// "1 Jul 2005 12:00:00.00": day, English month abbreviation (any case),
// four-digit year, hh:mm:ss with optional fraction.
std::optional<Instant> parseDate(std::string_view text);
// Always "D Mon YYYY hh:mm:ss.ss", rounded to the hundredth (never "60.00");
// clamped to years 0000..9999; empty only for NaN.
std::string formatDate(Instant t);

// Greenwich mean sidereal time, radians in [0, 2 pi), IAU 1982 expression.
double gmst(Instant t);
// Earth-inertial to Earth-fixed: rotation about z by -gmst. Here rather than
// with the orbits: the Earth's angle is a function of the instant alone.
Vec3 inertialToFixed(const Vec3 &r, Instant t);

} // namespace zep::astro
