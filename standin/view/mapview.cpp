#include "standin/view/mapview.h"

#include "standin/astro/groundtrack.h"
#include "standin/view/framepacer.h"
#include "standin/view/globe.h"
#include "standin/view/mapgeometry.h"
#include "standin/view/overlaypainter.h"
#include "standin/view/scenebuilder.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

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

bool sameElements(const astro::Elements &a, const astro::Elements &b)
{
    return a.a == b.a && a.e == b.e && a.i == b.i && a.raan == b.raan && a.argp == b.argp && a.meanAnomaly == b.meanAnomaly;
}

constexpr int kMarkHalf = 8;  // the sub-point's picture, half its side
constexpr std::size_t kExactLiveTracks = 8;

// Words over the picture: light on a small dark box, legible over ice and ocean alike.
const QColor kLabelText(230, 234, 240);
const QColor kLabelBox(0, 0, 0, 150);

void drawBoxed(QPainter &p, const QRectF &box, const QString &text)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kLabelBox);
    p.drawRoundedRect(box, 2, 2);
    p.setPen(kLabelText);
    p.drawText(box, Qt::AlignCenter, text);
}

struct EdgeLabel {
    QString text;
    QRectF box;
};

// Longitudes along the top edge, latitudes along the left one, every 30
// degrees; on a small map every 60 or 90, so that no two labels touch, and
// a latitude that would meet the top row is left out.
std::vector<EdgeLabel> gridLabels(const QRectF &map, const QFontMetricsF &fm)
{
    const auto box = [&](const QString &text, QPointF anchor, bool centredAcross) {
        const QSizeF size(fm.horizontalAdvance(text) + 6, fm.height());
        return centredAcross ? QRectF(anchor.x() - size.width() / 2, anchor.y(), size.width(), size.height())
                             : QRectF(anchor.x(), anchor.y() - size.height() / 2, size.width(), size.height());
    };
    const auto meets = [](const std::vector<EdgeLabel> &placed, const QRectF &r) {
        return std::any_of(placed.begin(), placed.end(),
                           [&](const EdgeLabel &l) { return l.box.adjusted(-2, -1, 2, 1).intersects(r); });
    };
    std::vector<EdgeLabel> out;
    for (const int step : {30, 60, 90}) {
        out.clear();
        bool fits = true;
        for (int lon = -180 + step; lon < 180 && fits; lon += step) {
            const QString text = view::longitudeLabel(lon);
            const QRectF r = box(text, {view::mapPoint({0, double(lon)}, map).x(), map.top() + 2}, true);
            fits = map.contains(r) && !meets(out, r);
            out.push_back({text, r});
        }
        if (fits)
            break;
        out.clear();
    }
    const std::size_t top = out.size();
    for (const int step : {30, 60}) {
        out.resize(top);
        bool fits = true;
        for (int lat = 90 - step; lat > -90 && fits; lat -= step) {
            const QString text = view::latitudeLabel(lat);
            const QRectF r = box(text, {map.left() + 2, view::mapPoint({double(lat), 0}, map).y()}, false);
            const std::vector<EdgeLabel> left(out.begin() + std::ptrdiff_t(top), out.end());
            fits = map.contains(r) && !meets(left, r);
            if (!meets(out, r))
                out.push_back({text, r});
        }
        if (fits)
            break;
        out.resize(top);
    }
    return out;
}

// The track is sampled by the degree, finer than the map's pixels on most
// windows; points closer than half a pixel to the last one kept add nothing
// to the line but cost its drawing.
QPolygonF projected(const astro::GeoPolyline &line, const QRectF &map)
{
    QPolygonF poly;
    poly.reserve(qsizetype(line.size()));
    for (std::size_t k = 0; k < line.size(); ++k) {
        const QPointF at = view::mapPoint(line[k], map);
        const bool last = k + 1 == line.size();
        if (poly.isEmpty() || last || std::abs(at.x() - poly.back().x()) + std::abs(at.y() - poly.back().y()) >= 0.5)
            poly << at;
    }
    return poly;
}

// The stretch from..to of a track's samples, its ends exact, split at the date line.
std::vector<QPolygonF> trackLines(const std::vector<astro::TrackSample> &samples, const astro::Elements &el,
                                  astro::Instant epoch, double from, double to, const QRectF &map)
{
    std::vector<QPolygonF> out;
    if (samples.empty() || !(to > from))
        return out;
    const auto at = [&](double t) {
        return astro::subSatellitePoint(astro::stateAt(el, epoch, astro::Instant{t}).r, astro::Instant{t});
    };
    const auto before = [](const astro::TrackSample &s, double t) { return s.t <= t; };
    std::vector<astro::GeoPoint> points{at(from)};
    for (auto it = std::lower_bound(samples.begin(), samples.end(), from, before); it != samples.end() && it->t < to; ++it)
        points.push_back(it->at);
    points.push_back(at(to));
    for (const astro::GeoPolyline &line : astro::splitAtDateLine(points))
        out.push_back(projected(line, map));
    return out;
}

// The samples are made for whole sixteenths of the span around it, so that
// while the time plays they serve many frames; only the cut and the
// projection follow every frame.
struct SampleKey {
    astro::Elements elements;
    double epoch = 0, begin = 0, end = 0;

    bool operator==(const SampleKey &o) const
    {
        return sameElements(elements, o.elements) && epoch == o.epoch && begin == o.begin && end == o.end;
    }
};

struct LineKey {
    double begin = 0, now = 0, end = 0;
    QRectF map;

    bool operator==(const LineKey &o) const { return begin == o.begin && now == o.now && end == o.end && map == o.map; }
};

// One satellite's or kept orbit's track in the widget's coordinates.
struct Track {
    SampleKey sampleKey;
    std::vector<astro::TrackSample> samples;
    LineKey lineKey;
    std::vector<QPolygonF> past, future;
    quint64 generation = 0;  // counts the times it was made
    bool changed = true;     // made this frame
    // Made neither this frame nor the one before. While the time plays,
    // frames for an edit alone come between its ticks: a track that stood
    // still for one of them only would have the pictures of the unchanged
    // ones painted anew, the slow way, once a tick.
    bool settled = false;
    bool seen = false;
};

// What the map draws for one satellite or kept orbit, bottom to top.
struct Entry {
    QString id;  // the cache's key
    const Track *track = nullptr;
    QColor color;
    QString label;
    astro::Elements elements;
    astro::Instant epoch;
    bool kept = false;
    bool selected = false;
};

enum class TrackStyle { Past, Next, Kept };

// A track's line in its style. Outlining wide pens costs the raster engine
// a couple of milliseconds a track, too much for dozens of satellites
// playing; `fast` strokes lines a device pixel wide instead, many times
// cheaper, the coming revolution's heavier line as two of them a device
// pixel apart, across the track.
void strokeTrack(QPainter &p, const std::vector<QPolygonF> &lines, QColor color, TrackStyle style, qreal ratio, bool fast)
{
    QPen pen(color, style == TrackStyle::Next ? 2 : style == TrackStyle::Past ? 1.5 : 1.25);
    if (fast) {
        pen.setCosmetic(true);
        pen.setWidthF(ratio);
    }
    if (style == TrackStyle::Past)
        color.setAlpha(fast ? 140 : 120);
    if (style == TrackStyle::Kept) {
        color.setAlphaF(0.45f);
        pen.setDashPattern({4, 3});
    }
    pen.setColor(color);
    p.setPen(pen);
    const double h = 0.5 / ratio;
    std::vector<QPointF> offsets{{0, 0}};
    if (fast && style == TrackStyle::Next)
        offsets = {{-h, -h}, {h, h}};
    for (const QPointF off : offsets) {
        p.translate(off);
        for (const QPolygonF &line : lines)
            p.drawPolyline(line);
        p.translate(-off);
    }
}

void drawTrack(QPainter &p, const Entry &e, qreal ratio, bool fast)
{
    // The past first, so that the coming revolution lies on top where they meet.
    strokeTrack(p, e.track->past, e.color, TrackStyle::Past, ratio, fast);
    strokeTrack(p, e.track->future, e.color, e.kept ? TrackStyle::Kept : TrackStyle::Next, ratio, fast);
}

// The legend's samples: the styles drawTrack() uses, in a light neutral colour.
void drawLegend(QPainter &p, const QRectF &box, const QFontMetricsF &fm, bool withKept, qreal ratio)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kLabelBox);
    p.drawRoundedRect(box, 2, 2);
    double x = box.left() + 5;
    const double y = box.center().y();
    const auto sample = [&](TrackStyle style, const QString &words) {
        strokeTrack(p, {QPolygonF{QPointF(x, y), QPointF(x + 16, y)}}, kLabelText, style, ratio, false);
        p.setPen(kLabelText);
        p.drawText(QRectF(x + 20, box.top(), fm.horizontalAdvance(words) + 1, box.height()), Qt::AlignLeft | Qt::AlignVCenter, words);
        x += 20 + fm.horizontalAdvance(words) + 10;
    };
    sample(TrackStyle::Past, QObject::tr("past revolution"));
    sample(TrackStyle::Next, QObject::tr("next revolution"));
    if (withKept)
        sample(TrackStyle::Kept, QObject::tr("kept orbit"));
}

double legendWidth(const QFontMetricsF &fm, bool withKept)
{
    double w = 5 - 10;
    for (const QString &words : {QObject::tr("past revolution"), QObject::tr("next revolution")})
        w += 20 + fm.horizontalAdvance(words) + 10;
    if (withKept)
        w += 20 + fm.horizontalAdvance(QObject::tr("kept orbit")) + 10;
    return w + 5;
}

} // namespace

struct MapView::Private {
    ScenarioStore &store;
    AnimationClock &clock;
    std::shared_ptr<view::EarthImagery> imagery;
    QImage backdrop;
    quint64 drawnRevision = 0;
    std::unique_ptr<view::FramePacer> pacer;
    // Tracks by satellite or kept orbit, made again only when their key changes;
    // a node map, so that a frame's pointers to them outlive its insertions.
    std::unordered_map<QString, Track> tracks;
    // The tracks that stayed as they were since the last frame, drawn once
    // into a picture of the map's size: with many satellites and one being
    // edited, a frame draws the picture and the edited track alone.
    // The selected satellite has a picture of its own, so that it stays on
    // top of a track that is being edited.
    struct Layer {
        QImage image;
        std::vector<std::pair<QString, quint64>> contents;
        QRectF map;
        qreal ratio = 0;
    };
    Layer below, selected;

    // The sub-point's disc (a kept orbit's ring) by colour: stroking
    // dozens of antialiased circles a frame costs more than the tracks.
    QHash<QRgb, QImage> discs, rings;
    const QImage &mark(const QColor &color, bool ring, qreal ratio);

    const Track &track(const QString &id, const Entry &e, astro::TimeSpan span, astro::Instant now, const QRectF &map);
    static const QImage &paintLayer(Layer &layer, const std::vector<Entry> &entries, const QRectF &map, qreal ratio);

    Private(ScenarioStore &s, AnimationClock &c, std::shared_ptr<view::EarthImagery> i)
        : store(s), clock(c), imagery(i ? std::move(i) : std::make_shared<view::EarthImagery>())
    {
        imagery->prepare();
    }
};

const Track &MapView::Private::track(const QString &id, const Entry &e, astro::TimeSpan span, astro::Instant now,
                                     const QRectF &map)
{
    Track &t = tracks[id];
    t.seen = true;
    const double step = std::max(1.0, (span.end.seconds - span.begin.seconds) / 16);
    const SampleKey samples{e.elements, e.epoch.seconds, std::floor(span.begin.seconds / step) * step,
                            std::ceil(span.end.seconds / step) * step};
    const LineKey lines{span.begin.seconds, now.seconds, span.end.seconds, map};
    const bool fresh = t.generation == 0 || !(t.sampleKey == samples);
    if (fresh) {
        // Time playing on slides the window of the same orbit: with dozens of
        // satellites, sampling each window whole cost the map most of its frame.
        const bool sameOrbit = t.generation > 0 && sameElements(t.sampleKey.elements, e.elements)
            && t.sampleKey.epoch == samples.epoch;
        t.samples = sameOrbit ? view::slideTrackSamples(std::move(t.samples), e.elements, e.epoch, samples.begin, samples.end)
                              : astro::trackSamples(e.elements, e.epoch, astro::Instant{samples.begin},
                                                    astro::Instant{samples.end});
        t.sampleKey = samples;
    }
    const bool changedBefore = t.changed;
    t.changed = fresh || !(t.lineKey == lines);
    t.settled = !t.changed && !changedBefore;
    if (t.changed) {
        t.lineKey = lines;
        ++t.generation;
        t.past = e.kept ? std::vector<QPolygonF>{}
                        : trackLines(t.samples, e.elements, e.epoch, span.begin.seconds, now.seconds, map);
        t.future = trackLines(t.samples, e.elements, e.epoch, now.seconds, span.end.seconds, map);
    }
    return t;
}

const QImage &MapView::Private::mark(const QColor &color, bool ring, qreal ratio)
{
    QHash<QRgb, QImage> &cache = ring ? rings : discs;
    if (cache.size() > 4 * kMaxSatellites && !cache.contains(color.rgba()))
        cache.clear();  // colours come and go; keep what a scenario can show
    QImage &image = cache[color.rgba()];
    if (!image.isNull() && image.devicePixelRatio() == ratio)
        return image;
    image = QImage(QSize(2 * kMarkHalf, 2 * kMarkHalf) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(kMarkHalf, kMarkHalf);
    if (ring) {
        p.setPen(QPen(color, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, 3, 3);
    } else {
        p.setPen(QPen(QColor(0, 0, 0, 220), 1.5));
        p.setBrush(color);
        p.drawEllipse(centre, 5.5, 5.5);
    }
    return image;
}

const QImage &MapView::Private::paintLayer(Layer &layer, const std::vector<Entry> &entries, const QRectF &map,
                                           qreal ratio)
{
    std::vector<std::pair<QString, quint64>> contents;
    contents.reserve(entries.size());
    for (const Entry &e : entries)
        contents.emplace_back(e.id, e.track->generation);
    if (contents == layer.contents && map == layer.map && ratio == layer.ratio && !layer.image.isNull())
        return layer.image;
    layer.contents = std::move(contents);
    layer.map = map;
    layer.ratio = ratio;
    layer.image = QImage((map.size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    layer.image.setDevicePixelRatio(ratio);
    layer.image.fill(Qt::transparent);
    QPainter p(&layer.image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(-map.topLeft());
    for (const Entry &e : entries)
        drawTrack(p, e, ratio, false);
    return layer.image;
}

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
    d->pacer = std::make_unique<view::FramePacer>(*this, [this] { update(mapRect().toAlignedRect()); });
    connect(&store, &ScenarioStore::changed, this, &MapView::updateMap, Qt::QueuedConnection);
    connect(&clock, &AnimationClock::timeChanged, this, &MapView::updateMap);
}

void MapView::updateMap()
{
    d->pacer->request();
}

MapView::~MapView() = default;

QRectF MapView::mapRect() const { return view::fittedMap(size()); }
quint64 MapView::drawnRevision() const { return d->drawnRevision; }
bool MapView::pictureReady() const { return d->imagery->picturesIfReady() != nullptr; }

void MapView::paintEvent(QPaintEvent *)
{
    QElapsedTimer timer;
    timer.start();
    d->pacer->painted();
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

    const QFont nameFont = p.font();
    QFont labelFont = nameFont;
    labelFont.setPointSizeF(map.width() < 480 ? 7 : 8);
    const QFontMetricsF labelMetrics(labelFont);
    const std::vector<EdgeLabel> grid = gridLabels(map, labelMetrics);
    std::vector<QRectF> words;  // the map's own, which a name keeps clear of where it can
    for (const EdgeLabel &l : grid)
        words.push_back(l.box);

    // The words in the bottom corners: the credit on the right, the legend on
    // the left, or above the credit when the map is too narrow for both in a row.
    const QString credit = pictures && pictures->photographic ? pictures->credit() : QString();
    const QRectF creditBox = credit.isEmpty() ? QRectF()
        : QRectF(map.right() - 6 - p.fontMetrics().horizontalAdvance(credit), map.bottom() - 4 - p.fontMetrics().height(),
                 p.fontMetrics().horizontalAdvance(credit), p.fontMetrics().height());
    if (!creditBox.isEmpty())
        words.push_back(creditBox);
    const bool withKept = snap->scenarioOpen && !snap->keptOrbits.empty();
    QRectF legendBox(map.left() + 4, map.bottom() - 4 - (labelMetrics.height() + 4), legendWidth(labelMetrics, withKept),
                     labelMetrics.height() + 4);
    if (!creditBox.isEmpty() && legendBox.right() + 8 > creditBox.left())
        legendBox.moveBottomRight(QPointF(map.right() - 4, creditBox.top() - 3));
    const bool legend = snap->scenarioOpen && map.contains(legendBox);
    if (legend)
        words.push_back(legendBox);

    const astro::Instant now = d->clock.now();
    std::vector<Entry> entries;
    if (snap->scenarioOpen) {
        // Kept orbits beneath, then the satellites in the order they were made, the selected one on top.
        for (const KeptOrbit &k : snap->keptOrbits) {
            Entry e{QStringLiteral("kept %1").arg(k.number), nullptr, k.color, tr("Kept %1").arg(k.number), k.elements, k.epoch, true};
            if (!astro::checkElements(k.elements))
                entries.push_back(e);
        }
        const SatelliteState *selected = snap->selectedSatellite();
        for (const SatelliteState &sat : snap->satellites) {
            if (sat.drawable() && &sat != selected)
                entries.push_back({QStringLiteral("satellite ") + sat.name.toLower(), nullptr, sat.color, sat.name,
                                   sat.elements, sat.elementsEpoch});
        }
        if (selected && selected->drawable())
            entries.push_back({QStringLiteral("satellite ") + selected->name.toLower(), nullptr, selected->color,
                               selected->name, selected->elements, selected->elementsEpoch, false, true});
    }
    for (Entry &e : entries) {
        const astro::TimeSpan span = astro::groundTrackSpan(e.elements, now);
        // A kept orbit: one revolution from now, no past.
        e.track = &d->track(e.id, e, e.kept ? astro::TimeSpan{now, span.end} : span, now, map);
    }
    for (auto it = d->tracks.begin(); it != d->tracks.end();)
        it = it->second.seen ? std::next(it) : d->tracks.erase(it);
    for (auto &[id, t] : d->tracks)
        t.seen = false;

    // What stayed as it was comes from pictures; what changed this frame or
    // the last is drawn afresh, under the selected satellite all the same.
    std::vector<Entry> still, moving, top;
    for (const Entry &e : entries)
        (!e.track->settled ? moving : e.selected ? top : still).push_back(e);
    const qreal ratio = devicePixelRatioF();
    if (!still.empty())
        p.drawImage(map, Private::paintLayer(d->below, still, map, ratio));
    // A few edited tracks are drawn as the pictures are; many, as while the time plays, the fast way.
    const bool fast = moving.size() > kExactLiveTracks;
    for (const Entry &e : moving)
        drawTrack(p, e, ratio, fast);
    if (!top.empty())
        p.drawImage(map, Private::paintLayer(d->selected, top, map, ratio));

    // Sub-points, then the names: the selected one's name first, where it likes best.
    struct Placed {
        QPointF at;
        const Entry *entry;
    };
    std::vector<Placed> points;
    for (const Entry &e : entries) {
        const astro::State state = astro::stateAt(e.elements, e.epoch, now);
        const QPointF at = view::mapPoint(astro::subSatellitePoint(state.r, now), map);
        if (std::isfinite(at.x()) && std::isfinite(at.y()))
            points.push_back({at, &e});
    }
    // The map's words under the points and names, which matter more.
    p.setFont(labelFont);
    for (const EdgeLabel &l : grid)
        drawBoxed(p, l.box, l.text);
    if (legend)
        drawLegend(p, legendBox, labelMetrics, withKept, ratio);
    std::vector<QRectF> taken;
    for (const Placed &pt : points) {
        const QImage &mark = d->mark(pt.entry->color, pt.entry->kept, ratio);
        p.drawImage(pt.at - QPointF(kMarkHalf, kMarkHalf), mark);
        taken.push_back(QRectF(pt.at - QPointF(6, 6), QSizeF(12, 12)));
    }
    const QFontMetricsF nameMetrics(nameFont);
    std::vector<std::pair<QRectF, const Entry *>> names;
    const auto placeName = [&](const Placed &pt) {
        const QSizeF size(nameMetrics.horizontalAdvance(pt.entry->label) + 2, nameMetrics.height());
        const QRectF box = view::placeLabel(pt.at, size, map, taken, words);
        taken.push_back(box);
        names.push_back({box, pt.entry});
    };
    for (auto it = points.rbegin(); it != points.rend(); ++it) {
        if (!it->entry->kept)
            placeName(*it);  // the selected one is last in the order
    }
    for (const Placed &pt : points) {
        if (pt.entry->kept)
            placeName(pt);
    }
    p.setFont(nameFont);
    for (const auto &[box, entry] : names) {
        const QRectF text = box.adjusted(1, 0, 0, 0);
        p.setPen(QColor(0, 0, 0, 200));
        p.drawText(text.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter, entry->label);
        p.setPen(entry->color);
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, entry->label);
    }
    if (!credit.isEmpty()) {
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
