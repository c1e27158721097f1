#pragma once
// Where a latitude and longitude land on the flat map: an equirectangular
// picture, longitude -180..180 left to right, latitude 90..-90 top to bottom.

#include "standin/astro/groundtrack.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <algorithm>

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

} // namespace zep::view
