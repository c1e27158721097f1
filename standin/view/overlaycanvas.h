#pragma once
// The overlay goes to the frame as a picture: painted by the raster engine
// into an image of the frame's size, of which only the parts with something
// on them are handed on. Painting its words through OpenGL cost a software
// renderer a draw for every word and halo, several milliseconds a frame.

#include "standin/view/overlaypainter.h"
#include "standin/view/scene.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

namespace zep::view {

class OverlayCanvas {
public:
    // Paints the scene's overlay for a frame of `pixels` device pixels and
    // returns where it lies: rectangles of image(), in its device pixels from
    // the top, that do not overlap. Everything outside them is to be left out.
    const std::vector<QRect> &paint(const Scene &scene, const QString &credit, QSize pixels, qreal dpr);
    const QImage &image() const { return image_; }

private:
    OverlayPainter painter_;
    QImage image_;  // kept between frames: its pixels outside the rectangles mean nothing
    std::vector<QRect> rects_;
};

} // namespace zep::view
