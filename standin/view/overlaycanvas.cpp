#include "standin/view/overlaycanvas.h"

#include <QPainter>
#include <QRegion>

#include <cstring>

namespace zep::view {

const std::vector<QRect> &OverlayCanvas::paint(const Scene &scene, const QString &credit, QSize pixels, qreal dpr)
{
    rects_.clear();
    if (pixels.isEmpty())
        return rects_;
    if (image_.size() != pixels)
        image_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    image_.setDevicePixelRatio(dpr);
    const OverlayLayout layout = layOutOverlay(scene, QFont(), credit);

    // Whole blocks of 8 pixels: fewer, larger pieces to hand on.
    QRegion region;
    const QRect frame(QPoint(0, 0), pixels);
    for (const QRectF &r : coverOf(layout)) {
        const QRect device = QRectF(r.topLeft() * dpr, r.size() * dpr).toAlignedRect();
        const QRect snapped(QPoint(device.left() & ~7, device.top() & ~7),
                            QPoint((device.right() | 7), (device.bottom() | 7)));
        region += snapped & frame;
    }
    rects_.assign(region.begin(), region.end());
    for (const QRect &r : rects_) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memset(image_.scanLine(y) + r.left() * 4, 0, size_t(r.width()) * 4);
    }
    QPainter painter(&image_);
    painter_.paint(painter, layout);
    return rects_;
}

} // namespace zep::view
