// Where the 3-D view's labels go: the placer alone on made-up surroundings.

#include "standin/view/labelplacement.h"
#include "tests/view/viewtest.h"

#include <QtTest>

using namespace zep;
using namespace zep::view;
using namespace viewtest;

namespace {

double distance(QPointF p, const QRectF &r)
{
    return QLineF(p, {std::clamp(p.x(), r.left(), r.right()), std::clamp(p.y(), r.top(), r.bottom())}).length();
}

bool onDisc(const Disc &d, const QRectF &r) { return distance(d.centre, r) < d.radius; }

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
};

QTEST_MAIN(TstViewLabelPlacement)
#include "tst_labelplacement.moc"
