#include "standin/view/camera.h"

#include "standin/view/orbitgeometry.h"

#include <algorithm>
#include <cmath>

namespace zep::view {

namespace {

constexpr double kDeg = astro::kPi / 180;

// Even in eccentric anomaly and even in number, so that apogee is a sample.
constexpr int kOutlineSamples = 360;

// The tangents of the half fields of view, across and up.
std::pair<double, double> halfFieldTangents(QSize size)
{
    const double up = std::tan(kFieldOfViewDeg * kDeg / 2);
    return {up * size.width() / size.height(), up};
}

} // namespace

Camera clampCamera(Camera c)
{
    const Camera defaults;
    if (!std::isfinite(c.latitudeDeg))
        c.latitudeDeg = defaults.latitudeDeg;
    if (!std::isfinite(c.longitudeDeg))
        c.longitudeDeg = defaults.longitudeDeg;
    if (!std::isfinite(c.rangeM))
        c.rangeM = defaults.rangeM;
    c.latitudeDeg = std::clamp(c.latitudeDeg, -89.5, 89.5);
    c.longitudeDeg = std::remainder(c.longitudeDeg, 360.0);
    c.rangeM = std::clamp(c.rangeM, kMinRange, kMaxRange);
    return c;
}

Vec3 cameraEye(const Camera &c)
{
    const double lat = c.latitudeDeg * kDeg, lon = c.longitudeDeg * kDeg;
    return Vec3{std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)} * c.rangeM;
}

Camera dragCamera(Camera c, QPointF delta)
{
    c.longitudeDeg -= delta.x() * 0.3;
    c.latitudeDeg += delta.y() * 0.3;
    return clampCamera(c);
}

Camera zoomCamera(Camera c, double wheelDelta)
{
    c.rangeM *= std::pow(0.85, wheelDelta / 120.0);
    return clampCamera(c);
}

Projection makeProjection(const Camera &cam, QSize size, double farthestM)
{
    const Camera c = clampCamera(cam);
    Projection p;
    p.size = size;
    const Vec3 eye = cameraEye(c) * (1 / kUnit);
    p.view.lookAt(QVector3D(float(eye.x), float(eye.y), float(eye.z)), QVector3D(0, 0, 0), QVector3D(0, 0, 1));
    const double range = c.rangeM / kUnit;
    const double reach = std::max(farthestM, astro::kEarthRadius) / kUnit;
    const double nearPlane = std::max(range * 0.005, (range - reach) * 0.9);
    const double farPlane = (range + reach) * 1.05;
    const float aspect = size.height() > 0 ? float(size.width()) / float(size.height()) : 1.0f;
    p.projection.perspective(float(kFieldOfViewDeg), aspect, float(nearPlane), float(farPlane));
    return p;
}

std::optional<QPointF> projectPoint(const Projection &p, Vec3 m)
{
    if (p.size.isEmpty() || !finite(m))
        return std::nullopt;
    const QVector4D clip = p.projection * p.view * QVector4D(float(m.x / kUnit), float(m.y / kUnit), float(m.z / kUnit), 1);
    if (clip.w() <= 1e-6f)
        return std::nullopt;
    const double x = clip.x() / clip.w(), y = clip.y() / clip.w();
    return QPointF((x + 1) * 0.5 * p.size.width(), (1 - y) * 0.5 * p.size.height());
}

bool hiddenByEarth(Vec3 eye, Vec3 point)
{
    // Slightly shrunk sphere: points on the surface facing us stay visible.
    const double r = astro::kEarthRadius * 0.999;
    if (norm(point) < r)
        return true;
    const Vec3 d = point - eye;
    const double a = dot(d, d);
    if (a <= 0)
        return false;
    const double b = 2 * dot(eye, d);
    const double c = dot(eye, eye) - r * r;
    const double disc = b * b - 4 * a * c;
    if (disc <= 0)
        return false;
    const double t = (-b - std::sqrt(disc)) / (2 * a);
    return t > 0 && t < 1;
}

std::vector<Vec3> orbitOutline(const astro::Elements &el, double earthTurnRad)
{
    std::vector<Vec3> points = inertialOrbitPath(el, kOutlineSamples);
    for (Vec3 &p : points)
        p = toDisplay(p, true, earthTurnRad);
    return points;
}

std::optional<double> fittingRange(const Camera &c, QSize size, const astro::Elements &el, double earthTurnRad)
{
    return fittingRange(c, size, orbitOutline(el, earthTurnRad));
}

bool orbitFits(const Camera &c, QSize size, const astro::Elements &el, double earthTurnRad)
{
    return pathFits(c, size, orbitOutline(el, earthTurnRad));
}

std::optional<double> fittingRange(const Camera &cam, QSize size, const std::vector<Vec3> &points)
{
    if (points.empty() || size.isEmpty())
        return std::nullopt;
    // In the camera's axes (as lookAt makes them, +z up) a point at depth
    // range - along lands inside the margin when its offset across and up
    // stays within the shrunk field; that bounds the range from below, point
    // by point, without a search.
    const Camera c = clampCamera(cam);
    const Vec3 back = normalized(cameraEye(c));
    const Vec3 right = normalized(cross(back * -1.0, Vec3{0, 0, 1}));
    const Vec3 up = cross(right, back * -1.0);
    const auto [tanAcross, tanUp] = halfFieldTangents(size);
    const double shrink = 1 - kFitMargin;
    // The Earth's outline, a circle about the centre of the view.
    double range = astro::kEarthRadius / std::sin(std::atan(shrink * std::min(tanAcross, tanUp)));
    for (const Vec3 &p : points) {
        const double need = dot(p, back)
            + std::max(std::abs(dot(p, right)) / (shrink * tanAcross), std::abs(dot(p, up)) / (shrink * tanUp));
        range = std::max(range, need);
    }
    return std::clamp(range, kMinRange, kMaxRange);
}

bool pathFits(const Camera &c, QSize size, const std::vector<Vec3> &points)
{
    if (points.empty() || size.isEmpty())
        return true;  // nothing to fit
    double reach = 0;
    for (const Vec3 &p : points)
        reach = std::max(reach, norm(p));
    const Projection proj = makeProjection(c, size, reach);
    double left = size.width(), right = 0, top = size.height(), bottom = 0;
    for (const Vec3 &p : points) {
        const std::optional<QPointF> at = projectPoint(proj, p);
        if (!at || at->x() < 0 || at->y() < 0 || at->x() > size.width() || at->y() > size.height())
            return false;
        left = std::min(left, at->x());
        right = std::max(right, at->x());
        top = std::min(top, at->y());
        bottom = std::max(bottom, at->y());
    }
    const double shortSide = std::min(size.width(), size.height());
    return std::max(right - left, bottom - top) >= kFitSmallest * shortSide;
}

Camera cameraFrom(Vec3 direction, double rangeM)
{
    const double horizontal = std::hypot(direction.x, direction.y);
    Camera c;
    c.latitudeDeg = std::atan2(direction.z, horizontal) / kDeg;
    c.longitudeDeg = horizontal > 0 ? std::atan2(direction.y, direction.x) / kDeg : 0;
    c.rangeM = rangeM;
    return clampCamera(c);
}

Vec3 ascendingNodeDirection(const astro::Elements &el)
{
    return {std::cos(el.raan), std::sin(el.raan), 0};
}

Vec3 edgeOnDirection(const astro::Elements &el)
{
    // The perifocal frame's second axis: 90 degrees past perigee in the plane.
    const double u = el.argp + astro::kPi / 2;
    const double cosO = std::cos(el.raan), sinO = std::sin(el.raan), cosI = std::cos(el.i), sinI = std::sin(el.i);
    return {cosO * std::cos(u) - sinO * std::sin(u) * cosI, sinO * std::cos(u) + cosO * std::sin(u) * cosI,
            std::sin(u) * sinI};
}

Camera interpolateCamera(const Camera &from, const Camera &to, double fraction)
{
    const double f = std::clamp(fraction, 0.0, 1.0);
    Camera c;
    c.latitudeDeg = from.latitudeDeg + (to.latitudeDeg - from.latitudeDeg) * f;
    c.longitudeDeg = from.longitudeDeg + std::remainder(to.longitudeDeg - from.longitudeDeg, 360.0) * f;
    c.rangeM = std::exp(std::log(from.rangeM) + (std::log(to.rangeM) - std::log(from.rangeM)) * f);
    return clampCamera(c);
}

} // namespace zep::view
