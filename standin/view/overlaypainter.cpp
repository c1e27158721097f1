#include "standin/view/overlaypainter.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace zep::view {

void OverlayPainter::paint(QPainter &p, const Scene &scene, const QString &credit) const
{
    const QSize size = scene.size;
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font = p.font();
    font.setPointSizeF(9.5);
    p.setFont(font);
    const QFontMetrics fm(font);
    auto shadowed = [&](QPointF at, const QString &text, const QColor &color) {
        p.setPen(QColor(0, 0, 0, 200));
        p.drawText(at + QPointF(1, 1), text);
        p.setPen(color);
        p.drawText(at, text);
    };

    std::vector<QRectF> placed;
    for (const Label &l : scene.labels) {
        QPointF origin = l.anchor + l.offset;
        QRectF box = QRectF(fm.boundingRect(l.text)).translated(origin);
        // Labels of vectors that coincide (the orbit normal on +z at i = 0)
        // step down instead of printing over each other.
        for (int tries = 0; l.avoidOthers && tries < 6; ++tries) {
            const bool clash = std::any_of(placed.begin(), placed.end(), [&](const QRectF &r) { return r.intersects(box); });
            if (!clash)
                break;
            origin.ry() += fm.lineSpacing();
            box.translate(0, fm.lineSpacing());
        }
        placed.push_back(box);
        shadowed(origin, l.text, l.color);
    }

    if (scene.dataDisplay) {
        const TextBox &data = *scene.dataDisplay;
        int width = fm.horizontalAdvance(data.title);
        for (const QString &l : data.lines)
            width = std::max(width, fm.horizontalAdvance(l));
        const int lh = fm.lineSpacing();
        const QRectF box(8, 8, width + 20, lh * (data.lines.size() + 1) + 16);
        p.setPen(QColor(120, 140, 170, 160));
        p.setBrush(QColor(10, 16, 28, 190));
        p.drawRoundedRect(box, 5, 5);
        QFont bold = font;
        bold.setBold(true);
        p.setFont(bold);
        shadowed(QPointF(box.left() + 10, box.top() + 8 + fm.ascent()), data.title, data.titleColor);
        p.setFont(font);
        for (int i = 0; i < data.lines.size(); ++i)
            shadowed(QPointF(box.left() + 10, box.top() + 8 + fm.ascent() + lh * (i + 1)), data.lines[i], QColor(225, 232, 240));
    }

    const QStringList &right = scene.annotations;
    for (int i = 0; i < right.size(); ++i)
        shadowed(QPointF(size.width() - 10 - fm.horizontalAdvance(right[i]), 8 + fm.ascent() + fm.lineSpacing() * i),
                 right[i], QColor(230, 230, 200));

    const QStringList &notes = scene.notes;
    for (int i = 0; i < notes.size(); ++i)
        shadowed(QPointF(10, size.height() - 10 - fm.descent() - fm.lineSpacing() * (notes.size() - 1 - i)), notes[i],
                 QColor(255, 200, 120));

    if (!credit.isEmpty()) {
        QFont small = font;
        small.setPointSizeF(7.5);
        p.setFont(small);
        p.setPen(QColor(150, 150, 160));
        p.drawText(QPointF(size.width() - 8 - QFontMetrics(small).horizontalAdvance(credit), size.height() - 6), credit);
    }
}

} // namespace zep::view
