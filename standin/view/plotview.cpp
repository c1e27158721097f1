#include "standin/view/plotview.h"

#include "standin/astro/groundtrack.h"
#include "standin/view/framepacer.h"
#include "standin/view/overlaypainter.h"
#include "standin/view/scenebuilder.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <optional>

namespace zep {

namespace view {

Ticks niceTicks(double lo, double hi, int maxTicks)
{
    Ticks t;
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return t;
    if (lo > hi)
        std::swap(lo, hi);
    if (hi - lo <= 1e-9 * std::max(1.0, std::abs(hi))) {
        // A circular orbit's altitude: a band around it, so the line sits mid-plot.
        const double pad = lo == 0 ? 1.0 : std::abs(lo) * 0.01;
        lo -= pad;
        hi += pad;
    }
    maxTicks = std::max(maxTicks, 2);
    const double rough = (hi - lo) / (maxTicks - 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        t.step = m * power;
        t.lo = std::floor(lo / t.step) * t.step;
        t.hi = std::ceil(hi / t.step) * t.step;
        if (std::round((t.hi - t.lo) / t.step) + 1 <= maxTicks)
            break;
    }
    const double mantissa = t.step / std::pow(10.0, std::floor(std::log10(t.step) + 1e-9));
    // 2.5 needs a decimal more than its power of ten; 25 and 2500 do not.
    t.decimals = std::max(0, int(-std::floor(std::log10(t.step) + 1e-9)) + (std::abs(mantissa - 2.5) < 1e-6 ? 1 : 0));
    const int count = int(std::round((t.hi - t.lo) / t.step)) + 1;
    for (int k = 0; k < count; ++k) {
        const double v = t.lo + k * t.step;
        t.values.push_back(std::abs(v) < t.step * 1e-9 ? 0.0 : v);  // no "-0"
    }
    return t;
}

QString tickText(double value, const Ticks &ticks) { return QString::number(value, 'f', ticks.decimals); }

AltitudeSpeed altitudeAndSpeed(const astro::Elements &el, astro::Instant epoch, astro::Instant from, int samples)
{
    AltitudeSpeed out;
    if (astro::checkElements(el) || !std::isfinite(epoch.seconds) || !std::isfinite(from.seconds) || samples < 2)
        return out;
    const double revolution = astro::period(el.a);
    out.periodMinutes = revolution / 60;
    out.minutes.reserve(std::size_t(samples));
    out.altitudeKm.reserve(std::size_t(samples));
    out.speedKmS.reserve(std::size_t(samples));
    for (int k = 0; k < samples; ++k) {
        const double dt = revolution * k / (samples - 1);
        const astro::State s = astro::stateAt(el, epoch, astro::Instant{from.seconds + dt});
        out.minutes.push_back(dt / 60);
        out.altitudeKm.push_back((std::hypot(s.r.x, s.r.y, s.r.z) - astro::kEarthRadius) / 1000);
        out.speedKmS.push_back(std::hypot(s.v.x, s.v.y, s.v.z) / 1000);
    }
    return out;
}

double timeToX(double minutes, double spanMinutes, const QRectF &plot)
{
    return spanMinutes > 0 ? plot.left() + minutes / spanMinutes * plot.width() : plot.left();
}

QColor plotBackground() { return QColor(22, 26, 33); }
QColor plotTextColor() { return QColor(227, 231, 238); }
QColor altitudeColor() { return QColor(255, 179, 71); }
QColor speedColor() { return QColor(79, 209, 232); }
QColor timeMarkerColor() { return QColor(255, 92, 138); }

} // namespace view

namespace {

bool sameElements(const astro::Elements &a, const astro::Elements &b)
{
    return a.a == b.a && a.e == b.e && a.i == b.i && a.raan == b.raan && a.argp == b.argp && a.meanAnomaly == b.meanAnomaly;
}

QPolygonF curve(const std::vector<double> &xs, const std::vector<double> &ys, const view::Ticks &yTicks,
                double span, const QRectF &plot)
{
    QPolygonF line;
    line.reserve(qsizetype(xs.size()));
    for (std::size_t k = 0; k < xs.size(); ++k) {
        const double f = (ys[k] - yTicks.lo) / (yTicks.hi - yTicks.lo);
        line << QPointF(view::timeToX(xs[k], span, plot), plot.bottom() - f * plot.height());
    }
    return line;
}

} // namespace

struct PlotView::Private {
    ScenarioStore &store;
    AnimationClock &clock;
    quint64 drawnRevision = 0;
    std::unique_ptr<view::FramePacer> pacer;
    QRectF plotRect;
    // The revolution shown, and for whom.
    std::optional<astro::Instant> start;
    QString satellite;
    // The curves, made again only when the orbit or the revolution changes.
    astro::Elements cachedElements;
    astro::Instant cachedEpoch, cachedStart;
    view::AltitudeSpeed series;

    Private(ScenarioStore &s, AnimationClock &c) : store(s), clock(c) {}

    const view::AltitudeSpeed &seriesFor(const astro::Elements &el, astro::Instant epoch, astro::Instant from)
    {
        if (series.minutes.empty() || !sameElements(el, cachedElements) || epoch.seconds != cachedEpoch.seconds
            || from.seconds != cachedStart.seconds) {
            series = view::altitudeAndSpeed(el, epoch, from);
            cachedElements = el;
            cachedEpoch = epoch;
            cachedStart = from;
        }
        return series;
    }
};

PlotView::PlotView(ScenarioStore &store, AnimationClock &clock, QWidget *parent)
    : QWidget(parent), d(std::make_unique<Private>(store, clock))
{
    setMinimumSize(320, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    d->pacer = std::make_unique<view::FramePacer>(*this, [this] { update(); });
    // As the map: the store signals from the command thread, one repaint per burst.
    connect(&store, &ScenarioStore::changed, this, &PlotView::updatePlot, Qt::QueuedConnection);
    connect(&clock, &AnimationClock::timeChanged, this, &PlotView::updatePlot);
}

PlotView::~PlotView() = default;

QRectF PlotView::plotRect() const { return d->plotRect; }
astro::Instant PlotView::windowStart() const { return d->start.value_or(astro::Instant{}); }
quint64 PlotView::drawnRevision() const { return d->drawnRevision; }

void PlotView::updatePlot()
{
    d->pacer->request();
}

void PlotView::paintEvent(QPaintEvent *)
{
    QElapsedTimer timer;
    timer.start();
    d->pacer->painted();
    const SnapshotPtr snap = d->store.takeChange();
    d->drawnRevision = snap->revision;
    QPainter p(this);
    p.fillRect(rect(), view::plotBackground());
    QFont font = p.font();
    font.setPointSizeF(9);
    p.setFont(font);
    const QFontMetricsF fm(font);

    const SatelliteState *sat = snap->scenarioOpen ? snap->selectedSatellite() : nullptr;
    if (!sat || !sat->drawable()) {
        d->plotRect = {};
        d->start.reset();
        p.setPen(view::plotTextColor());
        p.drawText(rect(), Qt::AlignCenter, tr("No satellite with an orbit"));
        emit frameDrawn(double(timer.nsecsElapsed()) / 1e6);
        return;
    }

    const astro::Instant now = d->clock.now();
    const double revolution = astro::period(sat->elements.a);
    // A new revolution once the time leaves the one shown, or for another satellite.
    if (!d->start || sat->name != d->satellite || now.seconds < d->start->seconds
        || now.seconds > d->start->seconds + revolution)
        d->start = now;
    d->satellite = sat->name;
    const view::AltitudeSpeed &s = d->seriesFor(sat->elements, sat->elementsEpoch, *d->start);
    if (s.minutes.empty()) {
        d->plotRect = {};
        emit frameDrawn(double(timer.nsecsElapsed()) / 1e6);
        return;
    }

    const auto [altLo, altHi] = std::minmax_element(s.altitudeKm.begin(), s.altitudeKm.end());
    const auto [vLo, vHi] = std::minmax_element(s.speedKmS.begin(), s.speedKmS.end());
    const int rows = height() < 300 ? 4 : 6;
    const view::Ticks alt = view::niceTicks(*altLo, *altHi, rows);
    const view::Ticks speed = view::niceTicks(*vLo, *vHi, rows);
    const view::Ticks minutes = view::niceTicks(0, s.periodMinutes, width() < 520 ? 5 : 9);

    const QString altTitle = tr("Altitude (km)");
    const QString speedTitle = tr("Speed (km/s)");
    const QString timeTitle = tr("Minutes from %1").arg(QString::fromStdString(astro::formatDate(*d->start)));
    double altWidth = 0, speedWidth = 0;
    for (double v : alt.values)
        altWidth = std::max(altWidth, fm.horizontalAdvance(view::tickText(v, alt)));
    for (double v : speed.values)
        speedWidth = std::max(speedWidth, fm.horizontalAdvance(view::tickText(v, speed)));
    const double line = fm.height();
    const double gap = 6;
    const QRectF plot = QRectF(rect()).adjusted(gap + line + gap + altWidth + gap, gap + line + 2 * gap,
                                               -(gap + line + gap + speedWidth + gap), -(gap + 2 * line + 2 * gap));
    d->plotRect = plot;
    if (plot.width() < 20 || plot.height() < 20)
        return;

    const QColor grid(43, 50, 61);
    const auto yOf = [&](double v, const view::Ticks &t) { return plot.bottom() - (v - t.lo) / (t.hi - t.lo) * plot.height(); };

    // Grid and ticks: altitude's rows across, time's columns down; speed's ticks on the right.
    p.setPen(QPen(grid, 1));
    for (double v : alt.values)
        p.drawLine(QPointF(plot.left(), yOf(v, alt)), QPointF(plot.right(), yOf(v, alt)));
    for (double v : minutes.values) {
        if (v <= s.periodMinutes + 1e-9)
            p.drawLine(QPointF(view::timeToX(v, s.periodMinutes, plot), plot.top()),
                       QPointF(view::timeToX(v, s.periodMinutes, plot), plot.bottom()));
    }
    p.setPen(view::plotTextColor());
    for (double v : alt.values) {
        const QRectF box(plot.left() - gap - altWidth, yOf(v, alt) - line / 2, altWidth, line);
        p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, view::tickText(v, alt));
        p.drawLine(QPointF(plot.left() - 3, yOf(v, alt)), QPointF(plot.left(), yOf(v, alt)));
    }
    for (double v : speed.values) {
        const QRectF box(plot.right() + gap, yOf(v, speed) - line / 2, speedWidth, line);
        p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, view::tickText(v, speed));
        p.drawLine(QPointF(plot.right(), yOf(v, speed)), QPointF(plot.right() + 3, yOf(v, speed)));
    }
    for (double v : minutes.values) {
        if (v > s.periodMinutes + 1e-9)
            continue;
        const double x = view::timeToX(v, s.periodMinutes, plot);
        const QString text = view::tickText(v, minutes);
        const double w = fm.horizontalAdvance(text);
        p.drawText(QRectF(std::min(x - w / 2, plot.right() - w), plot.bottom() + 3, w, line), Qt::AlignCenter, text);
        p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 3));
    }
    // Under the plot, or under the whole width when the plot is narrower than the words.
    const QString timeWords = fm.elidedText(timeTitle, Qt::ElideRight, width() - 2 * gap);
    const double timeWidth = fm.horizontalAdvance(timeWords);
    const double timeLeft = std::clamp(plot.center().x() - timeWidth / 2, gap, width() - gap - timeWidth);
    p.drawText(QPointF(timeLeft, plot.bottom() + 3 + line + gap / 2 + fm.ascent()), timeWords);

    // Axis titles along their axes, each in its curve's colour.
    p.save();
    p.setPen(view::altitudeColor());
    p.translate(gap, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-plot.height() / 2, 0, plot.height(), line), Qt::AlignCenter, altTitle);
    p.restore();
    p.save();
    p.setPen(view::speedColor());
    p.translate(width() - gap, plot.center().y());
    p.rotate(90);
    p.drawText(QRectF(-plot.height() / 2, 0, plot.height(), line), Qt::AlignCenter, speedTitle);
    p.restore();

    p.setPen(QPen(QColor(107, 118, 132), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);

    p.setRenderHint(QPainter::Antialiasing);
    p.save();
    p.setClipRect(plot.adjusted(-2, -2, 2, 2));
    p.setPen(QPen(view::altitudeColor(), 2));
    p.drawPolyline(curve(s.minutes, s.altitudeKm, alt, s.periodMinutes, plot));
    p.setPen(QPen(view::speedColor(), 2));
    p.drawPolyline(curve(s.minutes, s.speedKmS, speed, s.periodMinutes, plot));
    p.restore();

    // The marker over the curves, on whole pixels so that it stays one sharp column.
    p.setRenderHint(QPainter::Antialiasing, false);
    const double x = std::round(view::timeToX((now.seconds - d->start->seconds) / 60, s.periodMinutes, plot));
    p.setPen(QPen(view::timeMarkerColor(), 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    p.setRenderHint(QPainter::Antialiasing);

    // Legend: the satellite, then a short sample of each line with its words.
    double lx = plot.left();
    const double ly = gap + line / 2;
    p.setPen(view::plotTextColor());
    double entries = 0;
    for (const QString &words : {tr("altitude"), tr("speed"), tr("now")})
        entries += 22 + fm.horizontalAdvance(words) + 2 * gap;
    const QString who = fm.elidedText(tr("%1, one revolution").arg(sat->name), Qt::ElideRight,
                                      std::max(40.0, width() - plot.left() - entries - 3 * gap - gap));
    p.drawText(QPointF(lx, gap + fm.ascent()), who);
    lx += fm.horizontalAdvance(who) + 3 * gap;
    const auto entry = [&](const QColor &color, bool vertical, const QString &words) {
        p.setPen(QPen(color, 2));
        if (vertical)
            p.drawLine(QPointF(lx + 9, ly - line / 2 + 1), QPointF(lx + 9, ly + line / 2 - 1));
        else
            p.drawLine(QPointF(lx, ly), QPointF(lx + 18, ly));
        p.setPen(view::plotTextColor());
        p.drawText(QPointF(lx + 22, gap + fm.ascent()), words);
        lx += 22 + fm.horizontalAdvance(words) + 2 * gap;
    };
    entry(view::altitudeColor(), false, tr("altitude"));
    entry(view::speedColor(), false, tr("speed"));
    entry(view::timeMarkerColor(), true, tr("now"));

    // As the other views: the curves are the old orbit's until a state is accepted.
    if (const QString refusal = view::refusalLine(*snap); !refusal.isEmpty()) {
        const view::RefusalLayout r = view::layOutRefusal(refusal, font, plot.topLeft() + QPointF(6, 6), plot.width() - 12);
        view::paintRefusal(p, r.box, r.lines, font);
    }
    emit frameDrawn(double(timer.nsecsElapsed()) / 1e6);
}

} // namespace zep
