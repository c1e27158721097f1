#pragma once
// Where the labels of a view go. Each label tries places round its point,
// nearest first, and takes the cheapest: never on another label, a text box
// or off the view; off markers, the Earth's disc and the drawn lines wherever
// a place within reach allows. Pure geometry, so that it can be checked
// without painting: the caller measures the text.

#include "standin/view/scene.h"

#include <QLineF>
#include <QRectF>

#include <optional>
#include <vector>

namespace zep::view {

struct LabelRequest {
    QPointF anchor;
    QRectF room;     // what the text and its halo take, from the baseline start
    QRectF letters;  // the letters alone, from the baseline start: lines keep out of these
    QPointF offset;  // the baseline start it prefers, from the anchor
    double markRadius = 0;  // a marker at the anchor that no label covers
};

struct LabelSurroundings {
    QRectF view;                // every label lies inside
    std::vector<QRectF> blocks; // never covered
    std::optional<Disc> earth;
    std::vector<QLineF> lines;
    // How far from its point a label may go, to the nearest edge of its room.
    double reach = 100;
};

struct LabelPlace {
    QPointF baseline;
    QRectF room;
    // From the edge of the point's marker to the room, when the label lies
    // too far from its point to be read as its.
    std::optional<QLineF> leader;
};

// In the requests' order: the first has the first choice. A label with no
// free place within reach has none (left out rather than shown over text).
std::vector<std::optional<LabelPlace>> placeLabels(const std::vector<LabelRequest> &labels,
                                                   const LabelSurroundings &around);

} // namespace zep::view
