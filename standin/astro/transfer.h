#pragma once
// Two-impulse transfers between near-circular orbits (Hohmann), with the
// turn between the two orbit planes taken out where it is cheapest: in the
// burn at the larger radius, where the speed is lowest.

#include "standin/astro/orbit.h"

#include <optional>
#include <string>
#include <variant>

namespace zep::astro {

// Orbits at or above this eccentricity have no single radius to leave from.
inline constexpr double kCircularEnough = 0.01;

struct Transfer {
    double r1 = 0, r2 = 0;    // m, the departure and arrival orbits' radii
    double planeAngle = 0;    // rad, between the two orbit planes
    double dv1 = 0, dv2 = 0;  // m/s, the burns' magnitudes
    double total = 0;         // m/s
    double time = 0;          // s, half the transfer ellipse
    // The transfer ellipse, periapsis at the lower radius, in the plane of
    // the lower orbit: drawn from true anomaly 0 to pi.
    Elements ellipse;
    Vec3 burn1, burn2;        // m, inertial, where the burns are made
};

// Angle between the normals of two orbit planes.
double planeAngle(const Elements &a, const Elements &b);

// The cost of a transfer from `from` to `to`, or why there is none.
std::variant<Transfer, std::string> hohmann(const Elements &from, const Elements &to);

} // namespace zep::astro
