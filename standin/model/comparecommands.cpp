// Orbits side by side: kept copies of an orbit, and the transfer between two.

#include "standin/model/commandtable.h"

#include <variant>

namespace zep {

namespace {

// "Keep */Satellite/NAME" or "Keep * Clear".
CommandOutcome keep(CommandReader &r)
{
    if (!r.satelliteNamed()) {
        r.keyword("Clear");
        if (!r.end())
            return r.refusal();
        if (r.state().keptOrbits.empty())
            return done();
        r.edit().keptOrbits.clear();
        return done();
    }
    if (!r.end())
        return r.refusal();
    const SatelliteState &sat = r.satellite();
    if (!sat.drawable())
        return r.refuse(QStringLiteral("\"%1\" has no orbit yet").arg(sat.name));
    KeptOrbit kept{r.state().keptSerial + 1, sat.name, sat.color, sat.elements, sat.elementsEpoch};
    Snapshot &s = r.edit();
    s.keptSerial = kept.number;
    s.keptOrbits.push_back(kept);
    if (s.keptOrbits.size() > size_t(kMaxKeptOrbits))
        s.keptOrbits.erase(s.keptOrbits.begin());
    return done({QStringLiteral("Kept %1").arg(kept.number)});
}

// "Transfer */Satellite/FROM */Satellite/TO" or "Transfer * Off". Replies
// dv1, dv2, total (m/s) and the transfer time (s).
CommandOutcome transfer(CommandReader &r)
{
    if (!r.satelliteNamed()) {
        r.keyword("Off");
        if (!r.end())
            return r.refusal();
        if (r.state().transfer)
            r.edit().transfer.reset();
        return done();
    }
    const SatelliteState &from = r.satellite();
    const QString toPath = r.word();
    if (!r.end())
        return r.refusal();
    int toIndex = -1;
    if (const QString why = r.satelliteProblem(toPath, &toIndex); !why.isEmpty())
        return r.refuse(why);
    const SatelliteState &to = r.state().satellites[toIndex];
    for (const SatelliteState *sat : {&from, &to}) {
        if (!sat->drawable())
            return r.refuse(QStringLiteral("\"%1\" has no orbit yet").arg(sat->name));
    }
    const auto cost = astro::hohmann(from.elements, to.elements);
    if (const auto *why = std::get_if<std::string>(&cost))
        return r.refuse(QString::fromStdString(*why));
    const astro::Transfer &t = std::get<astro::Transfer>(cost);
    TransferPlan plan{from.name, to.name, t};
    r.edit().transfer = plan;
    const auto number = [](double v) { return QString::number(v, 'f', 3); };
    return done({number(t.dv1), number(t.dv2), number(t.total), number(t.time)});
}

const CommandEntry kCommands[] = {
    {"Keep", "Keep */Satellite/NAME\" or \"Keep * Clear", Target::WindowOrSatellite, keep},
    {"Transfer", "Transfer */Satellite/FROM */Satellite/TO\" or \"Transfer * Off", Target::WindowOrSatellite, transfer},
};

} // namespace

std::span<const CommandEntry> compareCommands()
{
    return kCommands;
}

} // namespace zep
