// The time controls' rules: speed ladder, steps and play held to the
// animation period, and the slider's mapping onto it.

#include "standin/model/timeline.h"

#include <QtTest>

using zep::Timeline;
using zep::astro::Instant;

namespace {

// A day in 2026 (seconds since 2000), stepped by a minute: far enough from
// zero that rounding in the slider mapping would show.
constexpr double kStart = 851990400.0;
constexpr double kDay = 86400.0;
constexpr double kStop = kStart + kDay;

Timeline at(double offset, int speedIndex = 0, bool playing = false)
{
    Timeline t;
    t.setPeriod(Instant{kStart}, Instant{kStop}, 60.0);
    for (int k = 0; k < speedIndex; ++k)
        t.faster();
    if (playing)
        t.play();
    t.seek(Instant{kStart + offset});
    return t;
}

} // namespace

class TestTimeline : public QObject {
    Q_OBJECT

private slots:
    void speedLadder_data()
    {
        QTest::addColumn<QString>("presses");
        QTest::addColumn<int>("speed");
        QTest::newRow("slower at x1 stays") << "--" << 1;
        QTest::newRow("up the 1-2-5 ladder") << "+++" << 10;
        QTest::newRow("up and back") << "++++-" << 10;
        QTest::newRow("top is x1000") << "+++++++++" << 1000;
        QTest::newRow("faster at the top stays") << "++++++++++++" << 1000;
        QTest::newRow("down from the top") << "++++++++++++-" << 500;
    }

    void speedLadder()
    {
        QFETCH(QString, presses);
        QFETCH(int, speed);
        Timeline t = at(0);
        for (QChar c : presses)
            c == '+' ? t.faster() : t.slower();
        QCOMPARE(t.speed(), speed);
        QCOMPARE(t.scaledStep(), 60.0 * speed);
    }

    void steps_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<int>("speedIndex");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<double>("to");
        QTest::newRow("forward one minute") << 120.0 << 0 << true << 180.0;
        QTest::newRow("back one minute") << 120.0 << 0 << false << 60.0;
        QTest::newRow("forward x5 is five minutes") << 120.0 << 2 << true << 420.0;
        QTest::newRow("forward held at stop") << kDay - 10 << 0 << true << kDay;
        QTest::newRow("forward at stop stays") << kDay << 0 << true << kDay;
        QTest::newRow("forward x1000 held at stop") << 30000.0 << 9 << true << kDay;
        QTest::newRow("back held at start") << 10.0 << 0 << false << 0.0;
        QTest::newRow("back x10 held at start") << 300.0 << 3 << false << 0.0;
    }

    void steps()
    {
        QFETCH(double, from);
        QFETCH(int, speedIndex);
        QFETCH(bool, forward);
        QFETCH(double, to);
        Timeline t = at(from, speedIndex, true);
        forward ? t.stepForward() : t.stepBackward();
        QCOMPARE(t.now().seconds - kStart, to);
        QVERIFY(!t.playing());
    }

    void advance_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<int>("speedIndex");
        QTest::addColumn<double>("wall");
        QTest::addColumn<double>("to");
        QTest::addColumn<bool>("playing");
        QTest::newRow("x1: one step per 40 ms tick") << 0.0 << 0 << 0.04 << 60.0 << true;
        QTest::newRow("x1: a quarter second") << 0.0 << 0 << 0.25 << 375.0 << true;
        QTest::newRow("x2: twice as far") << 0.0 << 1 << 0.04 << 120.0 << true;
        QTest::newRow("x1000: 25 000 steps a second") << 0.0 << 9 << 0.04 << 60000.0 << true;
        QTest::newRow("a stall counts as half a second") << 0.0 << 0 << 30.0 << 750.0 << true;
        QTest::newRow("reaching stop pauses there") << kDay - 50 << 0 << 0.04 << kDay << false;
        QTest::newRow("passing stop pauses at it") << 0.0 << 9 << 0.5 << kDay << false;
        QTest::newRow("backwards wall time ignored") << 100.0 << 0 << -1.0 << 100.0 << true;
    }

    void advance()
    {
        QFETCH(double, from);
        QFETCH(int, speedIndex);
        QFETCH(double, wall);
        QFETCH(double, to);
        QFETCH(bool, playing);
        Timeline t = at(from, speedIndex, true);
        t.advance(wall);
        QCOMPARE(t.now().seconds - kStart, to);
        QCOMPARE(t.playing(), playing);

        Timeline paused = at(from, speedIndex, false);
        paused.advance(wall);
        QCOMPARE(paused.now().seconds - kStart, from);
    }

    void playAndReset_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QString>("action");
        QTest::addColumn<double>("to");
        QTest::addColumn<bool>("playingAfter");
        QTest::newRow("play mid-period stays put") << 300.0 << false << "play" << 300.0 << true;
        QTest::newRow("play at stop starts over") << kDay << false << "play" << 0.0 << true;
        QTest::newRow("reset while playing plays on") << 300.0 << true << "reset" << 0.0 << true;
        QTest::newRow("reset while paused stays paused") << 300.0 << false << "reset" << 0.0 << false;
        QTest::newRow("seek past stop holds at stop") << 300.0 << true << "seek" << kDay << true;
    }

    void playAndReset()
    {
        QFETCH(double, from);
        QFETCH(bool, playing);
        QFETCH(QString, action);
        QFETCH(double, to);
        QFETCH(bool, playingAfter);
        Timeline t = at(from, 3, playing);
        if (action == "play")
            t.play();
        else if (action == "reset")
            t.reset();
        else
            t.seek(Instant{kStop + 1000});
        QCOMPARE(t.now().seconds - kStart, to);
        QCOMPARE(t.playing(), playingAfter);
        QCOMPARE(t.speed(), 10);
    }

    void newPeriod_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("newStart");
        QTest::addColumn<double>("newStop");
        QTest::addColumn<double>("to");
        QTest::newRow("inside: stays") << 500.0 << 100.0 << 1000.0 << 500.0;
        QTest::newRow("on the new stop: stays") << 1000.0 << 100.0 << 1000.0 << 1000.0;
        QTest::newRow("before: to start") << 50.0 << 100.0 << 1000.0 << 100.0;
        QTest::newRow("after: to start") << 5000.0 << 100.0 << 1000.0 << 100.0;
        QTest::newRow("stop before start: a moment") << 500.0 << 100.0 << 50.0 << 100.0;
    }

    void newPeriod()
    {
        QFETCH(double, from);
        QFETCH(double, newStart);
        QFETCH(double, newStop);
        QFETCH(double, to);
        Timeline t = at(from);
        t.setPeriod(Instant{kStart + newStart}, Instant{kStart + newStop}, 0);
        QCOMPARE(t.now().seconds - kStart, to);
        QVERIFY(t.stop().seconds >= t.start().seconds);
        QCOMPARE(t.step(), 60.0);  // a zero step keeps the one before
    }

    void slider_data()
    {
        QTest::addColumn<double>("span");
        QTest::addColumn<int>("steps");
        QTest::newRow("a day in 1000") << kDay << 1000;
        QTest::newRow("a day in 86399") << kDay << 86399;
        QTest::newRow("a second in 1000") << 1.0 << 1000;
        QTest::newRow("a year in 3") << 365 * kDay << 3;
        QTest::newRow("one position") << kDay << 1;
    }

    // Every position maps to a time that maps back to it, the ends are the
    // period's own ends, and positions outside are held to them.
    void slider()
    {
        QFETCH(double, span);
        QFETCH(int, steps);
        Timeline t;
        t.setPeriod(Instant{kStart}, Instant{kStart + span}, 60);
        for (int p = 0; p <= steps; ++p) {
            t.setSliderPosition(p, steps);
            QVERIFY(t.now().seconds >= kStart && t.now().seconds <= kStart + span);
            if (t.sliderPosition(steps) != p)
                QFAIL(qPrintable(QStringLiteral("position %1 came back as %2").arg(p).arg(t.sliderPosition(steps))));
        }
        t.setSliderPosition(0, steps);
        QCOMPARE(t.now().seconds, kStart);
        t.setSliderPosition(steps + 5, steps);
        QCOMPARE(t.now().seconds, kStart + span);
        t.setSliderPosition(-5, steps);
        QCOMPARE(t.now().seconds, kStart);
        t.seek(Instant{kStart + span * 0.5});
        QCOMPARE(t.sliderPosition(2 * steps), steps);
    }

    void sliderOfAMoment()
    {
        Timeline t;
        t.setPeriod(Instant{kStart}, Instant{kStart}, 60);
        QCOMPARE(t.sliderPosition(1000), 0);
        t.setSliderPosition(700, 1000);
        QCOMPARE(t.now().seconds, kStart);
    }
};

QTEST_APPLESS_MAIN(TestTimeline)
#include "tst_standin_timeline.moc"
