// The XY plot: round tick values, colours legible on its background, and the
// current-time marker where the time says, read back from a rendered frame.

#include "standin/view/plotview.h"
#include "standin/view/samplescene.h"
#include "tests/support/contrast.h"
#include "viewtest.h"

#include <QTest>

using namespace zep;

class TstViewPlotView : public QObject {
    Q_OBJECT
private slots:
    void ticks_data()
    {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::addColumn<int>("maxTicks");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("low orbit's altitude, km") << 195.3 << 215.8 << 6 << QStringList{"195", "200", "205", "210", "215", "220"};
        QTest::newRow("speed, km/s") << 7.71 << 7.79 << 6 << QStringList{"7.70", "7.72", "7.74", "7.76", "7.78", "7.80"};
        QTest::newRow("a 2.5 step keeps one more decimal") << 0.0 << 0.9 << 5 << QStringList{"0.00", "0.25", "0.50", "0.75", "1.00"};
        QTest::newRow("thousands in steps of 2500, no decimals") << 820.0 << 10420.0 << 6 << QStringList{"0", "2500", "5000", "7500", "10000", "12500"};
        QTest::newRow("minutes of a revolution") << 0.0 << 88.4 << 9 << QStringList{"0", "20", "40", "60", "80", "100"};
        QTest::newRow("highly elliptical, thousands of km") << 1000.0 << 39000.0 << 6 << QStringList{"0", "10000", "20000", "30000", "40000"};
        QTest::newRow("a circle's constant altitude is widened") << 500.0 << 500.0 << 6 << QStringList{"495.0", "497.5", "500.0", "502.5", "505.0"};
        QTest::newRow("reversed ends") << 10.0 << 0.0 << 6 << QStringList{"0", "2", "4", "6", "8", "10"};
    }

    void ticks()
    {
        QFETCH(double, lo);
        QFETCH(double, hi);
        QFETCH(int, maxTicks);
        QFETCH(QStringList, expected);
        const view::Ticks t = view::niceTicks(lo, hi, maxTicks);
        QStringList got;
        for (double v : t.values)
            got << view::tickText(v, t);
        QCOMPARE(got, expected);
        QVERIFY(int(t.values.size()) <= maxTicks);
        QVERIFY(t.lo <= std::min(lo, hi) && t.hi >= std::max(lo, hi));
    }

    void contrast_data()
    {
        QTest::addColumn<QColor>("text");
        QTest::newRow("labels") << view::plotTextColor();
        QTest::newRow("altitude's title") << view::altitudeColor();
        QTest::newRow("speed's title") << view::speedColor();
        QTest::newRow("marker") << view::timeMarkerColor();
    }

    void contrast()
    {
        QFETCH(QColor, text);
        QVERIFY(velmora::testing::ContrastRatio(text, view::plotBackground()) >= 4.5);
    }

    // One widget for every row, as the host keeps it while the time moves on.
    void marker_data()
    {
        QTest::addColumn<double>("minutes");
        QTest::newRow("at the start of the revolution") << 0.0;
        QTest::newRow("a third of the way") << 30.0;
        QTest::newRow("most of the way") << 75.0;
    }

    void marker()
    {
        QFETCH(double, minutes);
        if (!plot_) {
            Snapshot s = view::sampleScene({viewtest::elements(6878, 0.01, 51.6, 0, 0, 0)});
            store_.publish(std::make_shared<const Snapshot>(s));
            clock_.setNow(view::sampleStart());
            plot_ = std::make_unique<PlotView>(store_, clock_);
            plot_->resize(640, 400);
            plot_->grab();  // the first frame starts the revolution at the time
            QCOMPARE(plot_->windowStart().seconds, view::sampleStart().seconds);
        }
        clock_.setNow(astro::Instant{view::sampleStart().seconds + minutes * 60});
        const QImage frame = plot_->grab().toImage();
        QCOMPARE(plot_->windowStart().seconds, view::sampleStart().seconds);
        const QRectF plot = plot_->plotRect();
        const double revolution = astro::period(6878e3) / 60;

        // The column with the most marker pixels, counted down the plot.
        int best = -1, bestCount = 0;
        for (int x = int(plot.left()) - 2; x <= int(plot.right()) + 2; ++x) {
            int count = 0;
            for (int y = int(plot.top()) + 1; y < int(plot.bottom()); ++y)
                count += frame.pixelColor(x, y) == view::timeMarkerColor();
            if (count > bestCount) {
                best = x;
                bestCount = count;
            }
        }
        QVERIFY2(bestCount > plot.height() * 0.8, qPrintable(QString::number(bestCount)));
        const double expected = view::timeToX(minutes, revolution, plot);
        QVERIFY2(std::abs(best - expected) <= 1.5, qPrintable(QStringLiteral("column %1, expected %2").arg(best).arg(expected)));
    }

    void emptyState()
    {
        ScenarioStore store;
        AnimationClock clock;
        PlotView empty(store, clock);
        empty.resize(400, 300);
        const QImage frame = empty.grab().toImage();
        QVERIFY(empty.plotRect().isEmpty());
        // Words in the middle and nothing of the marker anywhere.
        int text = 0, marker = 0;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                const QColor c = frame.pixelColor(x, y);
                text += c != view::plotBackground() && std::abs(y - frame.height() / 2) < 10;
                marker += c == view::timeMarkerColor();
            }
        QVERIFY(text > 50);
        QCOMPARE(marker, 0);
    }

private:
    ScenarioStore store_;
    AnimationClock clock_;
    std::unique_ptr<PlotView> plot_;
};

QTEST_MAIN(TstViewPlotView)
#include "tst_plotview.moc"
