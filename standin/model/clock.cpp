#include "standin/model/clock.h"

#include <cmath>

namespace zep {

AnimationClock::AnimationClock(QObject *parent) : QObject(parent)
{
    ticker_.setInterval(int(std::lround(Timeline::kTickSeconds * 1000)));
    connect(&ticker_, &QTimer::timeout, this, &AnimationClock::tick);
}

void AnimationClock::setPeriod(astro::Instant start, astro::Instant stop, double step)
{
    hasPeriod_ = true;
    change([&](Timeline &t) { t.setPeriod(start, stop, step); });
}

void AnimationClock::setNow(astro::Instant t)
{
    if (hasPeriod_)
        change([&](Timeline &line) { line.seek(t); });
    else
        change([&](Timeline &line) { line.setPeriod(t, t, line.step()); });
}

void AnimationClock::play()
{
    change(&Timeline::play);
}

void AnimationClock::pause()
{
    change(&Timeline::pause);
}

void AnimationClock::togglePlay()
{
    change(timeline_.playing() ? &Timeline::pause : &Timeline::play);
}

void AnimationClock::reset()
{
    change(&Timeline::reset);
}

void AnimationClock::stepForward()
{
    change(&Timeline::stepForward);
}

void AnimationClock::stepBackward()
{
    change(&Timeline::stepBackward);
}

void AnimationClock::slower()
{
    change(&Timeline::slower);
}

void AnimationClock::faster()
{
    change(&Timeline::faster);
}

void AnimationClock::setSliderPosition(int position, int steps)
{
    change([&](Timeline &t) { t.setSliderPosition(position, steps); });
}

void AnimationClock::change(const std::function<void(Timeline &)> &edit)
{
    const Timeline before = timeline_;
    edit(timeline_);
    if (timeline_.playing() && !ticker_.isActive()) {
        sinceTick_.start();
        ticker_.start();
    } else if (!timeline_.playing()) {
        ticker_.stop();
    }
    if (before.now().seconds != timeline_.now().seconds || before.playing() != timeline_.playing()
        || before.speedIndex() != timeline_.speedIndex() || before.start().seconds != timeline_.start().seconds
        || before.stop().seconds != timeline_.stop().seconds || before.step() != timeline_.step())
        emit timeChanged();
}

void AnimationClock::tick()
{
    // Measured, not assumed: a late timer moves time on by what really passed.
    const double wallSeconds = double(sinceTick_.nsecsElapsed()) / 1e9;
    sinceTick_.restart();
    change([wallSeconds](Timeline &t) { t.advance(wallSeconds); });
}

} // namespace zep
