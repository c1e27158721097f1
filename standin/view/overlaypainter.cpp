#include "standin/view/overlaypainter.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zep::view {

namespace {

// Room a label takes beyond its letters, for its halo and a little air.
constexpr double kRoomX = 3, kRoomY = 1;

QRectF unite(const std::vector<OverlayLayout::Text> &texts, const QFontMetricsF &fm)
{
    QRectF all;
    for (const OverlayLayout::Text &t : texts)
        all |= QRectF(t.baseline.x(), t.baseline.y() - fm.ascent(), fm.horizontalAdvance(t.text), fm.height());
    return all;
}

// Labels sit beside their point; when a block or an earlier label is in the
// way they move as little as clears it: lines down or up, to the other side
// of the point, or just past the edge of the block in the way. Never onto a
// block or off the view, and never further than a few lines from the point;
// off the labelled points and markers unless there is no other room.
class LabelPlacer {
public:
    LabelPlacer(const QFontMetricsF &fm, const std::vector<QRectF> &blocks, const Scene &scene)
        : fm_(fm), blocks_(blocks), view_(QPointF(0, 0), QSizeF(scene.size)), step_(fm.height() + 2 * kRoomY + 1)
    {
        // Every labelled point stays in sight; markers keep their whole disc.
        for (const Label &l : scene.labels) {
            const double r = std::max(l.markRadius, 1.0);
            marks_.push_back(QRectF(l.anchor - QPointF(r, r), QSizeF(2 * r, 2 * r)));
        }
    }

    std::optional<OverlayLayout::Text> place(const Label &l, size_t index)
    {
        const double width = fm_.horizontalAdvance(l.text);
        const QRectF room = QRectF(0, -fm_.ascent(), width, fm_.height()).adjusted(-kRoomX, -kRoomY, kRoomX, kRoomY);
        const QPointF preferred = l.anchor + l.offset;

        std::vector<QPointF> candidates;
        for (int k = 0; k <= kSteps; ++k)
            for (double x : {preferred.x(), l.anchor.x() - l.offset.x() - width, l.anchor.x() - width / 2})
                for (int sign : {1, -1})
                    candidates.emplace_back(x, preferred.y() + sign * k * step_);
        const size_t base = candidates.size();
        for (size_t i = 0; i < base; ++i) {
            const QRectF at = room.translated(candidates[i]);
            for (const QRectF &b : blocks_) {
                if (!at.intersects(b))
                    continue;
                const QPointF c = candidates[i];
                candidates.emplace_back(c.x(), b.bottom() + 1 - room.top());
                candidates.emplace_back(c.x(), b.top() - 1 - room.bottom());
                candidates.emplace_back(b.right() + 1 - room.left(), c.y());
                candidates.emplace_back(b.left() - 1 - room.right(), c.y());
            }
        }

        // Least moved from where it wanted to be.
        const double reach = kSteps * step_;
        auto onMarks = [&](const QRectF &at) {
            for (size_t i = 0; i < marks_.size(); ++i)
                if ((i != index || l.markRadius > 0) && marks_[i].intersects(at))
                    return true;
            return false;
        };
        std::optional<QPointF> best, bestCrowded;
        double bestScore = 1e300, crowdedScore = 1e300;
        for (const QPointF &c : candidates) {
            const QRectF at = room.translated(c);
            const double away = distance(l.anchor, at);
            if (away > reach || hits(blocks_, at) || (!view_.isEmpty() && !view_.contains(at)))
                continue;
            const double score = QLineF(c, preferred).length();
            if (score < crowdedScore) {
                bestCrowded = c;
                crowdedScore = score;
            }
            if (score < bestScore && !onMarks(at) && (!l.avoidOthers || !hits(placed_, at))) {
                best = c;
                bestScore = score;
            }
        }
        // Overlapping another label beats lying on a block.
        const std::optional<QPointF> origin = best ? best : bestCrowded;
        if (!origin)
            return std::nullopt;
        placed_.push_back(room.translated(*origin));
        return OverlayLayout::Text{*origin, placed_.back(), l.text, l.color};
    }

private:
    static constexpr int kSteps = 6;
    static bool hits(const std::vector<QRectF> &rects, const QRectF &r)
    {
        return std::any_of(rects.begin(), rects.end(), [&](const QRectF &o) { return o.intersects(r); });
    }
    static double distance(QPointF p, const QRectF &r)
    {
        const double dx = std::max({r.left() - p.x(), 0.0, p.x() - r.right()});
        const double dy = std::max({r.top() - p.y(), 0.0, p.y() - r.bottom()});
        return std::hypot(dx, dy);
    }
    const QFontMetricsF &fm_;
    const std::vector<QRectF> &blocks_;
    const QRectF view_;
    const double step_;
    std::vector<QRectF> marks_, placed_;
};

} // namespace

OverlayLayout layOutOverlay(const Scene &scene, const QFont &base, const QString &credit)
{
    OverlayLayout out;
    out.font = base;
    out.font.setPointSizeF(9.5);
    out.titleFont = out.font;
    out.titleFont.setBold(true);
    out.creditFont = out.font;
    out.creditFont.setPointSizeF(7.5);
    const QFontMetricsF fm(out.font), bold(out.titleFont), small(out.creditFont);
    const QSize size = scene.size;
    const double lh = fm.lineSpacing();

    if (scene.dataDisplay) {
        const TextBox &data = *scene.dataDisplay;
        double width = bold.horizontalAdvance(data.title);
        for (const QString &l : data.lines)
            width = std::max(width, fm.horizontalAdvance(l));
        const QRectF box(8, 8, std::ceil(width) + 20, lh * (data.lines.size() + 1) + 16);
        out.dataBox = box;
        out.blocks.push_back(box.adjusted(-2, -2, 2, 2));
        const double x = box.left() + 10, y = box.top() + 8 + fm.ascent();
        out.dataLines.push_back({{x, y}, {}, data.title, data.titleColor});
        for (int i = 0; i < data.lines.size(); ++i)
            out.dataLines.push_back({{x, y + lh * (i + 1)}, {}, data.lines[i], QColor(225, 232, 240)});
    }

    const QStringList &right = scene.annotations;
    for (int i = 0; i < right.size(); ++i)
        out.annotations.push_back({{size.width() - 10 - fm.horizontalAdvance(right[i]), 8 + fm.ascent() + lh * i},
                                   {}, right[i], QColor(230, 230, 200)});
    const QStringList &notes = scene.notes;
    for (int i = 0; i < notes.size(); ++i)
        out.notes.push_back({{10, size.height() - 10 - fm.descent() - lh * (notes.size() - 1 - i)}, {}, notes[i],
                             QColor(255, 200, 120)});
    // A little air round each block, so that no label touches it.
    for (const std::vector<OverlayLayout::Text> *texts : {&out.annotations, &out.notes})
        if (!texts->empty())
            out.blocks.push_back(unite(*texts, fm).adjusted(-3, -2, 3, 2));
    if (!credit.isEmpty()) {
        out.credit = OverlayLayout::Text{{size.width() - 8 - small.horizontalAdvance(credit), size.height() - 6.0}, {},
                                         credit, QColor(150, 150, 160)};
        out.blocks.push_back(unite({*out.credit}, small).adjusted(-3, -2, 3, 2));
    }

    LabelPlacer placer(fm, out.blocks, scene);
    for (size_t i = 0; i < scene.labels.size(); ++i)
        if (std::optional<OverlayLayout::Text> t = placer.place(scene.labels[i], i))
            out.labels.push_back(*t);
    return out;
}

void OverlayPainter::paint(QPainter &p, const Scene &scene, const QString &credit) const
{
    const OverlayLayout layout = layOutOverlay(scene, p.font(), credit);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    auto shadowed = [&](const OverlayLayout::Text &t) {
        p.setPen(QColor(0, 0, 0, 200));
        p.drawText(t.baseline + QPointF(1, 1), t.text);
        p.setPen(t.color);
        p.drawText(t.baseline, t.text);
    };

    // Each label in a dark halo: a line of the scene stops at the letters'
    // edges instead of running through them, and still shows between them.
    p.setFont(layout.font);
    for (const OverlayLayout::Text &l : layout.labels) {
        p.setPen(QColor(2, 4, 10, 235));
        for (const QPointF d : {QPointF(-1, -1), QPointF(0, -1), QPointF(1, -1), QPointF(-1, 0), QPointF(1, 0),
                                QPointF(-1, 1), QPointF(0, 1), QPointF(1, 1), QPointF(0, 1.6), QPointF(1.6, 0),
                                QPointF(-1.6, 0), QPointF(0, -1.6)})
            p.drawText(l.baseline + d, l.text);
        p.setPen(l.color);
        p.drawText(l.baseline, l.text);
    }

    if (layout.dataBox) {
        p.setPen(QColor(120, 140, 170, 160));
        p.setBrush(QColor(10, 16, 28, 190));
        p.drawRoundedRect(*layout.dataBox, 5, 5);
        for (size_t i = 0; i < layout.dataLines.size(); ++i) {
            p.setFont(i == 0 ? layout.titleFont : layout.font);
            shadowed(layout.dataLines[i]);
        }
    }
    p.setFont(layout.font);
    for (const OverlayLayout::Text &t : layout.annotations)
        shadowed(t);
    for (const OverlayLayout::Text &t : layout.notes)
        shadowed(t);
    if (layout.credit) {
        p.setFont(layout.creditFont);
        p.setPen(layout.credit->color);
        p.drawText(layout.credit->baseline, layout.credit->text);
    }
}

} // namespace zep::view
