#pragma once
// The text over a view: labels beside their points, the data display, the
// annotations, the notes on undefined aids and the imagery credit.

#include "standin/view/scene.h"

#include <QFont>
#include <QRectF>

#include <optional>
#include <vector>

class QPainter;

namespace zep::view {

// Where every text of the overlay goes, worked out from the scene, the font
// and the credit alone, so that what lands on what is decided in one place
// and can be checked without painting.
struct OverlayLayout {
    struct Text {
        QPointF baseline;  // where the text starts
        QRectF room;       // labels: what the letters and their halo take
        QString text;
        QColor color;
    };
    QFont font, titleFont, creditFont;
    std::optional<QRectF> dataBox;
    std::vector<Text> dataLines;  // the title first
    std::vector<Text> annotations, notes;
    std::optional<Text> credit;
    // The blocks of text above: labels keep out of them.
    std::vector<QRectF> blocks;
    // In the scene's order. A label with no room near its point (its point
    // lies deep under a block) is left out rather than shown far away.
    std::vector<Text> labels;
};
// `base` supplies the family; the overlay sets its own sizes.
OverlayLayout layOutOverlay(const Scene &scene, const QFont &base, const QString &credit = {});

class OverlayPainter {
public:
    // With an empty credit, none is written.
    void paint(QPainter &p, const Scene &scene, const QString &credit = {}) const;
};

} // namespace zep::view
