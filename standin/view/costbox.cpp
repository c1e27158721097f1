#include "standin/view/costbox.h"

#include <cmath>

namespace zep::view {

std::optional<TextBox> transferBox(const Snapshot &snap)
{
    if (!snap.transfer)
        return std::nullopt;
    const astro::Transfer &t = snap.transfer->cost;
    const auto speed = [](double v) { return QStringLiteral("%1 m/s").arg(v, 0, 'f', 1); };
    const double hours = t.time / 3600;
    QStringList lines{QStringLiteral("Burn 1: %1").arg(speed(t.dv1)), QStringLiteral("Burn 2: %1").arg(speed(t.dv2)),
                      QStringLiteral("Total: %1").arg(speed(t.total)),
                      QStringLiteral("Time: %1 h %2 min").arg(int(hours)).arg(int(std::fmod(t.time, 3600) / 60))};
    if (t.planeAngle > 1e-6)
        lines.insert(2, QStringLiteral("Plane change: %1 deg").arg(t.planeAngle * 180 / astro::kPi, 0, 'f', 2));
    const QString title = QStringLiteral("Transfer %1 to %2").arg(snap.transfer->from, snap.transfer->to);
    return TextBox{title, QColor(255, 170, 40), lines, QStringLiteral("Transfer"),
                   {QStringLiteral("dv %1").arg(speed(t.total)),
                    QStringLiteral("%1 h %2 min").arg(int(hours)).arg(int(std::fmod(t.time, 3600) / 60))}};
}

} // namespace zep::view
