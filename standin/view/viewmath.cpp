#include "standin/view/viewmath.h"

#include "standin/astro/readouts.h"

#include <QRegularExpression>

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

// In [0, 360), and never a value the data display's three decimals would
// print as 360.000.
double wrapDegrees(double rad)
{
    double d = std::fmod(rad / kDeg, 360.0);
    if (d < 0)
        d += 360;
    return d >= 360 - 0.0005 ? 0 : d;
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
    astro::Elements at = el;
    for (int k = 0; k < samples; ++k) {
        const double E = kTwoPi * k / samples;
        at.meanAnomaly = E - el.e * std::sin(E);
        out.push_back(astro::toState(at).r);
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

QString angleLabel(const QString &name, double angleRad)
{
    return QStringLiteral("%1 %2\u00B0").arg(name).arg(angleRad / kDeg, 0, 'f', kAngleLabelDecimals);
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

AidVector aidVectorForPath(const QString &path)
{
    const QString tail = path.section(QLatin1Char('/'), -1).trimmed().toLower();
    QStringList words = tail.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!words.isEmpty() && words.last() == QLatin1String("vector"))
        words.removeLast();
    if (words.isEmpty())
        return AidVector::Unknown;
    const QString name = words.last();
    if (name == QLatin1String("vernalequinox"))
        return AidVector::VernalEquinox;
    if (name == QLatin1String("inertial_z"))
        return AidVector::InertialZ;
    if (name == QLatin1String("lineofnodes"))
        return AidVector::LineOfNodes;
    if (name == QLatin1String("periapsis"))
        return AidVector::Periapsis;
    if (name == QLatin1String("position"))
        return AidVector::Position;
    if (name == QLatin1String("velocity"))
        return AidVector::Velocity;
    if (name == QLatin1String("orbit_angmomentum") || name == QLatin1String("angmomentum"))
        return AidVector::AngularMomentum;
    return AidVector::Unknown;
}

QString displayName(const QString &path)
{
    switch (aidVectorForPath(path)) {
    case AidVector::VernalEquinox: return QStringLiteral("Vernal Equinox");
    case AidVector::InertialZ: return QStringLiteral("Inertial Z");
    case AidVector::LineOfNodes: return QStringLiteral("Line of Nodes");
    case AidVector::Periapsis: return QStringLiteral("Periapsis");
    case AidVector::Position: return QStringLiteral("Position");
    case AidVector::Velocity: return QStringLiteral("Velocity");
    case AidVector::AngularMomentum: return QStringLiteral("Orbit Angular Momentum");
    case AidVector::Unknown: break;
    }
    QStringList words = path.section(QLatin1Char('/'), -1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    static const QStringList kinds{QStringLiteral("vector"), QStringLiteral("angle"), QStringLiteral("axes")};
    if (words.size() >= 2 && kinds.contains(words.last().toLower()))
        words.removeLast();
    if (words.size() >= 2)
        words.removeFirst();  // the owner: "Earth", "Satellite"
    QString name = words.join(QLatin1Char(' '));
    name.replace(QLatin1Char('_'), QLatin1Char(' '));
    // CamelCase to words, then lower-case the small ones.
    static const QRegularExpression camel(QStringLiteral("([a-z])([A-Z])"));
    name.replace(camel, QStringLiteral("\\1 \\2"));
    static const QRegularExpression small(QStringLiteral("\\b(Of|The|And)\\b"));
    QRegularExpressionMatchIterator it = small.globalMatch(name);
    QString out;
    qsizetype last = 0;
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += name.mid(last, m.capturedStart() - last) + m.captured().toLower();
        last = m.capturedEnd();
    }
    out += name.mid(last);
    return out.isEmpty() ? path : out;
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

QStringList classicalElementsLines(const astro::State &s, astro::Instant t, Wording wording)
{
    const bool brief = wording == Wording::Brief;
    auto say = [brief](const char *full, const char *shortName) { return QLatin1StringView(brief ? shortName : full); };
    QStringList lines;
    lines << QStringLiteral("%1%2 UTC").arg(say("Time: ", ""), QString::fromStdString(astro::formatDate(t)));
    const std::optional<astro::ElementsReport> rep = astro::fromState(s);
    if (!rep) {
        lines << say("No elements: the state is not an ellipse", "No elements: not an ellipse");
        return lines;
    }
    const astro::Elements &el = rep->elements;
    const QString degrees = brief ? QStringLiteral("\u00B0") : QStringLiteral(" deg");
    auto deg = [&](double rad) { return QString::number(wrapDegrees(rad), 'f', 3) + degrees; };
    lines << QStringLiteral("%1 %2 km").arg(say("Semi-major Axis:", "a:")).arg(el.a / 1000, 0, 'f', 3);
    lines << QStringLiteral("%1 %2").arg(say("Eccentricity:", "e:")).arg(el.e, 0, 'f', 6);
    lines << QStringLiteral("%1 %2").arg(say("Inclination:", "i:"), deg(el.i));
    lines << QStringLiteral("RAAN: %1%2").arg(deg(el.raan),
                                              rep->equatorial ? say(" (undefined, i = 0)", " (undef.)") : QString());
    lines << QStringLiteral("%1 %2%3").arg(say("Arg of Perigee:", "AoP:"), deg(el.argp),
                                          rep->circular ? say(" (undefined, e = 0)", " (undef.)") : QString());
    QString from;
    if (rep->circular)
        from = rep->equatorial ? say(" (from the x axis)", " (from x)") : say(" (from the node)", " (from node)");
    lines << QStringLiteral("%1 %2%3").arg(say("True Anomaly:", "TA:"), deg(rep->trueAnomaly), from);
    if (const std::optional<astro::OrbitReadouts> now = astro::orbitReadouts(s)) {
        auto value = [](double v) { return QString::number(v, 'f', 3); };
        lines << QStringLiteral("%1 %2 km").arg(say("Perigee Altitude:", "Perigee Alt:"),
                                                value(now->perigeeAltitudeKm));
        lines << QStringLiteral("%1 %2 km").arg(say("Apogee Altitude:", "Apogee Alt:"), value(now->apogeeAltitudeKm));
        lines << QStringLiteral("Period: %1 min").arg(value(now->periodMin));
        lines << QStringLiteral("%1 %2 km").arg(say("Altitude:", "Alt:"), value(now->altitudeKm));
        lines << QStringLiteral("Speed: %1 km/s").arg(value(now->speedKmS));
    }
    return lines;
}

} // namespace zep::view
