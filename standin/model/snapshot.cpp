#include "standin/model/snapshot.h"

#include <algorithm>

namespace zep {

const SatelliteState *Snapshot::findSatellite(const QString &name) const
{
    const auto found = std::find_if(satellites.begin(), satellites.end(), [&](const SatelliteState &sat) {
        return sat.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return found == satellites.end() ? nullptr : &*found;
}

const SatelliteState *Snapshot::selectedSatellite() const
{
    if (const SatelliteState *picked = selected.isEmpty() ? nullptr : findSatellite(selected))
        return picked;
    if (const SatelliteState *toolbars = findSatellite(QStringLiteral("Satellite")))
        return toolbars;
    return satellites.empty() ? nullptr : &satellites.front();
}

const SatelliteState *Snapshot::targetFor(const SatelliteState &sat) const
{
    for (const SatelliteState &other : satellites)
        if (other.target && &other != &sat)
            return &other;
    return nullptr;
}

} // namespace zep
