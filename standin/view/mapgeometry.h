#pragma once
// Where a latitude and longitude land on the flat map: an equirectangular
// picture, longitude -180..180 left to right, latitude 90..-90 top to bottom.
// Also where the map's words go: the grid's labels and the satellites' names,
// kept whole inside the map and clear of one another.

#include "standin/astro/groundtrack.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <algorithm>
#include <vector>

namespace zep::view {

// The largest 2:1 rectangle centred in an area of `size`.
inline QRectF fittedMap(QSizeF size)
{
    const double w = std::max(0.0, std::min(size.width(), 2 * size.height()));
    const double h = w / 2;
    return {(size.width() - w) / 2, (size.height() - h) / 2, w, h};
}

inline QPointF mapPoint(const astro::GeoPoint &p, const QRectF &map)
{
    return {map.left() + (p.longitudeDeg + 180) / 360 * map.width(),
            map.top() + (90 - p.latitudeDeg) / 180 * map.height()};
}

// "60°N", "30°S", "0°"; "120°E", "150°W", "0°", "180°". Whole degrees.
QString latitudeLabel(int degrees);
QString longitudeLabel(int degrees);

// The box for a label of `size` beside a point at `at`: up and to the right
// when it fits, else flipped left or down so that the whole text lies inside
// `map`; when it would cover one of `taken`, stepped further up or down, out
// of the way. `spare` (the map's own words) is kept clear too, but only near
// the point: a name may cover a grid label rather than stray far from its
// point. A box that fits nowhere free lies where it first fitted, and one
// wider or taller than the map is held at its top left.
QRectF placeLabel(QPointF at, QSizeF size, const QRectF &map, const std::vector<QRectF> &taken = {},
                  const std::vector<QRectF> &spare = {});

// A track's samples (astro::trackSamples()) for the window begin..end, from
// those of an earlier window of the same orbit: as time plays the window
// slides on, and the samples it still covers are kept, only the stretch past
// the last of them propagated. A window that slid back, or beyond them, is
// sampled afresh.
std::vector<astro::TrackSample> slideTrackSamples(std::vector<astro::TrackSample> kept, const astro::Elements &el,
                                                  astro::Instant epoch, double begin, double end);

} // namespace zep::view
