#pragma once
// The XY plot window: the selected satellite's altitude and speed over one
// revolution, with a marker at the scenario time that follows the animation.
// The revolution starts where the time stood when the plot first showed the
// satellite and starts over at the time once it leaves that revolution, so
// the marker walks across the plot as the animation plays. The curves and
// their ticks are pure functions; the widget paints its own dark background,
// legible whatever the desktop's theme.

#include "standin/astro/orbit.h"
#include "standin/astro/time.h"
#include "standin/model/clock.h"
#include "standin/model/store.h"

#include <QColor>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

namespace zep {

namespace view {

// Round values that cover lo..hi: the step is 1, 2, 2.5 or 5 times a power of
// ten, chosen so that at most `maxTicks` ticks fall between the range's ends,
// which are widened to whole steps. An empty or a point range is widened
// around its value first.
struct Ticks {
    double lo = 0;
    double hi = 1;
    double step = 1;
    int decimals = 0;          // enough to tell neighbouring ticks apart
    std::vector<double> values;  // lo, lo + step, ..., hi
};
Ticks niceTicks(double lo, double hi, int maxTicks = 6);
QString tickText(double value, const Ticks &ticks);

// Altitude above the Earth's radius as the views take it (kEarthRadius), in
// km, and speed in km/s, at `samples` evenly spaced times over one revolution
// from `from`, minutes counted from `from`. Empty for elements that make no
// ellipse.
struct AltitudeSpeed {
    double periodMinutes = 0;
    std::vector<double> minutes;
    std::vector<double> altitudeKm;
    std::vector<double> speedKmS;
};
AltitudeSpeed altitudeAndSpeed(const astro::Elements &el, astro::Instant epoch, astro::Instant from, int samples = 241);

// The x of `minutes` on a time axis of `spanMinutes` drawn across `plot`.
double timeToX(double minutes, double spanMinutes, const QRectF &plot);

// The plot's colours, on its own background.
QColor plotBackground();
QColor plotTextColor();
QColor altitudeColor();
QColor speedColor();
QColor timeMarkerColor();

} // namespace view

class PlotView : public QWidget {
    Q_OBJECT
public:
    PlotView(ScenarioStore &store, AnimationClock &clock, QWidget *parent = nullptr);
    ~PlotView() override;

    // Where the curves are drawn, inside the axes; empty before the first frame.
    QRectF plotRect() const;
    // The start of the revolution shown; the marker is this far from the left.
    astro::Instant windowStart() const;
    quint64 drawnRevision() const;

signals:
    void frameDrawn(double milliseconds);

public slots:
    void updatePlot();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zep
