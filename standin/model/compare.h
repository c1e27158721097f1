#pragma once
// Kept orbits and transfers as edits of a snapshot, shared by the commands
// (Keep, Transfer) and the host's own menu, so both decide the same way.

#include "standin/model/snapshot.h"

#include <QString>

#include <variant>

namespace zep {

// Keeps a copy of the satellite's orbit; empty, or why not (s untouched).
QString keepOrbit(Snapshot &s, const SatelliteState &sat);
// The transfer between two orbits named as given, or why there is none.
std::variant<TransferPlan, QString> planTransfer(const QString &fromName, const astro::Elements &from,
                                                 const QString &toName, const astro::Elements &to);

} // namespace zep
