#pragma once
// The scenario time that the view shows; the Animation tool bar drives it.
// GUI thread only.

#include "standin/astro/astro.h"

#include <QObject>

namespace zep {

class AnimationClock : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    astro::Instant now() const { return now_; }
    bool playing() const { return playing_; }

    void setNow(astro::Instant t)
    {
        now_ = t;
        emit timeChanged();
    }
    void setPlaying(bool on)
    {
        playing_ = on;
        emit timeChanged();
    }

signals:
    void timeChanged();

private:
    astro::Instant now_;
    bool playing_ = false;
};

} // namespace zep
