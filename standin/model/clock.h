#pragma once
// The scenario time that the views show: a Timeline that the Animation tool
// bar and the Animate commands drive, fed with wall-clock time while it plays.
// GUI thread only.

#include "standin/model/timeline.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

namespace zep {

class AnimationClock : public QObject {
    Q_OBJECT
public:
    explicit AnimationClock(QObject *parent = nullptr);

    const Timeline &timeline() const { return timeline_; }
    astro::Instant now() const { return timeline_.now(); }
    bool playing() const { return timeline_.playing(); }

    // The scenario's animation period and step; the time stays if it lies within.
    void setPeriod(astro::Instant start, astro::Instant stop, double step);
    // Moves the time to t, held within the period. A clock that follows no
    // scenario (a view on its own in a test or a bench) has no period and
    // takes t as it is.
    void setNow(astro::Instant t);

    void play();
    void pause();
    void togglePlay();
    void reset();
    void stepForward();
    void stepBackward();
    void slower();
    void faster();
    void setSliderPosition(int position, int steps);

signals:
    // The time, play or speed changed.
    void timeChanged();

private:
    void change(const std::function<void(Timeline &)> &edit);
    void tick();

    Timeline timeline_;
    bool hasPeriod_ = false;
    QTimer ticker_;
    QElapsedTimer sinceTick_;
};

} // namespace zep
