#include "standin/view/mapgeometry.h"

#include <array>
#include <optional>
#include <cstdlib>

namespace zep::view {

namespace {

QString degreesLabel(int degrees, QChar positive, QChar negative, bool hemisphereAt180)
{
    if (degrees == 0 || (std::abs(degrees) == 180 && !hemisphereAt180))
        return QStringLiteral("%1°").arg(std::abs(degrees));
    return QStringLiteral("%1°%2").arg(std::abs(degrees)).arg(degrees > 0 ? positive : negative);
}

} // namespace

QString latitudeLabel(int degrees) { return degreesLabel(degrees, u'N', u'S', true); }
QString longitudeLabel(int degrees) { return degreesLabel(degrees, u'E', u'W', false); }

QRectF placeLabel(QPointF at, QSizeF size, const QRectF &map, const std::vector<QRectF> &taken)
{
    // Clear of the sub-point's disc (radius 5.5 plus its outline).
    constexpr double kSide = 8;
    constexpr double kRise = 3;
    constexpr int kSteps = 6;
    const double w = size.width();
    const double h = size.height();
    const bool fitsRight = at.x() + kSide + w <= map.right();
    const bool fitsAbove = at.y() - kRise - h >= map.top();
    // Right before left, above before below, unless the map's edge says otherwise.
    const std::array<double, 2> xs = fitsRight || at.x() - kSide - w < map.left()
                                         ? std::array<double, 2>{at.x() + kSide, at.x() - kSide - w}
                                         : std::array<double, 2>{at.x() - kSide - w, at.x() + kSide};
    const std::array<double, 2> ys = fitsAbove || at.y() + kRise + h > map.bottom()
                                         ? std::array<double, 2>{at.y() - kRise - h, at.y() + kRise}
                                         : std::array<double, 2>{at.y() + kRise, at.y() - kRise - h};
    const auto inside = [&](const QRectF &r) { return map.contains(r); };
    const auto free = [&](const QRectF &r) {
        return std::none_of(taken.begin(), taken.end(), [&](const QRectF &t) { return t.intersects(r); });
    };
    std::optional<QRectF> firstInside;
    for (int step = 0; step <= kSteps; ++step) {
        for (const double y : ys) {
            for (const double x : xs) {
                // Further away from the point, in the direction the box already lies.
                const double away = y < at.y() ? -step * (h + 1) : step * (h + 1);
                const QRectF r(x, y + away, w, h);
                if (!inside(r))
                    continue;
                if (free(r))
                    return r;
                if (!firstInside)
                    firstInside = r;
            }
        }
    }
    if (firstInside)
        return *firstInside;
    const double x = std::clamp(at.x() + kSide, map.left(), std::max(map.left(), map.right() - w));
    const double y = std::clamp(at.y() - kRise - h, map.top(), std::max(map.top(), map.bottom() - h));
    return {x, y, w, h};
}

} // namespace zep::view
