#pragma once
// At most one frame per refresh of the screen for a raster view: it would
// otherwise repaint for every burst of commands, faster than anyone sees,
// and take the time from the 3-D view's frames.

#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace zep::view {

class FramePacer {
public:
    // paint() asks the widget for the frame (update() of what it draws).
    FramePacer(QWidget &widget, std::function<void()> paint) : widget_(widget)
    {
        next_.setSingleShot(true);
        QObject::connect(&next_, &QTimer::timeout, &widget, std::move(paint));
    }

    // Something changed: the frame follows, no sooner than a refresh after the last.
    void request()
    {
        if (next_.isActive())
            return;
        const qreal hz = widget_.screen() ? widget_.screen()->refreshRate() : 60;
        const qint64 interval = qint64(1000 / qMax(hz, qreal(1)));
        const qint64 since = last_.isValid() ? last_.elapsed() : interval;
        next_.start(int(qMax(qint64(0), interval - since)));
    }
    // From the paint event.
    void painted() { last_.start(); }

private:
    QWidget &widget_;
    QElapsedTimer last_;
    QTimer next_;
};

} // namespace zep::view
