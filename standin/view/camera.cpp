#include "standin/view/camera.h"

#include <algorithm>
#include <cmath>

namespace zep::view {

namespace {

constexpr double kDeg = astro::kPi / 180;

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

} // namespace zep::view
