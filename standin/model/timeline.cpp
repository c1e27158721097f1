#include "standin/model/timeline.h"

#include <algorithm>
#include <cmath>

namespace zep {

void Timeline::setPeriod(astro::Instant start, astro::Instant stop, double step)
{
    if (!std::isfinite(start.seconds) || !std::isfinite(stop.seconds))
        return;
    start_ = start;
    stop_ = stop.seconds < start.seconds ? start : stop;
    if (std::isfinite(step) && step > 0)
        step_ = step;
    if (!(now_.seconds >= start_.seconds && now_.seconds <= stop_.seconds))
        now_ = start_;
}

void Timeline::play()
{
    if (now_.seconds >= stop_.seconds)
        now_ = start_;
    playing_ = true;
}

void Timeline::pause()
{
    playing_ = false;
}

void Timeline::slower()
{
    speedIndex_ = std::max(speedIndex_ - 1, 0);
}

void Timeline::faster()
{
    speedIndex_ = std::min(speedIndex_ + 1, int(kSpeeds.size()) - 1);
}

void Timeline::reset()
{
    now_ = start_;
}

void Timeline::stepForward()
{
    playing_ = false;
    seek(astro::Instant{now_.seconds + scaledStep()});
}

void Timeline::stepBackward()
{
    playing_ = false;
    seek(astro::Instant{now_.seconds - scaledStep()});
}

void Timeline::seek(astro::Instant t)
{
    if (std::isnan(t.seconds))
        return;
    now_.seconds = std::clamp(t.seconds, start_.seconds, stop_.seconds);
}

void Timeline::advance(double wallSeconds)
{
    if (!playing_ || !(wallSeconds > 0))
        return;
    seek(astro::Instant{now_.seconds + std::min(wallSeconds, kMaxAdvanceSeconds) * rate()});
    if (now_.seconds >= stop_.seconds)
        playing_ = false;
}

int Timeline::sliderPosition(int steps) const
{
    const double span = stop_.seconds - start_.seconds;
    if (steps <= 0 || !(span > 0))
        return 0;
    const double f = (now_.seconds - start_.seconds) / span;
    return int(std::clamp(std::lround(f * steps), 0L, long(steps)));
}

void Timeline::setSliderPosition(int position, int steps)
{
    if (steps <= 0)
        return;
    position = std::clamp(position, 0, steps);
    // The last position is the stop time itself, not a rounding short of it.
    now_ = position == steps ? stop_
                             : astro::Instant{start_.seconds + (stop_.seconds - start_.seconds) * position / steps};
}

} // namespace zep
