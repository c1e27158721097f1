#include "standin/view/mapview.h"

#include "standin/astro/groundtrack.h"
#include "standin/view/globe.h"
#include "standin/view/mapgeometry.h"
#include "standin/view/overlaypainter.h"
#include "standin/view/scenebuilder.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace zep {

namespace {

// The picture at the map's size with its grid, made again only on resize.
QImage backdrop(const QImage &picture, QSize size)
{
    QImage out = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.fillRect(out.rect(), QColor(0, 0, 0, 50));  // lets the track stand out over bright land
    const QRectF map(QPointF(0, 0), QSizeF(size));
    for (int lon = -150; lon <= 150; lon += 30) {
        p.setPen(QPen(QColor(255, 255, 255, lon == 0 ? 110 : 60), 1));
        p.drawLine(view::mapPoint({90, double(lon)}, map), view::mapPoint({-90, double(lon)}, map));
    }
    for (int lat = -60; lat <= 60; lat += 30) {
        p.setPen(QPen(QColor(255, 255, 255, lat == 0 ? 110 : 60), 1));
        p.drawLine(view::mapPoint({double(lat), -180}, map), view::mapPoint({double(lat), 180}, map));
    }
    return out;
}

// The smallest level of the chain that still covers `size`: scaling from it
// costs a fraction of scaling the whole picture and looks the same.
const QImage &levelFor(const QList<QImage> &chain, QSize size)
{
    qsizetype best = 0;
    const auto covers = [&](const QImage &level) { return level.width() >= size.width() && level.height() >= size.height(); };
    while (best + 1 < chain.size() && covers(chain[best + 1]))
        ++best;
    return chain[best];
}

void drawSubPoint(QPainter &p, QPointF at, const QColor &color, const QString &name)
{
    p.setPen(QPen(QColor(0, 0, 0, 220), 1.5));
    p.setBrush(color);
    p.drawEllipse(at, 5.5, 5.5);
    const QPointF textAt = at + QPointF(9, -7);
    p.setPen(QColor(0, 0, 0, 200));
    p.drawText(textAt + QPointF(1, 1), name);
    p.setPen(color);
    p.drawText(textAt, name);
}

} // namespace

struct MapView::Private {
    ScenarioStore &store;
    AnimationClock &clock;
    std::shared_ptr<view::EarthImagery> imagery;
    QImage backdrop;
    quint64 drawnRevision = 0;
    QElapsedTimer lastFrame;
    QTimer nextFrame;

    Private(ScenarioStore &s, AnimationClock &c, std::shared_ptr<view::EarthImagery> i)
        : store(s), clock(c), imagery(i ? std::move(i) : std::make_shared<view::EarthImagery>())
    {
        imagery->prepare();
    }
};

MapView::MapView(ScenarioStore &store, AnimationClock &clock, std::shared_ptr<view::EarthImagery> imagery,
                 QWidget *parent)
    : QWidget(parent), d(std::make_unique<Private>(store, clock, std::move(imagery)))
{
    setMinimumSize(160, 80);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);  // as the 3-D view: keys reach a graphics window
    // As the 3-D view: the store signals from the command thread, one repaint per burst.
    // Only the map itself changes: the band around it stays, and a repaint
    // sends a third of the pixels to the screen.
    d->nextFrame.setSingleShot(true);
    connect(&d->nextFrame, &QTimer::timeout, this, [this] { update(mapRect().toAlignedRect()); });
    connect(&store, &ScenarioStore::changed, this, &MapView::updateMap, Qt::QueuedConnection);
    connect(&clock, &AnimationClock::timeChanged, this, &MapView::updateMap);
}

// At most one frame per refresh of the screen, as the 3-D view: a raster
// window would otherwise repaint for every burst, faster than anyone sees,
// and take the time from the 3-D view's frames.
void MapView::updateMap()
{
    if (d->nextFrame.isActive())
        return;
    const qreal hz = screen() ? screen()->refreshRate() : 60;
    const qint64 interval = qint64(1000 / qMax(hz, qreal(1)));
    const qint64 since = d->lastFrame.isValid() ? d->lastFrame.elapsed() : interval;
    d->nextFrame.start(int(qMax(qint64(0), interval - since)));
}

MapView::~MapView() = default;

QRectF MapView::mapRect() const { return view::fittedMap(size()); }
quint64 MapView::drawnRevision() const { return d->drawnRevision; }
bool MapView::pictureReady() const { return d->imagery->picturesIfReady() != nullptr; }

void MapView::paintEvent(QPaintEvent *)
{
    QElapsedTimer timer;
    timer.start();
    d->lastFrame.start();
    const SnapshotPtr snap = d->store.takeChange();
    QPainter p(this);
    p.fillRect(rect(), QColor(5, 7, 13));
    const QRectF map = mapRect();
    const QSize mapSize = map.size().toSize();
    const auto pictures = d->imagery->picturesIfReady();
    if (!pictures) {
        p.fillRect(map, QColor(16, 40, 72));
        QTimer::singleShot(50, this, qOverload<>(&QWidget::update));
    } else if (!mapSize.isEmpty()) {
        if (d->backdrop.size() != mapSize)
            d->backdrop = backdrop(levelFor(pictures->day, mapSize), mapSize);
        p.drawImage(map.topLeft(), d->backdrop);
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(map);

    const SatelliteState *selected = snap->selectedSatellite();
    std::vector<const SatelliteState *> order;
    for (const SatelliteState &sat : snap->satellites)
        if (sat.drawable() && &sat != selected)
            order.push_back(&sat);
    if (selected && selected->drawable())
        order.push_back(selected);  // on top
    const astro::Instant now = d->clock.now();
    for (const SatelliteState *sat : order) {
        const astro::TimeSpan span = astro::groundTrackSpan(sat->elements, now);
        auto drawTrack = [&](astro::Instant from, astro::Instant to, const QPen &pen) {
            p.setPen(pen);
            for (const astro::GeoPolyline &line : astro::groundTrack(sat->elements, sat->elementsEpoch, from, to)) {
                QPolygonF poly;
                poly.reserve(qsizetype(line.size()));
                for (const astro::GeoPoint &g : line)
                    poly << view::mapPoint(g, map);
                p.drawPolyline(poly);
            }
        };
        QColor past = sat->color;
        past.setAlpha(120);
        // The past first, so that the coming revolution lies on top where they meet.
        drawTrack(span.begin, now, QPen(past, 1.5));
        drawTrack(now, span.end, QPen(sat->color, 2));

        const astro::State state = astro::stateAt(sat->elements, sat->elementsEpoch, now);
        const QPointF at = view::mapPoint(astro::subSatellitePoint(state.r, now), map);
        if (std::isfinite(at.x()) && std::isfinite(at.y()))
            drawSubPoint(p, at, sat->color, sat->name);
    }
    if (pictures && pictures->photographic) {
        const QString credit = pictures->credit();
        const QRectF box = map.adjusted(0, 0, -6, -4);
        p.setPen(QColor(0, 0, 0, 200));
        p.drawText(box.translated(1, 1), Qt::AlignRight | Qt::AlignBottom, credit);
        p.setPen(QColor(215, 220, 230));
        p.drawText(box, Qt::AlignRight | Qt::AlignBottom, credit);
    }
    // As over the 3-D view: the track is the old orbit's until a state is accepted.
    if (const QString refusal = view::refusalLine(*snap); !refusal.isEmpty()) {
        QFont font = p.font();
        font.setPointSizeF(map.width() < 480 ? 8 : 9.5);
        const view::RefusalLayout r =
            view::layOutRefusal(refusal, font, map.topLeft() + QPointF(6, 6), map.width() - 12);
        view::paintRefusal(p, r.box, r.lines, font);
    }
    d->drawnRevision = snap->revision;
    emit frameDrawn(double(timer.nsecsElapsed()) / 1e6);
}

} // namespace zep
