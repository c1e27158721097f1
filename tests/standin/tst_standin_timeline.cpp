// The time controls' rules: speed ladder, steps and play held to the
// animation period, and the slider's mapping onto it.

#include "standin/model/clock.h"
#include "standin/model/timeline.h"

#include <QtTest>

using zep::Timeline;
using zep::astro::Instant;

namespace {

// A day in 2026 (seconds since 2000), stepped by a minute: far enough from
// zero that rounding in the slider mapping would show.
constexpr double kStart = 851990400.0;
constexpr double kDay = 86400.0;

Timeline at(double offset, int faster = 0, bool playing = false)
{
    Timeline t;
    t.setPeriod(Instant{kStart}, Instant{kStart + kDay}, 60.0);
    for (int k = 0; k < faster; ++k)
        t.faster();
    if (playing)
        t.play();
    t.seek(Instant{kStart + offset});
    return t;
}

} // namespace

class TstStandInTimeline : public QObject {
    Q_OBJECT

private slots:
    void speedLadder_data()
    {
        QTest::addColumn<QString>("presses");   // "+" faster, "-" slower
        QTest::addColumn<int>("speed");
        QTest::newRow("slower than x1 stays x1") << "--" << 1;
        QTest::newRow("three up") << "+++" << 10;
        QTest::newRow("four up, one down") << "++++-" << 10;
        QTest::newRow("the top") << "+++++++++" << 1000;
        QTest::newRow("past the top stays there") << "++++++++++++" << 1000;
        QTest::newRow("down from the top") << "++++++++++++-" << 500;
    }

    void speedLadder()
    {
        QFETCH(QString, presses);
        QFETCH(int, speed);
        Timeline t = at(0);
        for (QChar c : presses)
            c == u'+' ? t.faster() : t.slower();
        QCOMPARE(t.speed(), speed);
        QCOMPARE(t.scaledStep(), 60.0 * speed);
    }

    void controls_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<int>("faster");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QString>("action");  // "+" / "-" step, "play", "reset", or wall seconds to advance
        QTest::addColumn<double>("to");
        QTest::addColumn<bool>("playingAfter");
        QTest::newRow("step forward one minute") << 120.0 << 0 << true << "+" << 180.0 << false;
        QTest::newRow("step back x5") << 420.0 << 2 << false << "-" << 120.0 << false;
        QTest::newRow("step held at stop") << kDay - 10 << 0 << false << "+" << kDay << false;
        QTest::newRow("step x1000 held at stop") << 30000.0 << 9 << true << "+" << kDay << false;
        QTest::newRow("step held at start") << 300.0 << 3 << false << "-" << 0.0 << false;
        QTest::newRow("x1: a step per 40 ms tick") << 0.0 << 0 << true << "0.04" << 60.0 << true;
        QTest::newRow("x1000: 25 000 steps a second") << 0.0 << 9 << true << "0.04" << 60000.0 << true;
        QTest::newRow("a stall counts half a second") << 0.0 << 0 << true << "30" << 750.0 << true;
        QTest::newRow("paused does not advance") << 0.0 << 0 << false << "0.04" << 0.0 << false;
        QTest::newRow("reaching stop pauses there") << kDay - 50 << 0 << true << "0.04" << kDay << false;
        QTest::newRow("play at stop starts over") << kDay << 0 << false << "play" << 0.0 << true;
        QTest::newRow("reset plays on") << 300.0 << 0 << true << "reset" << 0.0 << true;
        QTest::newRow("reset stays paused") << 300.0 << 0 << false << "reset" << 0.0 << false;
    }

    void controls()
    {
        QFETCH(double, from);
        QFETCH(int, faster);
        QFETCH(bool, playing);
        QFETCH(QString, action);
        QFETCH(double, to);
        QFETCH(bool, playingAfter);
        Timeline t = at(from, faster, playing);
        if (action == "+" || action == "-")
            action == "+" ? t.stepForward() : t.stepBackward();
        else if (action == "play" || action == "reset")
            action == "play" ? t.play() : t.reset();
        else
            t.advance(action.toDouble());
        QCOMPARE(t.now().seconds - kStart, to);
        QCOMPARE(t.playing(), playingAfter);
    }

    void newPeriodKeepsNowInside()
    {
        Timeline t = at(500);
        t.setPeriod(Instant{kStart + 100}, Instant{kStart + 1000}, 0);
        QVERIFY(t.now().seconds == kStart + 500 && t.step() == 60);  // a zero step keeps the one before
        t.setPeriod(Instant{kStart + 600}, Instant{kStart + 50}, 30);
        QVERIFY(t.now().seconds == kStart + 600 && t.stop().seconds == kStart + 600 && t.step() == 30);
    }

    // Every position maps to a time that maps back to it; the ends are the
    // period's own and positions beyond are held to them.
    void slider_data()
    {
        QTest::addColumn<double>("span");
        QTest::addColumn<int>("steps");
        QTest::newRow("a day in 1000") << kDay << 1000;
        QTest::newRow("a day in 86399") << kDay << 86399;
        QTest::newRow("a second in 1000") << 1.0 << 1000;
        QTest::newRow("a year in 3") << 365 * kDay << 3;
        QTest::newRow("a day in 1") << kDay << 1;
        QTest::newRow("an empty period") << 0.0 << 10;
    }

    void slider()
    {
        QFETCH(double, span);
        QFETCH(int, steps);
        Timeline t;
        t.setPeriod(Instant{kStart}, Instant{kStart + span}, 60);
        for (int p = 0; p <= steps; ++p) {
            t.setSliderPosition(p, steps);
            if (t.sliderPosition(steps) != (span > 0 ? p : 0))
                QFAIL(qPrintable(QStringLiteral("%1 came back as %2").arg(p).arg(t.sliderPosition(steps))));
        }
        t.setSliderPosition(steps + 5, steps);
        QCOMPARE(t.now().seconds, kStart + span);
        t.setSliderPosition(-5, steps);
        QCOMPARE(t.now().seconds, kStart);
    }

    // The views' clock: any time until it follows a scenario, then the
    // period's rules; it tells the views only when something changed.
    void clockPeriod_data()
    {
        QTest::addColumn<bool>("period");
        QTest::addColumn<double>("offset");
        QTest::addColumn<double>("expected");
        QTest::addColumn<int>("notices");
        QTest::newRow("no period, any time") << false << -5 * kDay << -5 * kDay << 1;
        QTest::newRow("within the period") << true << 3600.0 << 3600.0 << 1;
        QTest::newRow("before the start, already there") << true << -60.0 << 0.0 << 0;
        QTest::newRow("after the stop") << true << 2 * kDay << kDay << 1;
    }

    void clockPeriod()
    {
        QFETCH(bool, period);
        QFETCH(double, offset);
        QFETCH(double, expected);
        QFETCH(int, notices);
        zep::AnimationClock clock;
        if (period)
            clock.setPeriod(Instant{kStart}, Instant{kStart + kDay}, 60);
        QSignalSpy changed(&clock, &zep::AnimationClock::timeChanged);
        clock.setNow(Instant{kStart + offset});
        QCOMPARE(clock.now().seconds, kStart + expected);
        QCOMPARE(changed.count(), notices);
        clock.setNow(Instant{kStart + offset});
        clock.pause();
        clock.slower();
        QCOMPARE(changed.count(), notices);
    }
};

QTEST_APPLESS_MAIN(TstStandInTimeline)
#include "tst_standin_timeline.moc"
