// The map window: where latitudes and longitudes land, where a name goes,
// and what a frame shows, read back pixel by pixel on a real display.

#include "standin/astro/groundtrack.h"
#include "standin/view/mapgeometry.h"
#include "standin/view/mapview.h"
#include "standin/view/overlaypainter.h"
#include "standin/view/samplescene.h"
#include "viewtest.h"

#include <QTest>

using namespace zep;
using viewtest::elements;

Q_DECLARE_METATYPE(zep::astro::Elements)

namespace {

bool sameColor(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) <= 8 && std::abs(a.green() - b.green()) <= 8 && std::abs(a.blue() - b.blue()) <= 8;
}

} // namespace

class TstViewMapView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        map_ = std::make_unique<MapView>(store_, clock_);
        map_->resize(800, 400);  // the map fills it: the equator is rows 199 and 200
        map_->show();
        QVERIFY(QTest::qWaitForWindowExposed(map_.get(), 20000));
        QTRY_VERIFY_WITH_TIMEOUT(map_->pictureReady(), 20000);
    }

    void placement_data()
    {
        QTest::addColumn<QSizeF>("area");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<QPointF>("expected");
        QTest::newRow("centre of a 2:1 area") << QSizeF(360, 180) << 0.0 << 0.0 << QPointF(180, 90);
        QTest::newRow("north-west corner") << QSizeF(360, 180) << 90.0 << -180.0 << QPointF(0, 0);
        QTest::newRow("south-east corner") << QSizeF(360, 180) << -90.0 << 180.0 << QPointF(360, 180);
        QTest::newRow("wide area: map centred across") << QSizeF(800, 200) << 0.0 << -180.0 << QPointF(200, 100);
        QTest::newRow("tall area: map centred down") << QSizeF(400, 600) << 90.0 << 0.0 << QPointF(200, 200);
        QTest::newRow("east and south grow right and down") << QSizeF(720, 360) << -45.0 << 90.0 << QPointF(540, 270);
    }

    void placement()
    {
        QFETCH(QSizeF, area);
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(QPointF, expected);
        const QRectF map = view::fittedMap(area);
        QCOMPARE(map.width(), 2 * map.height());
        QCOMPARE(view::mapPoint({lat, lon}, map), expected);
    }

    // As time plays the track's window slides on: the samples kept from the
    // window before and those added sample the new one as densely as fresh
    // ones would, in time order, to its very end. Back in time, or past what
    // was kept, it is sampled afresh.
    void slidTrackSamplesCoverTheWindow_data()
    {
        QTest::addColumn<astro::Elements>("el");
        QTest::addColumn<double>("sixteenths");
        QTest::newRow("low orbit, a sixteenth on") << elements(6878, 0.001, 51.6, 30, 0, 0) << 1.0;
        QTest::newRow("geostationary, a sixteenth on") << elements(42164, 0, 0, 0, 0, 0) << 1.0;
        QTest::newRow("highly elliptical, three sixteenths on") << elements(26560, 0.7, 63.4, 170, 270, 0) << 3.0;
        QTest::newRow("a sixteenth back: afresh") << elements(6878, 0.001, 51.6, 30, 0, 0) << -1.0;
        QTest::newRow("past the kept window: afresh") << elements(6878, 0.001, 51.6, 30, 0, 0) << 17.0;
    }

    void slidTrackSamplesCoverTheWindow()
    {
        QFETCH(astro::Elements, el);
        QFETCH(double, sixteenths);
        const astro::Instant epoch = view::sampleStart();
        const astro::TimeSpan first = astro::groundTrackSpan(el, astro::Instant{epoch.seconds + 500});
        const double shift = sixteenths * (first.end.seconds - first.begin.seconds) / 16;
        const double begin = first.begin.seconds + shift, end = first.end.seconds + shift;
        const std::vector<astro::TrackSample> got = view::slideTrackSamples(
            astro::trackSamples(el, epoch, first.begin, first.end), el, epoch, begin, end);
        const std::vector<astro::TrackSample> fresh =
            astro::trackSamples(el, epoch, astro::Instant{begin}, astro::Instant{end});
        QVERIFY(fresh.size() > 2 && !got.empty());
        if (sixteenths < 0 || sixteenths > 16) {
            QCOMPARE(got.size(), fresh.size());
            QCOMPARE(got.front().t, fresh.front().t);
        }
        QVERIFY(got.front().t >= begin && got.front().t <= fresh[1].t);
        QCOMPARE(got.back().t, end);
        double longest = 0, longestFresh = 0;
        for (size_t k = 1; k < fresh.size(); ++k)
            longestFresh = std::max(longestFresh, fresh[k].t - fresh[k - 1].t);
        for (size_t k = 1; k < got.size(); ++k) {
            QVERIFY2(got[k].t > got[k - 1].t, qPrintable(QStringLiteral("sample %1 out of order").arg(k)));
            longest = std::max(longest, got[k].t - got[k - 1].t);
        }
        QVERIFY2(longest <= 1.05 * longestFresh, qPrintable(QStringLiteral("%1 s > %2 s").arg(longest).arg(longestFresh)));
    }

    // A satellite's name beside its sub-point, whole inside the map wherever
    // the point is, clear of a name already placed, and near its point even
    // when that means covering one of the map's own words.
    void labelPlacement_data()
    {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QRectF>("taken");
        QTest::addColumn<QRectF>("words");
        QTest::addColumn<int>("across");  // -1 left of the point, 1 right of it
        QTest::addColumn<int>("down");    // -1 above the point, 1 below it
        const QRectF none;
        QTest::newRow("open map: up and to the right") << QPointF(400, 200) << none << none << 1 << -1;
        QTest::newRow("right edge: flipped left") << QPointF(797, 200) << none << none << -1 << -1;
        QTest::newRow("left edge: stays right") << QPointF(1, 200) << none << none << 1 << -1;
        QTest::newRow("top edge: flipped down") << QPointF(400, 2) << none << none << 1 << 1;
        QTest::newRow("bottom edge: stays up") << QPointF(400, 399) << none << none << 1 << -1;
        QTest::newRow("top right corner: left and down") << QPointF(799, 0) << none << none << -1 << 1;
        QTest::newRow("bottom left corner: right and up") << QPointF(0, 400) << none << none << 1 << -1;
        QTest::newRow("near the right edge, name wider than the room") << QPointF(760, 200) << none << none << -1 << -1;
        QTest::newRow("another name in the way: stepped aside") << QPointF(400, 200) << QRectF(390, 170, 120, 40) << none << 0 << 0;
        QTest::newRow("right edge and a name in the way") << QPointF(797, 200) << QRectF(700, 150, 90, 46) << none << 0 << 0;
        QTest::newRow("names in the way all round: stepped further") << QPointF(400, 200) << QRectF(300, 150, 200, 100) << none << 0 << 0;
        QTest::newRow("a grid label beside it: the next side") << QPointF(400, 200) << none << QRectF(405, 175, 80, 20) << -1 << -1;
        QTest::newRow("grid labels all round: covered, not strayed from") << QPointF(400, 200) << none << QRectF(300, 120, 200, 160) << 1 << -1;
    }

    void labelPlacement()
    {
        QFETCH(QPointF, at);
        QFETCH(QRectF, taken);
        QFETCH(QRectF, words);
        QFETCH(int, across);
        QFETCH(int, down);
        const QRectF map(0, 0, 800, 400);
        const QSizeF size(64, 15);
        const auto list = [](const QRectF &r) { return r.isNull() ? std::vector<QRectF>{} : std::vector<QRectF>{r}; };
        const QRectF box = view::placeLabel(at, size, map, list(taken), list(words));
        QCOMPARE(box.size(), size);
        QVERIFY2(map.contains(box), qPrintable(QStringLiteral("%1 %2 %3 %4").arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())));
        QVERIFY(!box.contains(at));  // the disc stays visible
        if (!taken.isNull())
            QVERIFY(!box.intersects(taken));
        else
            QVERIFY(std::abs(box.center().y() - at.y()) < 2 * size.height());  // beside its point
        if (across)
            QCOMPARE(box.center().x() > at.x() ? 1 : -1, across);
        if (down)
            QCOMPARE(box.center().y() > at.y() ? 1 : -1, down);
    }

    // One widget for every row: each row's scenario reaches it as a new snapshot.
    void frames_data()
    {
        QTest::addColumn<astro::Elements>("el");
        QTest::addColumn<double>("hours");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<bool>("equatorial");
        QTest::newRow("equatorial low orbit at the start") << elements(6878, 0, 0, 0, 0, 0) << 0.0 << QColor(255, 0, 255) << true;
        QTest::newRow("equatorial low orbit 1 h on, new colour") << elements(6878, 0, 0, 0, 0, 40) << 1.0 << QColor(0, 255, 128) << true;
        QTest::newRow("50 deg orbit crossing the date line") << elements(6878, 0, 50, 120, 0, 0) << 0.5 << QColor(255, 0, 255) << false;
        QTest::newRow("sun-synchronous 98 deg orbit") << elements(7000, 0.001, 98, 200, 0, 0) << 2.0 << QColor(255, 255, 0) << false;
        QTest::newRow("highly elliptical 63.4 deg orbit") << elements(26560, 0.7, 63.4, 170, 270, 0) << 3.0 << QColor(255, 0, 255) << false;
    }

    void frames()
    {
        QFETCH(astro::Elements, el);
        QFETCH(double, hours);
        QFETCH(QColor, color);
        QFETCH(bool, equatorial);

        view::SampleOptions o;
        o.elements = el;
        o.satelliteColor = color;
        Snapshot s = view::sampleScene(o);
        s.revision = ++revision_;
        store_.publish(std::make_shared<const Snapshot>(s));
        const astro::Instant now{view::sampleStart().seconds + hours * 3600};
        clock_.setNow(now);
        QTRY_COMPARE(map_->drawnRevision(), revision_);
        const QImage frame = map_->grab().toImage();
        const QRectF map = map_->mapRect();

        const astro::GeoPoint sub = astro::subSatellitePoint(astro::stateAt(el, s.satellites.at(0).elementsEpoch, now).r, now);
        const QPoint at = view::mapPoint(sub, map).toPoint();
        QVERIFY2(sameColor(frame.pixelColor(at), color), qPrintable(frame.pixelColor(at).name()));

        if (equatorial) {
            // A quarter of the way round from the satellite the track still lies on the equator.
            const double lon = std::fmod(sub.longitudeDeg + 270, 360) - 180;
            const QPoint track = view::mapPoint({0, lon}, map).toPoint();
            QVERIFY2(sameColor(frame.pixelColor(track.x(), 199), color), qPrintable(frame.pixelColor(track.x(), 199).name()));
            QVERIFY(!sameColor(frame.pixelColor(track.x(), 150), color));
        }
        // A segment drawn across the date line would colour most of a row.
        for (int y = 0; y < frame.height(); ++y) {
            int coloured = 0;
            for (int x = 0; x < frame.width(); ++x)
                coloured += sameColor(frame.pixelColor(x, y), color);
            if (!equatorial)
                QVERIFY2(coloured < frame.width() / 4, qPrintable(QString("row %1: %2 pixels").arg(y).arg(coloured)));
        }
    }

    // Two satellites on one track: where they share it, the selected one's
    // colour shows, whichever was made first, frame after frame.
    void selectedOnTop_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("the first made, picked") << QStringLiteral("Satellite") << QColor(255, 0, 255);
        QTest::newRow("the second made, picked") << QStringLiteral("Other") << QColor(0, 255, 128);
        QTest::newRow("picked by another case") << QStringLiteral("oTHER") << QColor(0, 255, 128);
        QTest::newRow("nothing picked: the one named Satellite") << QString() << QColor(255, 0, 255);
    }

    void selectedOnTop()
    {
        QFETCH(QString, selected);
        QFETCH(QColor, expected);
        view::SampleOptions o;
        o.elements = elements(6878, 0, 0, 0, 0, 0);
        o.satelliteColor = QColor(255, 0, 255);
        Snapshot s = view::sampleScene(o);
        SatelliteState other = s.satellites.front();
        other.name = QStringLiteral("Other");
        other.color = QColor(0, 255, 128);
        s.satellites.push_back(other);
        s.selected = selected;
        s.revision = ++revision_;
        store_.publish(std::make_shared<const Snapshot>(s));
        clock_.setNow(view::sampleStart());
        QTRY_COMPARE(map_->drawnRevision(), revision_);
        // A quarter of the way round from the sub-point, on the equator.
        const astro::GeoPoint sub = astro::subSatellitePoint(astro::stateAt(o.elements, s.satellites[0].elementsEpoch,
                                                                              view::sampleStart()).r, view::sampleStart());
        const QPoint track = view::mapPoint({0, std::fmod(sub.longitudeDeg + 270, 360) - 180}, map_->mapRect()).toPoint();
        for (int frame = 0; frame < 3; ++frame) {  // drawn afresh twice, then from the kept picture
            const QColor got = map_->grab().toImage().pixelColor(track.x(), 199);
            QVERIFY2(sameColor(got, expected), qPrintable(QStringLiteral("frame %1: %2").arg(frame).arg(got.name())));
        }
    }

    void refusedStateIsSaid()
    {
        // The refusal's box lies at the map's top left until a state is accepted.
        for (const QString &why : {QStringLiteral("eccentricity 1.5 must be below 1"), QString()}) {
            Snapshot s = view::sampleScene();
            s.satellites.at(0).stateRefusal = why;
            s.revision = ++revision_;
            store_.publish(std::make_shared<const Snapshot>(s));
            QTRY_COMPARE(map_->drawnRevision(), revision_);
            const QImage frame = map_->grab().toImage().copy(map_->mapRect().toRect().adjusted(8, 8, 0, 0));
            int red = 0;
            for (int x = 0; x < 200; ++x)
                for (int y = 0; y < 14; ++y)
                    red += sameColor(frame.pixelColor(x, y), view::refusalColor());
            QVERIFY2((red > 20) == !why.isEmpty(), qPrintable(QString::number(red)));
        }
    }

private:
    ScenarioStore store_;
    AnimationClock clock_;
    std::unique_ptr<MapView> map_;
    quint64 revision_ = 0;
};

QTEST_MAIN(TstViewMapView)
#include "tst_mapview.moc"
