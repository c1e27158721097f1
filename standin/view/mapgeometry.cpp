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

std::vector<astro::TrackSample> slideTrackSamples(std::vector<astro::TrackSample> kept, const astro::Elements &el,
                                                  astro::Instant epoch, double begin, double end)
{
    if (kept.empty() || !(begin >= kept.front().t) || !(begin < kept.back().t) || !(end >= kept.back().t))
        return astro::trackSamples(el, epoch, astro::Instant{begin}, astro::Instant{end});
    const auto before = [](const astro::TrackSample &s, double t) { return s.t < t; };
    kept.erase(kept.begin(), std::lower_bound(kept.begin(), kept.end(), begin, before));
    if (end > kept.back().t) {
        // Its first sample is the last kept one.
        const std::vector<astro::TrackSample> more =
            astro::trackSamples(el, epoch, astro::Instant{kept.back().t}, astro::Instant{end});
        if (more.size() > 1)
            kept.insert(kept.end(), more.begin() + 1, more.end());
    }
    return kept;
}

QRectF placeLabel(QPointF at, QSizeF size, const QRectF &map, const std::vector<QRectF> &taken,
                  const std::vector<QRectF> &spare)
{
    // Clear of the sub-point's disc (radius 5.5 plus its outline).
    constexpr double kSide = 8;
    constexpr double kRise = 3;
    constexpr int kNearSteps = 2;
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
    const auto clearOf = [](const std::vector<QRectF> &boxes, const QRectF &r) {
        return std::none_of(boxes.begin(), boxes.end(), [&](const QRectF &t) { return t.intersects(r); });
    };
    // Nearest first: the four sides, then each a step further away in the
    // direction it already lies.
    const auto search = [&](int steps, const auto &accept) -> std::optional<QRectF> {
        for (int step = 0; step <= steps; ++step) {
            for (const double y : ys) {
                for (const double x : xs) {
                    const double away = y < at.y() ? -step * (h + 1) : step * (h + 1);
                    const QRectF r(x, y + away, w, h);
                    if (map.contains(r) && accept(r))
                        return r;
                }
            }
        }
        return std::nullopt;
    };
    if (const auto r = search(kNearSteps, [&](const QRectF &r) { return clearOf(taken, r) && clearOf(spare, r); }))
        return *r;
    if (const auto r = search(kSteps, [&](const QRectF &r) { return clearOf(taken, r); }))
        return *r;
    if (const auto r = search(0, [](const QRectF &) { return true; }))
        return *r;
    const double x = std::clamp(at.x() + kSide, map.left(), std::max(map.left(), map.right() - w));
    const double y = std::clamp(at.y() - kRise - h, map.top(), std::max(map.top(), map.bottom() - h));
    return {x, y, w, h};
}

} // namespace zep::view
