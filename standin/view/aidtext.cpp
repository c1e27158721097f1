#include "standin/view/aidtext.h"

#include "standin/astro/readouts.h"

#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace zep::view {

namespace {

constexpr double kDeg = astro::kPi / 180;

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

QString angleLabel(const QString &name, double angleRad)
{
    return QStringLiteral("%1 %2\u00B0").arg(name).arg(angleRad / kDeg, 0, 'f', kAngleLabelDecimals);
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
