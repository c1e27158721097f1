#pragma once
// The text over a view: labels beside their points, the data display, the
// annotations, the notes on undefined aids and the imagery credit.

#include "standin/view/scene.h"

class QPainter;

namespace zep::view {

class OverlayPainter {
public:
    // With an empty credit, none is written.
    void paint(QPainter &p, const Scene &scene, const QString &credit = {}) const;
};

} // namespace zep::view
