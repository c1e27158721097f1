#pragma once
// The one vector algebra of the stand-in host, and pi. Doubles everywhere;
// element conversions instantiate it on long double where cancellation costs
// digits.

#include <cmath>
#include <type_traits>

namespace zep::astro {

// Here, below both the orbits and the clock, since both count angles with it.
inline constexpr double kPi = 3.14159265358979323846;

template <class T>
struct Vector3 {
    T x = 0, y = 0, z = 0;
};
using Vec3 = Vector3<double>;

// The scalar never takes part in deduction: `v * 2` stays a Vector3<double>.
template <class T> using Scalar = std::type_identity_t<T>;

template <class T> constexpr Vector3<T> operator+(Vector3<T> a, Vector3<T> b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
template <class T> constexpr Vector3<T> operator-(Vector3<T> a, Vector3<T> b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
template <class T> constexpr Vector3<T> operator*(Vector3<T> a, Scalar<T> s) { return {a.x * s, a.y * s, a.z * s}; }
template <class T> constexpr Vector3<T> operator*(Scalar<T> s, Vector3<T> a) { return {s * a.x, s * a.y, s * a.z}; }
template <class T> constexpr T dot(Vector3<T> a, Vector3<T> b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
template <class T> constexpr Vector3<T> cross(Vector3<T> a, Vector3<T> b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
template <class T> T norm(Vector3<T> a) { return std::sqrt(dot(a, a)); }
template <class T> bool finite(Vector3<T> a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }

// The zero vector, and one without a finite length, stays zero.
inline Vec3 normalized(Vec3 a)
{
    const double n = norm(a);
    return n > 0 && std::isfinite(n) ? a * (1 / n) : Vec3{};
}

// Right-handed rotation about +z.
inline Vec3 rotateZ(Vec3 a, double radians)
{
    const double c = std::cos(radians), s = std::sin(radians);
    return {c * a.x - s * a.y, s * a.x + c * a.y, a.z};
}

// Unit vectors of the perifocal frame in the inertial one: p towards
// periapsis, q 90 degrees ahead in the orbit plane (the first two columns of
// R3(-raan) R1(-i) R3(-argp)).
template <class T>
struct PerifocalBasis {
    Vector3<T> p, q;
};
template <class T>
PerifocalBasis<T> perifocalBasis(T raan, T i, T argp)
{
    const T cO = std::cos(raan), sO = std::sin(raan);
    const T ci = std::cos(i), si = std::sin(i);
    const T cw = std::cos(argp), sw = std::sin(argp);
    return {{cO * cw - sO * sw * ci, sO * cw + cO * sw * ci, sw * si},
            {-cO * sw - sO * cw * ci, -sO * sw + cO * cw * ci, cw * si}};
}

} // namespace zep::astro
