#include "standin/view/matchbox.h"

#include <algorithm>
#include <cmath>

namespace zep::view {

namespace {

constexpr double kDeg = astro::kPi / 180;

const QColor kWithin(110, 225, 125);
const QColor kOutside(225, 232, 240);  // the boxes' usual text
const QColor kSizes(180, 190, 205);

// Enough decimals to tell a difference at the tolerance from one just past it.
int decimalsFor(double tolerance)
{
    return std::clamp(int(std::ceil(-std::log10(tolerance))) + 2, 0, 6);
}

// "+120.0", "-0.0020"; a difference that rounds to nothing has no sign.
QString signedText(double value, int decimals)
{
    const QString text = QString::number(std::abs(value), 'f', decimals);
    if (text.toDouble() == 0)
        return text;
    return (value < 0 ? QStringLiteral("-") : QStringLiteral("+")) + text;
}

QString nameOf(astro::MatchQuantity q, bool brief)
{
    using Q = astro::MatchQuantity;
    switch (q) {
    case Q::SemiMajorAxis: return QStringLiteral("a");
    case Q::Eccentricity: return QStringLiteral("e");
    case Q::Inclination: return QStringLiteral("i");
    case Q::Raan: return QStringLiteral("RAAN");
    case Q::ArgumentOfPerigee: return brief ? QStringLiteral("argp") : QStringLiteral("Arg of perigee");
    case Q::LongitudeOfPerigee: return brief ? QStringLiteral("lon peri") : QStringLiteral("Long of perigee");
    case Q::TrueAnomaly: return brief ? QStringLiteral("TA") : QStringLiteral("True anomaly");
    case Q::ArgumentOfLatitude: return brief ? QStringLiteral("arg lat") : QStringLiteral("Arg of latitude");
    case Q::TrueLongitude: return brief ? QStringLiteral("true lon") : QStringLiteral("True longitude");
    }
    return {};
}

QString differenceLine(const astro::ElementDifference &d, const astro::MatchTolerance &tol, bool brief)
{
    using Q = astro::MatchQuantity;
    const QString name = nameOf(d.quantity, brief);
    if (!d.defined) {
        const QString why = d.quantity == Q::Raan ? QStringLiteral("equatorial") : QStringLiteral("circular");
        return brief ? name + QStringLiteral(": -") : QStringLiteral("%1: undefined (%2)").arg(name, why);
    }
    QString value;
    if (d.quantity == Q::SemiMajorAxis)
        value = signedText(d.value, decimalsFor(tol.aKm)) + QStringLiteral(" km");
    else if (d.quantity == Q::Eccentricity)
        value = signedText(d.value, decimalsFor(tol.e));
    else
        value = signedText(d.value, decimalsFor(tol.deg)) + QStringLiteral(" deg");
    return QStringLiteral("%1: %2").arg(name, value) + (d.within ? QStringLiteral(" \u2713") : QString());
}

double trueAnomaly(const astro::Elements &el)
{
    return astro::trueFromEccentric(astro::solveKepler(el.meanAnomaly, el.e), el.e);
}

} // namespace

std::optional<TextBox> matchBox(const Snapshot &snap)
{
    const SatelliteState *mine = snap.selectedSatellite();
    const SatelliteState *target = mine ? snap.targetFor(*mine) : nullptr;
    if (!target || !mine->drawable() || !target->drawable())
        return std::nullopt;
    // At the instant of the toolbar's elements, not the animation's: the
    // differences are then what to change in its boxes, and hold still while
    // the time plays.
    const astro::Elements there =
        astro::propagate(target->elements, mine->elementsEpoch.seconds - target->elementsEpoch.seconds);
    const astro::MatchTolerance &tol = snap.targetTolerance;
    const astro::OrbitMatch m = astro::compareOrbits(mine->elements, there, tol);

    TextBox box;
    box.title = QStringLiteral("Match ") + target->name;
    box.titleColor = target->color.isValid() ? target->color : QColor(Qt::white);
    box.briefTitle = box.title;
    for (const astro::ElementDifference &d : m.elements) {
        box.lines << differenceLine(d, tol, false);
        box.briefLines << differenceLine(d, tol, true);
        box.lineColors << (d.within ? kWithin : kOutside);
    }
    box.briefLineColors = box.lineColors;
    const int km = decimalsFor(tol.aKm);
    box.lines << QStringLiteral("Perigee alt: %1 km").arg(signedText(m.perigeeAltitudeKm, km))
              << QStringLiteral("Apogee alt: %1 km").arg(signedText(m.apogeeAltitudeKm, km));
    box.lineColors << kSizes << kSizes;
    if (snap.targetRevealed) {
        const auto deg = [](double rad) { return QString::number(rad / kDeg, 'f', 2); };
        box.lines << QStringLiteral("%1: a %2 km, e %3")
                         .arg(target->name, QString::number(there.a / 1000, 'f', 1), QString::number(there.e, 'f', 4))
                  << QStringLiteral("i %1, RAAN %2 deg").arg(deg(there.i), deg(there.raan))
                  << QStringLiteral("argp %1, TA %2 deg").arg(deg(there.argp), deg(trueAnomaly(there)));
        const QColor c = box.titleColor.lighter(115);
        box.lineColors << c << c << c;
    }
    if (m.matched) {
        box.banner = QStringLiteral("Matched");
        box.bannerColor = kWithin;
    }
    return box;
}

} // namespace zep::view
