#pragma once
// The text over a view: labels beside their points, the data display, the
// annotations, the notes on undefined aids, the imagery credit and the line
// that says why the newest state is not shown.

#include "standin/view/scene.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QLineF>
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
    // Sizes and wording shrink with the view: no two blocks meet and all lie
    // inside it down to the smallest 3-D window (320 x 240).
    QFont font, titleFont, creditFont;
    std::optional<QRectF> refusalBox;  // top left, above the rest
    std::vector<Text> refusalLines;
    std::optional<QRectF> dataBox;
    std::vector<Text> dataLines;  // the title first
    std::optional<QRectF> costBox;  // a transfer's, bottom right
    std::vector<Text> costLines;
    std::optional<QRectF> matchBox;  // against a target, top right under the annotations
    std::vector<Text> matchLines;
    std::optional<Text> matchBanner;  // "Matched", in bannerFont
    QFont bannerFont;
    std::vector<Text> annotations, notes;
    std::optional<Text> credit;
    // The blocks of text above: labels keep out of them.
    std::vector<QRectF> blocks;
    // In the scene's order, the first placed first. Off the Earth's disc, the
    // scene's lines and the markers wherever room near the point allows; a
    // label with no room near its point (its point lies deep under a block,
    // or every spot near it is another label's) is left out rather than shown
    // far away or over another.
    std::vector<Text> labels;
    // From a point's marker to its label, where the label lies far from it.
    struct Leader {
        QLineF line;
        QColor color;
    };
    std::vector<Leader> leaders;
};
// `base` supplies the family; the overlay sets its own sizes.
OverlayLayout layOutOverlay(const Scene &scene, const QFont &base, const QString &credit = {});

// The out-of-range red of the refusal line and its box: nearly opaque, so
// that even a bright Earth behind it leaves the text above 4.5:1.
QColor refusalColor();
QColor refusalBackground();
struct RefusalLayout {
    QRectF box;
    std::vector<OverlayLayout::Text> lines;  // wrapped to maxWidth
};
RefusalLayout layOutRefusal(const QString &text, const QFont &font, QPointF topLeft, double maxWidth);
void paintRefusal(QPainter &p, const QRectF &box, const std::vector<OverlayLayout::Text> &lines, const QFont &font);

// Where the overlay paints: the blocks of text, the labels with their halos
// and the leaders, with room for their edges; they may overlap.
std::vector<QRectF> coverOf(const OverlayLayout &layout);

// Paints a layout; keeps each label's letters in their halo as a picture
// between frames, since a label is the same from frame to frame while its
// halo takes a dozen drawings of the text.
class OverlayPainter {
public:
    void paint(QPainter &p, const OverlayLayout &layout);

private:
    struct Sprite {
        QImage image;
        QPointF origin;  // its top left from the baseline
    };
    const Sprite &sprite(const OverlayLayout::Text &label, const QFont &font, qreal dpr);
    QHash<QString, Sprite> sprites_;
};

} // namespace zep::view
