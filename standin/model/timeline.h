#pragma once
// The rules of the time controls: where scenario time stands within the
// scenario's animation period, whether it plays and how fast. A plain value
// without Qt: the window owns one, feeds it wall-clock time and hands now()
// to the AnimationClock that the views follow.

#include "standin/astro/time.h"

#include <array>

namespace zep {

class Timeline {
public:
    // Multiples of the scenario's animation step; Slower and Faster walk it.
    static constexpr std::array<int, 10> kSpeeds{1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
    // At x1 time moves one animation step per 40 ms of wall clock: the
    // host's animation tick, so x1 plays as the host always has.
    static constexpr double kTickSeconds = 0.040;
    // A stalled event loop (a dragged window, a suspended machine) resumes
    // where it left off instead of leaping ahead by the whole stall.
    static constexpr double kMaxAdvanceSeconds = 0.5;

    // Keeps now when it lies in the new period, else goes to its start. A
    // stop before start is taken as start; a step that is not a positive
    // number keeps the previous one.
    void setPeriod(astro::Instant start, astro::Instant stop, double step);

    astro::Instant start() const { return start_; }
    astro::Instant stop() const { return stop_; }
    astro::Instant now() const { return now_; }
    double step() const { return step_; }
    bool playing() const { return playing_; }
    int speedIndex() const { return speedIndex_; }
    int speed() const { return kSpeeds[speedIndex_]; }
    double scaledStep() const { return step_ * speed(); }
    // Scenario seconds per wall-clock second while playing.
    double rate() const { return scaledStep() / kTickSeconds; }

    // Play at the stop time starts over from the start, as players do.
    void play();
    void pause();
    void slower();
    void faster();
    // Back to the start; keeps playing if it was, and keeps the speed.
    void reset();
    // One scaled step, held within the period; a step pauses play so that
    // the user can walk through the moments one by one.
    void stepForward();
    void stepBackward();
    // Moves to t, held within the period; playing or paused as before.
    void seek(astro::Instant t);
    // While playing, moves on by wallSeconds of real time at the current
    // rate. Play stops on reaching the stop time and stays there: most
    // viewers end at the end rather than wrap round unseen.
    void advance(double wallSeconds);

    // Slider positions 0..steps spread evenly across the period.
    int sliderPosition(int steps) const;
    void setSliderPosition(int position, int steps);

private:
    astro::Instant start_, stop_, now_;
    double step_ = 60;
    int speedIndex_ = 0;
    bool playing_ = false;
};

} // namespace zep
