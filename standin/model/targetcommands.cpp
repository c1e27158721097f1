// Orbits to match: a lesson makes a satellite a target, whose orbit the 3-D
// view hides, and the student tunes the toolbar until the overlay says
// "Matched".

#include "standin/model/commandtable.h"

#include <algorithm>

namespace zep {

namespace {

// "Target */Satellite/NAME On|Off", "Target * Tolerance A_KM E DEG" or "Target * Reveal".
CommandOutcome target(CommandReader &r)
{
    if (r.satelliteNamed()) {
        const std::optional<bool> on = r.onOff();
        if (!r.end())
            return r.refusal();
        if (r.satellite().target == *on)
            return done();
        r.editSatellite().target = *on;
        // A new target is hidden again, and one taken away ends the reveal.
        r.edit().targetRevealed = false;
        return done();
    }
    const int request = r.oneOf({"Tolerance", "Reveal"});
    if (request == 0) {
        const auto aKm = r.positive("the semi-major axis tolerance %1 must be a positive number of km");
        const auto e = r.positive("the eccentricity tolerance %1 must be a positive number");
        const auto deg = r.positive("the angle tolerance %1 must be a positive number of degrees");
        if (!r.end())
            return r.refusal();
        if (*deg > 180)
            return r.refuse(QStringLiteral("the angle tolerance must be at most 180 degrees"));
        r.edit().targetTolerance = {*aKm, *e, *deg};
        return done();
    }
    if (!r.end())
        return r.refusal();
    const auto &sats = r.state().satellites;
    if (std::none_of(sats.begin(), sats.end(), [](const SatelliteState &s) { return s.target; }))
        return r.refuse(QStringLiteral("no satellite is a target"));
    if (!r.state().targetRevealed)
        r.edit().targetRevealed = true;
    return done();
}

const CommandEntry kCommands[] = {
    {"Target", "Target */Satellite/NAME On|Off\", \"Target * Tolerance A_KM E DEG\" or \"Target * Reveal",
     "Target */Satellite/GEO On", Target::WindowOrSatellite, target},
};

} // namespace

std::span<const CommandEntry> targetCommands()
{
    return kCommands;
}

} // namespace zep
