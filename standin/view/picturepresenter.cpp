#include "standin/view/picturepresenter.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QWidget>

namespace zep::view {

PicturePresenter::PicturePresenter(QWidget &view, Frames &frames) : view_(view), frames_(frames)
{
    view_.setAttribute(Qt::WA_OpaquePaintEvent);
    view_.update();
}

void PicturePresenter::requestFrame() { view_.update(); }

bool PicturePresenter::paint()
{
    QElapsedTimer timer;
    timer.start();
    const QImage frame = frames_.picture();
    QPainter(&view_).drawImage(QPointF(0, 0), frame);
    frames_.shown(double(timer.nsecsElapsed()) / 1e6);
    return true;
}

} // namespace zep::view
