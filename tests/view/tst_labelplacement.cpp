// Where the 3-D view's labels go: the placer alone on made-up surroundings,
// and the overlay of crowded scenes built from snapshots, without a display;
// and the overlay's picture, of which only parts reach the frame.

#include "standin/view/labelplacement.h"
#include "standin/view/overlaycanvas.h"
#include "standin/view/overlaypainter.h"
#include "standin/view/samplescene.h"
#include "standin/view/scenebuilder.h"
#include "tests/view/viewtest.h"

#include <QPainter>
#include <QtTest>

Q_DECLARE_METATYPE(zep::astro::Elements)

using namespace zep;
using namespace zep::view;
using namespace viewtest;

namespace {

double distance(QPointF p, const QRectF &r)
{
    return QLineF(p, {std::clamp(p.x(), r.left(), r.right()), std::clamp(p.y(), r.top(), r.bottom())}).length();
}

bool onDisc(const Disc &d, const QRectF &r) { return distance(d.centre, r) < d.radius; }

// Whether a room the size of `room` lies wholly free (with `margin` to spare)
// anywhere within `within` of the anchor: in the view, off the blocks, the
// disc, the markers and the other labels.
bool freePlaceNear(QPointF anchor, const QRectF &room, double within, double margin, const OverlayLayout &layout,
                   const Scene &scene, const QRectF &other)
{
    const QRectF view(QPointF(0, 0), QSizeF(scene.size));
    for (double x = anchor.x() - within - room.width(); x <= anchor.x() + within; x += 3)
        for (double y = anchor.y() - within - room.height(); y <= anchor.y() + within; y += 3) {
            const QRectF at(x, y, room.width(), room.height());
            const QRectF wide = at.adjusted(-margin, -margin, margin, margin);
            if (distance(anchor, at) > within || !view.contains(wide) || onDisc(*scene.earthDisc, wide))
                continue;
            const auto on = [&](const QRectF &r) { return r != other && r.intersects(wide); };
            if (std::any_of(layout.blocks.begin(), layout.blocks.end(), on)
                || std::any_of(layout.labels.begin(), layout.labels.end(), [&](const auto &l) { return on(l.room); })
                || std::any_of(scene.labels.begin(), scene.labels.end(),
                               [&](const Label &l) { return l.markRadius > 0 && distance(l.anchor, wide) < l.markRadius; }))
                continue;
            return true;
        }
    return false;
}

} // namespace

class TstViewLabelPlacement : public QObject {
    Q_OBJECT
private slots:
    void placerKeepsLabelsClear_data()
    {
        // A 320 x 240 view; every label 80 x 18 with its letters inside.
        QTest::addColumn<QList<QPointF>>("anchors");
        QTest::addColumn<double>("markRadius");
        QTest::addColumn<QList<QLineF>>("lines");
        QTest::addColumn<double>("earthRadius");  // round (160, 120); 0: none
        QTest::addColumn<QList<QRectF>>("blocks");
        QTest::addColumn<int>("placed");
        QTest::addColumn<bool>("offEarth");
        const QList<QLineF> none;
        const QList<QRectF> open;
        QTest::newRow("open sky") << QList<QPointF>{{40, 60}} << 0.0 << none << 0.0 << open << 1 << true;
        QTest::newRow("a line through its place") << QList<QPointF>{{40, 60}} << 0.0
                                                  << QList<QLineF>{{0, 50, 320, 50}, {60, 0, 60, 240}} << 0.0 << open
                                                  << 1 << true;
        QTest::newRow("on the Earth's rim") << QList<QPointF>{{200, 90}} << 0.0 << none << 60.0 << open << 1 << true;
        QTest::newRow("deep in the Earth") << QList<QPointF>{{160, 120}} << 0.0 << none << 400.0 << open << 1 << false;
        QTest::newRow("eight on one marker") << QList<QPointF>(8, QPointF(160, 120)) << 8.0 << none << 0.0 << open << 8
                                             << true;
        QTest::newRow("walled in by a box") << QList<QPointF>{{160, 120}} << 0.0 << none << 0.0
                                            << QList<QRectF>{{0, 0, 320, 112}, {0, 128, 320, 112}} << 0 << true;
    }

    void placerKeepsLabelsClear()
    {
        QFETCH(QList<QPointF>, anchors);
        QFETCH(double, markRadius);
        QFETCH(QList<QLineF>, lines);
        QFETCH(double, earthRadius);
        QFETCH(QList<QRectF>, blocks);
        QFETCH(int, placed);
        QFETCH(bool, offEarth);
        LabelSurroundings around;
        around.view = QRectF(0, 0, 320, 240);
        around.blocks.assign(blocks.begin(), blocks.end());
        around.lines.assign(lines.begin(), lines.end());
        if (earthRadius > 0)
            around.earth = Disc{{160, 120}, earthRadius};
        std::vector<LabelRequest> requests;
        for (QPointF a : anchors)
            requests.push_back({a, QRectF(-3, -14, 80, 18), QRectF(0, -13, 74, 16), QPointF(4, -4), markRadius});
        const std::vector<std::optional<LabelPlace>> places = placeLabels(requests, around);

        QCOMPARE(int(std::count_if(places.begin(), places.end(), [](const auto &p) { return p.has_value(); })), placed);
        for (size_t i = 0; i < places.size(); ++i) {
            if (!places[i])
                continue;
            const LabelPlace &p = *places[i];
            QVERIFY(around.view.contains(p.room));
            QVERIFY(distance(requests[i].anchor, p.room) <= around.reach);
            QVERIFY(distance(requests[i].anchor, p.room) >= markRadius);
            for (const QLineF &l : lines)
                QVERIFY(!QRectF(0, -13, 74, 16).translated(p.baseline).intersects(
                    QRectF(l.p1(), l.p2()).normalized().adjusted(-0.5, -0.5, 0.5, 0.5)));
            if (around.earth)
                QCOMPARE(!onDisc(*around.earth, p.room), offEarth);
            // A label pushed far says whose it is; one beside its point needs no line.
            const double away = distance(requests[i].anchor, p.room) - markRadius;
            if (away > 27 || away < 9)
                QCOMPARE(p.leader.has_value(), away > 27);
            for (size_t j = 0; j < i; ++j)
                QVERIFY(!places[j] || !places[j]->room.intersects(p.room));
        }
        if (QTest::currentDataTag() == QByteArray("open sky"))
            QCOMPARE(places.front()->baseline, QPointF(44, 56));
    }

    void crowdedScenesKeepLabelsApart_data()
    {
        QTest::addColumn<astro::Elements>("el");
        QTest::addColumn<double>("range");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("fixedFrame");
        const astro::Elements leo = elements(6878, 0.001, 51.6, 40, 60, 30);
        const astro::Elements geo = elements(42164, 0.0002, 0.05, 70, 20, 10);
        for (const QSize size : {QSize(320, 240), QSize(480, 360)})
            for (bool fixed : {false, true}) {
                const char *frame = fixed ? "fixed" : "inertial";
                QTest::addRow("LEO, %dx%d, %s", size.width(), size.height(), frame) << leo << 3e7 << size << fixed;
                QTest::addRow("GEO, %dx%d, %s", size.width(), size.height(), frame) << geo << 1.6e8 << size << fixed;
            }
    }

    void crowdedScenesKeepLabelsApart()
    {
        // Every vector and angle shown, the annotations on, seen from round the Earth.
        QFETCH(astro::Elements, el);
        QFETCH(double, range);
        QFETCH(QSize, size);
        QFETCH(bool, fixedFrame);
        SampleOptions o;
        o.elements = el;
        o.aids = true;
        o.frame = fixedFrame ? ReferenceFrame::Fixed : ReferenceFrame::Inertial;
        Snapshot s = sampleScene(o);
        s.annotations = {true, true, true};
        for (int k = 0; k < 8; ++k) {
            const Scene scene = buildScene(s, Camera{25.0 - 10 * (k % 3), 45.0 * k, range}, sampleStart(), size);
            QVERIFY(scene.earthDisc && !scene.strokes.empty());
            const OverlayLayout layout = layOutOverlay(scene, QFont(), QStringLiteral("Imagery: someone"));
            const double line = QFontMetricsF(layout.font).height();
            for (size_t i = 0; i < layout.labels.size(); ++i) {
                const OverlayLayout::Text &l = layout.labels[i];
                for (size_t j = 0; j < i; ++j)
                    QVERIFY2(!l.room.intersects(layout.labels[j].room), qPrintable(l.text + " on " + layout.labels[j].text));
                const auto from = std::find_if(scene.labels.begin(), scene.labels.end(),
                                               [&](const Label &x) { return x.text == l.text; });
                QVERIFY2(!onDisc(*scene.earthDisc, l.room)
                             || !freePlaceNear(from->anchor, l.room, 4 * line, 10, layout, scene, l.room),
                         qPrintable(QStringLiteral("%1 on the Earth at view %2").arg(l.text).arg(k)));
            }
        }
    }

    // The canvas hands on only its rectangles, and keeps its picture between
    // frames: what a frame paints must lie inside them, apart, and show
    // nothing of the frame before.
    void overlayPictureHoldsAllItPaints_data()
    {
        QTest::addColumn<bool>("fixedFrame");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("inertial, 1x") << false << 1.0 << QString();
        QTest::newRow("fixed, 2x") << true << 2.0 << QString();
        QTest::newRow("refused state, 1.5x") << false << 1.5 << QStringLiteral("eccentricity 1.5 must be below 1");
    }

    void overlayPictureHoldsAllItPaints()
    {
        QFETCH(bool, fixedFrame);
        QFETCH(qreal, dpr);
        QFETCH(QString, refusal);
        SampleOptions o;
        o.elements = elements(6878, 0.001, 51.6, 40, 60, 30);
        o.aids = true;
        o.frame = fixedFrame ? ReferenceFrame::Fixed : ReferenceFrame::Inertial;
        Snapshot s = sampleScene(o);
        s.annotations = {true, true, true};
        s.satellites.front().stateRefusal = refusal;
        const QSize size(480, 360);
        const QSize pixels = (QSizeF(size) * dpr).toSize();
        OverlayCanvas kept;
        for (int k = 0; k < 4; ++k) {
            const Scene scene = buildScene(s, Camera{25.0 - 10 * (k % 3), 70.0 * k, 3e7}, sampleStart(), size);
            const std::vector<QRect> rects = kept.paint(scene, QStringLiteral("Imagery: someone"), pixels, dpr);
            OverlayCanvas fresh;
            fresh.paint(scene, QStringLiteral("Imagery: someone"), pixels, dpr);
            QImage alone = fresh.image();
            alone.fill(Qt::transparent);
            {
                // The same frame painted whole on a clear picture.
                OverlayPainter painter;
                QPainter p(&alone);
                painter.paint(p, layOutOverlay(scene, QFont(), QStringLiteral("Imagery: someone")));
            }
            QRegion inside;
            for (const QRect &r : rects) {
                QVERIFY(QRect(QPoint(0, 0), pixels).contains(r));
                QVERIFY2(!inside.intersects(r), "rectangles overlap: their pixels would be laid twice");
                inside += r;
            }
            int lost = 0, stale = 0;
            for (int y = 0; y < pixels.height(); ++y)
                for (int x = 0; x < pixels.width(); ++x) {
                    const QRgb want = alone.pixel(x, y);
                    if (!inside.contains(QPoint(x, y)))
                        lost += qAlpha(want) != 0;
                    else
                        stale += kept.image().pixel(x, y) != want;
                }
            QVERIFY2(lost == 0, qPrintable(QStringLiteral("%1 painted pixels left out at view %2").arg(lost).arg(k)));
            QVERIFY2(stale == 0, qPrintable(QStringLiteral("%1 pixels differ from a fresh paint at view %2").arg(stale).arg(k)));
        }
    }
};

QTEST_MAIN(TstViewLabelPlacement)
#include "tst_labelplacement.moc"
