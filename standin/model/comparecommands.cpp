// Orbits side by side: kept copies of an orbit, and the transfer between two.

#include "standin/model/commandtable.h"
#include "standin/model/compare.h"

#include <variant>

namespace zep {

QString keepOrbit(Snapshot &s, const SatelliteState &sat)
{
    if (!sat.drawable())
        return QStringLiteral("\"%1\" has no orbit yet").arg(sat.name);
    // A kept copy would show the orbit the student is to find.
    if (sat.target && !s.targetRevealed)
        return QStringLiteral("\"%1\" is a target: its orbit shows once revealed").arg(sat.name);
    s.keptOrbits.push_back({++s.keptSerial, sat.name, sat.color, sat.elements, sat.elementsEpoch});
    if (s.keptOrbits.size() > size_t(kMaxKeptOrbits))
        s.keptOrbits.erase(s.keptOrbits.begin());
    return {};
}

std::variant<TransferPlan, QString> planTransfer(const QString &fromName, const astro::Elements &from,
                                                 const QString &toName, const astro::Elements &to)
{
    const auto cost = astro::hohmann(from, to);
    if (const auto *why = std::get_if<std::string>(&cost))
        return QString::fromStdString(*why);
    return TransferPlan{fromName, toName, std::get<astro::Transfer>(cost)};
}

namespace {

// "Keep */Satellite/NAME" or "Keep * Clear".
CommandOutcome keep(CommandReader &r)
{
    if (!r.satelliteNamed()) {
        r.keyword("Clear");
        if (!r.end())
            return r.refusal();
        if (!r.state().keptOrbits.empty())
            r.edit().keptOrbits.clear();
        return done();
    }
    if (!r.end())
        return r.refusal();
    // A refusal publishes nothing, though the copy was edited.
    const SatelliteState sat = r.satellite();
    if (const QString why = keepOrbit(r.edit(), sat); !why.isEmpty())
        return r.refuse(why);
    return done({QStringLiteral("Kept %1").arg(r.state().keptSerial)});
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
    const auto plan = planTransfer(from.name, from.elements, to.name, to.elements);
    if (const QString *why = std::get_if<QString>(&plan))
        return r.refuse(*why);
    const astro::Transfer t = std::get<TransferPlan>(plan).cost;
    r.edit().transfer = std::get<TransferPlan>(plan);
    const auto number = [](double v) { return QString::number(v, 'f', 3); };
    return done({number(t.dv1), number(t.dv2), number(t.total), number(t.time)});
}

const CommandEntry kCommands[] = {
    {"Keep", "Keep */Satellite/NAME\" or \"Keep * Clear",
     "Keep */Satellite/LEO", Target::WindowOrSatellite, keep},
    {"Transfer", "Transfer */Satellite/FROM */Satellite/TO\" or \"Transfer * Off",
     "Transfer */Satellite/LEO */Satellite/GEO", Target::WindowOrSatellite, transfer},
};

} // namespace

std::span<const CommandEntry> compareCommands()
{
    return kCommands;
}

} // namespace zep
