#include "standin/view/overlaypainter.h"

#include "standin/view/labelplacement.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zep::view {

namespace {

// Room a label takes beyond its letters, for its halo and a little air.
constexpr double kRoomX = 3, kRoomY = 1;
// How far a label may stray from its point, in lines: further, it reads as
// another point's even with its leader.
constexpr double kReachLines = 7;

QRectF unite(const std::vector<OverlayLayout::Text> &texts, const QFontMetricsF &fm)
{
    QRectF all;
    for (const OverlayLayout::Text &t : texts)
        all |= QRectF(t.baseline.x(), t.baseline.y() - fm.ascent(), fm.horizontalAdvance(t.text), fm.height());
    return all;
}


// From roomy to tight. The first way of writing the overlay whose boxes lie
// apart inside the view and leave its middle (the Earth, the orbit) free is
// taken; failing that, the first whose boxes merely lie apart.
struct Style {
    double pointSize;
    bool brief;    // short names in the data display and the annotations
    double inset;  // the data box's padding
};
constexpr Style kStyles[] = {{9.5, false, 10}, {8.5, false, 8}, {8, true, 6}, {7, true, 5}};
constexpr double kMargin = 8;  // from the view's edges
constexpr double kGap = 6;     // between boxes

QString ellipsis() { return QStringLiteral("\u2026"); }

// Greedy word wrap; a word wider than the width is cut short.
QStringList wrapped(const QString &text, const QFontMetricsF &fm, double width)
{
    QStringList lines;
    QString line;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        const QString wider = line.isEmpty() ? word : line + u' ' + word;
        if (line.isEmpty() || fm.horizontalAdvance(wider) <= width) {
            line = wider;
            continue;
        }
        lines << fm.elidedText(line, Qt::ElideRight, width);
        line = word;
    }
    if (!line.isEmpty())
        lines << fm.elidedText(line, Qt::ElideRight, width);
    return lines;
}

// A titled box with its top left at `corner`, or its bottom right when
// `fromBottomRight`; dataLines < 0 keeps every line, fewer end in an ellipsis.
// A banner, when the box has one and `banner` is given, goes under the lines
// in out.bannerFont.
QRectF textBox(const TextBox &data, const OverlayLayout &out, const Style &style, QPointF corner, bool fromBottomRight,
               int dataLines, std::vector<OverlayLayout::Text> *texts,
               std::optional<OverlayLayout::Text> *banner = nullptr)
{
    const QFontMetricsF fm(out.font), bold(out.titleFont), large(out.bannerFont);
    const double lh = fm.lineSpacing();
    const bool brief = style.brief && !data.briefLines.isEmpty();
    const QString title = brief && !data.briefTitle.isEmpty() ? data.briefTitle : data.title;
    QStringList lines = brief ? data.briefLines : data.lines;
    const QList<QColor> &colors = brief ? data.briefLineColors : data.lineColors;
    if (dataLines >= 0 && dataLines < lines.size()) {
        lines = lines.mid(0, dataLines);
        lines << ellipsis();
    }
    const bool withBanner = banner && !data.banner.isEmpty();
    double width = bold.horizontalAdvance(title);
    for (const QString &l : lines)
        width = std::max(width, fm.horizontalAdvance(l));
    if (withBanner)
        width = std::max(width, large.horizontalAdvance(data.banner));
    const double in = style.inset;
    const double bannerHeight = withBanner ? large.lineSpacing() + 0.3 * in : 0;
    const QSizeF size(std::ceil(width) + 2 * in, lh * (lines.size() + 1) + bannerHeight + 1.6 * in);
    const QRectF box(fromBottomRight ? corner - QPointF(size.width(), size.height()) : corner, size);
    const double x = box.left() + in, y = box.top() + 0.8 * in + fm.ascent();
    texts->push_back({{x, y}, {}, title, data.titleColor});
    for (int i = 0; i < lines.size(); ++i)
        texts->push_back({{x, y + lh * (i + 1)}, {}, lines[i], i < colors.size() ? colors[i] : QColor(225, 232, 240)});
    if (withBanner)
        *banner = OverlayLayout::Text{{x, y + lh * lines.size() + fm.descent() + 0.3 * in + large.ascent()}, {},
                                      data.banner, data.bannerColor};
    return box;
}

// One try at a style. dataLines < 0 keeps every line of the data display;
// fewer end in an ellipsis.
OverlayLayout arrange(const Scene &scene, const QFont &base, const QString &credit, const Style &style,
                      int dataLines = -1, bool withNotes = true)
{
    OverlayLayout out;
    out.font = base;
    out.font.setPointSizeF(style.pointSize);
    out.titleFont = out.font;
    out.titleFont.setBold(true);
    out.creditFont = out.font;
    out.creditFont.setPointSizeF(std::max(6.0, style.pointSize - 2));
    out.bannerFont = out.titleFont;
    out.bannerFont.setPointSizeF(style.pointSize * 1.6);
    const QFontMetricsF fm(out.font), small(out.creditFont);
    const QSizeF size(scene.size);
    const double lh = fm.lineSpacing();
    double top = kMargin;

    if (!scene.refusal.isEmpty()) {
        const RefusalLayout r = layOutRefusal(scene.refusal, out.font, {kMargin, top}, size.width() - 2 * kMargin);
        out.refusalBox = r.box;
        out.refusalLines = r.lines;
        out.blocks.push_back(r.box.adjusted(-2, -2, 2, 2));
        top = r.box.bottom() + kGap;
    }

    if (scene.dataDisplay) {
        out.dataBox = textBox(*scene.dataDisplay, out, style, {kMargin, top}, false, dataLines, &out.dataLines);
        out.blocks.push_back(out.dataBox->adjusted(-2, -2, 2, 2));
    }

    const QStringList &right =
        style.brief && !scene.briefAnnotations.isEmpty() ? scene.briefAnnotations : scene.annotations;
    auto annotationsAt = [&](double y0) {
        out.annotations.clear();
        for (int i = 0; i < right.size(); ++i)
            out.annotations.push_back({{size.width() - 10 - fm.horizontalAdvance(right[i]), y0 + fm.ascent() + lh * i},
                                       {}, right[i], QColor(230, 230, 200)});
    };
    annotationsAt(kMargin);
    // Beside the refusal when it is short, else under it.
    if (out.refusalBox && !out.annotations.empty() && unite(out.annotations, fm).intersects(*out.refusalBox))
        annotationsAt(out.refusalBox->bottom() + kGap);
    // The match box right under them, where the eye goes after the time.
    if (scene.matchBox) {
        double below = out.annotations.empty() ? kMargin : unite(out.annotations, fm).bottom() + kGap;
        if (out.refusalBox && out.annotations.empty())
            below = out.refusalBox->bottom() + kGap;
        const size_t first = out.matchLines.size();
        QRectF box = textBox(*scene.matchBox, out, style, {0, below}, false, -1, &out.matchLines, &out.matchBanner);
        const QPointF shift(size.width() - kMargin - box.width(), 0);
        box.translate(shift);
        for (size_t i = first; i < out.matchLines.size(); ++i)
            out.matchLines[i].baseline += shift;
        if (out.matchBanner)
            out.matchBanner->baseline += shift;
        out.matchBox = box;
        out.blocks.push_back(box.adjusted(-2, -2, 2, 2));
    }

    if (!credit.isEmpty())
        out.credit = OverlayLayout::Text{{size.width() - 8 - small.horizontalAdvance(credit), size.height() - 6.0}, {},
                                         credit, QColor(150, 150, 160)};
    // The notes bottom left, or over the credit when they would meet it; when
    // the data display reaches down to them, bottom right over the credit.
    const QStringList &notes = !withNotes                                   ? QStringList()
                               : style.brief && !scene.briefNotes.isEmpty() ? scene.briefNotes
                                                                            : scene.notes;
    const std::optional<QRectF> creditRoom =
        out.credit ? std::optional(unite({*out.credit}, small).adjusted(-3, -2, 3, 2)) : std::nullopt;
    auto notesAt = [&](bool rightSide, double bottom) {
        out.notes.clear();
        for (int i = 0; i < notes.size(); ++i) {
            const double x = rightSide ? size.width() - 10 - fm.horizontalAdvance(notes[i]) : 10;
            out.notes.push_back({{x, bottom - lh * (notes.size() - 1 - i)}, {}, notes[i], QColor(255, 200, 120)});
        }
        return out.notes.empty() ? QRectF() : unite(out.notes, fm).adjusted(-3, -2, 3, 2);
    };
    double aboveCredit = creditRoom ? creditRoom->top() - kGap - fm.descent() : size.height() - 10 - fm.descent();
    if (scene.costBox) {
        const double bottom = creditRoom ? creditRoom->top() - kGap : size.height() - kMargin;
        out.costBox = textBox(*scene.costBox, out, style, {size.width() - kMargin, bottom}, true, -1, &out.costLines);
        out.blocks.push_back(out.costBox->adjusted(-2, -2, 2, 2));
        aboveCredit = out.costBox->top() - kGap - fm.descent();
    }
    QRectF notesRoom = notesAt(false, size.height() - 10 - fm.descent());
    if (creditRoom && notesRoom.intersects(*creditRoom))
        notesRoom = notesAt(false, aboveCredit);
    if (out.dataBox && notesRoom.intersects(out.dataBox->adjusted(-2, -2, 2, 2)))
        notesAt(true, aboveCredit);
    // A little air round each block, so that no label touches it.
    for (const std::vector<OverlayLayout::Text> *texts : {&out.annotations, &out.notes})
        if (!texts->empty())
            out.blocks.push_back(unite(*texts, fm).adjusted(-3, -2, 3, 2));
    if (out.credit)
        out.blocks.push_back(unite({*out.credit}, small).adjusted(-3, -2, 3, 2));
    return out;
}

bool boxesApart(const OverlayLayout &l, QSize size)
{
    const QRectF view(QPointF(0, 0), QSizeF(size));
    for (size_t i = 0; i < l.blocks.size(); ++i) {
        if (!view.contains(l.blocks[i]))
            return false;
        for (size_t j = 0; j < i; ++j)
            if (l.blocks[i].intersects(l.blocks[j]))
                return false;
    }
    return true;
}

bool middleFree(const OverlayLayout &l, QSize size)
{
    const QRectF middle(size.width() * 0.4, size.height() * 0.4, size.width() * 0.2, size.height() * 0.2);
    return std::none_of(l.blocks.begin(), l.blocks.end(), [&](const QRectF &b) { return b.intersects(middle); });
}

OverlayLayout arrangeToFit(const Scene &scene, const QFont &base, const QString &credit)
{
    std::optional<OverlayLayout> apart;
    for (const Style &style : kStyles) {
        OverlayLayout l = arrange(scene, base, credit, style);
        if (!boxesApart(l, scene.size))
            continue;
        if (middleFree(l, scene.size))
            return l;
        if (!apart)
            apart = std::move(l);
    }
    if (apart)
        return *apart;
    // Below the sizes the views allow: the data display loses lines from its
    // end, then the notes go, then the data display.
    const Style &tight = std::end(kStyles)[-1];
    const int lines =
        scene.dataDisplay ? int(std::max(scene.dataDisplay->lines.size(), scene.dataDisplay->briefLines.size())) : 0;
    for (bool withNotes : {true, false})
        for (int n = lines - 1; n >= 0; --n) {
            OverlayLayout l = arrange(scene, base, credit, tight, n, withNotes);
            if (boxesApart(l, scene.size))
                return l;
        }
    Scene bare = scene;
    bare.dataDisplay.reset();
    return arrange(bare, base, credit, tight, -1, false);
}

} // namespace

OverlayLayout layOutOverlay(const Scene &scene, const QFont &base, const QString &credit)
{
    OverlayLayout out = arrangeToFit(scene, base, credit);
    const QFontMetricsF fm(out.font);
    LabelSurroundings around;
    around.view = QRectF(QPointF(0, 0), QSizeF(scene.size));
    around.blocks = out.blocks;
    around.earth = scene.earthDisc;
    around.lines = scene.strokes;
    around.reach = kReachLines * (fm.height() + 2 * kRoomY + 1);
    std::vector<LabelRequest> requests;
    requests.reserve(scene.labels.size());
    for (const Label &l : scene.labels) {
        const QRectF letters(0, -fm.ascent(), fm.horizontalAdvance(l.text), fm.height());
        requests.push_back({l.anchor, letters.adjusted(-kRoomX, -kRoomY, kRoomX, kRoomY), letters, l.offset, l.markRadius});
    }
    const std::vector<std::optional<LabelPlace>> places = placeLabels(requests, around);
    for (size_t i = 0; i < places.size(); ++i) {
        if (!places[i])
            continue;
        const Label &l = scene.labels[i];
        out.labels.push_back({places[i]->baseline, places[i]->room, l.text, l.color});
        if (places[i]->leader)
            out.leaders.push_back({*places[i]->leader, l.color});
    }
    return out;
}

RefusalLayout layOutRefusal(const QString &text, const QFont &font, QPointF topLeft, double maxWidth)
{
    const QFontMetricsF fm(font);
    const double pad = 6, lh = fm.lineSpacing();
    const QStringList lines = wrapped(text, fm, maxWidth - 2 * pad);
    double width = 0;
    for (const QString &l : lines)
        width = std::max(width, fm.horizontalAdvance(l));
    RefusalLayout out;
    out.box = QRectF(topLeft, QSizeF(std::ceil(width) + 2 * pad, lh * lines.size() + pad));
    for (int i = 0; i < lines.size(); ++i)
        out.lines.push_back({{out.box.left() + pad, out.box.top() + pad / 2 + fm.ascent() + lh * i}, {}, lines[i],
                             refusalColor()});
    return out;
}

QColor refusalColor() { return QColor(255, 112, 112); }
QColor refusalBackground() { return QColor(22, 6, 8, 240); }

void paintRefusal(QPainter &p, const QRectF &box, const std::vector<OverlayLayout::Text> &lines, const QFont &font)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(refusalColor().darker(160), 1));
    p.setBrush(refusalBackground());
    p.drawRoundedRect(box, 4, 4);
    p.setFont(font);
    for (const OverlayLayout::Text &t : lines) {
        p.setPen(t.color);
        p.drawText(t.baseline, t.text);
    }
    p.restore();
}

std::vector<QRectF> coverOf(const OverlayLayout &layout)
{
    std::vector<QRectF> out = layout.blocks;
    for (const OverlayLayout::Text &l : layout.labels)
        out.push_back(l.room.adjusted(-2, -2, 2, 2));
    for (const OverlayLayout::Leader &l : layout.leaders)
        out.push_back(QRectF(l.line.p1(), l.line.p2()).normalized().adjusted(-3, -3, 3, 3));
    return out;
}

namespace {

// Round the letters, so that a line of the scene stops at their edges
// instead of running through them, and still shows between them.
constexpr QPointF kHalo[] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1},
                             {0, 1},   {1, 1},  {0, 1.6}, {1.6, 0}, {-1.6, 0}, {0, -1.6}};

} // namespace

const OverlayPainter::Sprite &OverlayPainter::sprite(const OverlayLayout::Text &label, const QFont &font, qreal dpr)
{
    const QString key = label.text + QLatin1Char('\n') + QString::number(label.color.rgba(), 16) + QLatin1Char('\n')
        + font.key() + QLatin1Char('\n') + QString::number(dpr);
    if (const auto it = sprites_.constFind(key); it != sprites_.constEnd())
        return *it;
    if (sprites_.size() > 1024)
        sprites_.clear();  // names come and go; keep what a few scenes show
    const QRectF ink = QFontMetricsF(font).boundingRect(label.text).adjusted(-3, -3, 3, 3);
    Sprite s;
    s.origin = QPointF(std::floor(ink.left()), std::floor(ink.top()));
    s.image = QImage((QSizeF(std::ceil(ink.right()) - s.origin.x(), std::ceil(ink.bottom()) - s.origin.y()) * dpr).toSize(),
                     QImage::Format_ARGB32_Premultiplied);
    s.image.setDevicePixelRatio(dpr);
    s.image.fill(Qt::transparent);
    QPainter p(&s.image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    p.setPen(QColor(2, 4, 10, 235));
    for (const QPointF d : kHalo)
        p.drawText(d - s.origin, label.text);
    p.setPen(label.color);
    p.drawText(-s.origin, label.text);
    return *sprites_.insert(key, std::move(s));
}

void OverlayPainter::paint(QPainter &p, const OverlayLayout &layout)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    auto shadowed = [&](const OverlayLayout::Text &t) {
        p.setPen(QColor(0, 0, 0, 200));
        p.drawText(t.baseline + QPointF(1, 1), t.text);
        p.setPen(t.color);
        p.drawText(t.baseline, t.text);
    };

    // Leaders first, under every label's letters; dark-edged like the letters.
    for (const OverlayLayout::Leader &l : layout.leaders) {
        p.setPen(QPen(QColor(2, 4, 10, 200), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(l.line);
        QColor c = l.color;
        c.setAlpha(210);
        p.setPen(QPen(c, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(l.line);
    }
    const qreal dpr = p.device()->devicePixelRatioF();
    for (const OverlayLayout::Text &l : layout.labels) {
        const Sprite &s = sprite(l, layout.font, dpr);
        // On whole device pixels, where the picture was drawn.
        const QPointF at = l.baseline + s.origin;
        p.drawImage(QPointF(std::round(at.x() * dpr), std::round(at.y() * dpr)) / dpr, s.image);
    }

    if (layout.refusalBox)
        paintRefusal(p, *layout.refusalBox, layout.refusalLines, layout.font);
    for (const auto &[box, lines] : {std::pair(layout.dataBox, &layout.dataLines), std::pair(layout.costBox, &layout.costLines),
                                     std::pair(layout.matchBox, &layout.matchLines)}) {
        if (!box)
            continue;
        p.setPen(QColor(120, 140, 170, 160));
        p.setBrush(QColor(10, 16, 28, 190));
        p.drawRoundedRect(*box, 5, 5);
        for (size_t i = 0; i < lines->size(); ++i) {
            p.setFont(i == 0 ? layout.titleFont : layout.font);
            shadowed((*lines)[i]);
        }
    }
    if (layout.matchBanner) {
        p.setFont(layout.bannerFont);
        shadowed(*layout.matchBanner);
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
