// The 3-D view's camera without a display: clamping, mouse moves, the
// projection and what the Earth hides.

#include "standin/view/camera.h"
#include "tests/view/viewtest.h"

#include <QtTest>

#include <cmath>

using namespace zep;
using namespace zep::view;
using astro::Vec3;

using namespace viewtest;

class TstCamera : public QObject {
    Q_OBJECT
private slots:
    // ---------------------------------------------------------------- camera

    void clampKeepsTheCameraUsable_data()
    {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<double>("range");
        QTest::addColumn<double>("wantLat");
        QTest::addColumn<double>("wantLon");
        QTest::addColumn<double>("wantRange");
        const double nan = std::nan("");
        QTest::newRow("ordinary") << 30.0 << 10.0 << 1e8 << 30.0 << 10.0 << 1e8;
        QTest::newRow("over the north pole") << 95.0 << 0.0 << 1e8 << 89.5 << 0.0 << 1e8;
        QTest::newRow("over the south pole") << -100.0 << 0.0 << 1e8 << -89.5 << 0.0 << 1e8;
        QTest::newRow("longitude wraps east") << 0.0 << 370.0 << 1e8 << 0.0 << 10.0 << 1e8;
        QTest::newRow("longitude wraps west") << 0.0 << -190.0 << 1e8 << 0.0 << 170.0 << 1e8;
        QTest::newRow("inside the Earth") << 0.0 << 0.0 << 1000.0 << 0.0 << 0.0 << kMinRange;
        QTest::newRow("negative range") << 0.0 << 0.0 << -5e7 << 0.0 << 0.0 << kMinRange;
        QTest::newRow("beyond reach") << 0.0 << 0.0 << 1e12 << 0.0 << 0.0 << kMaxRange;
        QTest::newRow("not numbers") << nan << nan << nan << 30.0 << 0.0 << 1e8;
    }

    void clampKeepsTheCameraUsable()
    {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(double, range);
        const Camera c = clampCamera({lat, lon, range});
        QFETCH(double, wantLat);
        QFETCH(double, wantLon);
        QFETCH(double, wantRange);
        QCOMPARE(c.latitudeDeg, wantLat);
        QVERIFY2(std::abs(c.longitudeDeg - wantLon) < 1e-9, qPrintable(QString::number(c.longitudeDeg)));
        QCOMPARE(c.rangeM, wantRange);
    }

    void eyeFromLatitudeLongitude()
    {
        const struct { double lat, lon; Vec3 want; } rows[] = {
            {0, 0, {1, 0, 0}}, {0, 90, {0, 1, 0}}, {0, 180, {-1, 0, 0}},
            {30, 0, {std::sqrt(3.0) / 2, 0, 0.5}}, {-45, -45, {0.5, -0.5, -std::sqrt(0.5)}},
        };
        for (const auto &r : rows) {
            const Vec3 eye = cameraEye({r.lat, r.lon, 2e7});
            QVERIFY2(near(eye, r.want * 2e7, 1e-3), qPrintable(str(eye)));
        }
    }

    void dragMovesTheSurfaceWithTheMouse()
    {
        // Grab the point under the screen's centre and drag: it follows the mouse.
        const QSize size(800, 600);
        const Camera before{20, 30, 3e7};
        const Vec3 surface = normalized(cameraEye(before)) * R;
        for (QPointF drag : {QPointF(40, 0), QPointF(-40, 0), QPointF(0, 40), QPointF(0, -40)}) {
            const Camera after = dragCamera(before, drag);
            const auto p0 = projectPoint(makeProjection(before, size, 2 * R), surface);
            const auto p1 = projectPoint(makeProjection(after, size, 2 * R), surface);
            QVERIFY(p0 && p1);
            const QPointF moved = *p1 - *p0;
            QVERIFY2(QPointF::dotProduct(moved, drag) > 0.25 * QPointF::dotProduct(drag, drag),
                     qPrintable(QStringLiteral("moved %1,%2").arg(moved.x()).arg(moved.y())));
            QCOMPARE(after.rangeM, before.rangeM);
        }
    }

    void wheelZoomsInAndStopsOutsideTheEarth()
    {
        const Camera c{30, 0, 1e8};
        QVERIFY(zoomCamera(c, 120).rangeM < c.rangeM);
        QVERIFY(zoomCamera(c, -120).rangeM > c.rangeM);
        QCOMPARE(zoomCamera(zoomCamera(c, 120), -120).rangeM, c.rangeM);
        Camera in = c;
        for (int i = 0; i < 200; ++i)
            in = zoomCamera(in, 120);
        QCOMPARE(in.rangeM, kMinRange);
        QVERIFY(kMinRange > R);
    }

    // ---------------------------------------------------------------- projection

    void projectionMatchesThePinholeModel()
    {
        // Camera on +x looking at the centre with +z up: +y is to the right.
        for (const auto &[size, range] : {std::pair{QSize(800, 600), 1e8}, {QSize(1280, 1024), 2e7}, {QSize(300, 900), 5e7}}) {
            const Projection p = makeProjection({0, 0, range}, size, 2 * R);
            const double f = (size.height() / 2.0) / std::tan(kFieldOfViewDeg / 2 * kDeg);
            const double offset = f * R / range;
            const QPointF centre(size.width() / 2.0, size.height() / 2.0);
            const auto c = projectPoint(p, {0, 0, 0});
            const auto right = projectPoint(p, {0, R, 0});
            const auto up = projectPoint(p, {0, 0, R});
            QVERIFY(c && right && up);
            QVERIFY((*c - centre).manhattanLength() < 0.01);
            QVERIFY2((*right - (centre + QPointF(offset, 0))).manhattanLength() < 0.05,
                     qPrintable(QStringLiteral("%1 vs %2").arg(right->x()).arg(centre.x() + offset)));
            QVERIFY((*up - (centre - QPointF(0, offset))).manhattanLength() < 0.05);
        }
    }

    void pointsBehindTheCameraDoNotProject()
    {
        const Projection p = makeProjection({0, 0, 2e7}, QSize(640, 480), 2 * R);
        QVERIFY(!projectPoint(p, {5e7, 0, 0}));
        QVERIFY(!projectPoint(makeProjection({0, 0, 2e7}, QSize(), 2 * R), {0, 0, 0}));
        QVERIFY(!projectPoint(p, {std::nan(""), 0, 0}));
    }

    void earthHidesWhatIsBehindIt()
    {
        // Eye at 3 R on +x: opposite side, far side surface, inside the Earth;
        // near side surface, beside the limb, behind past the limb, between eye and Earth.
        for (Vec3 hidden : {Vec3{-2 * R, 0, 0}, Vec3{-R, 0, 0}, Vec3{0.5 * R, 0, 0}})
            QVERIFY2(hiddenByEarth({3 * R, 0, 0}, hidden), qPrintable(str(hidden)));
        for (Vec3 seen : {Vec3{R, 0, 0}, Vec3{0, 1.5 * R, 0}, Vec3{-3 * R, 3 * R, 0}, Vec3{2 * R, 0, 0}})
            QVERIFY2(!hiddenByEarth({3 * R, 0, 0}, seen), qPrintable(str(seen)));
    }
};

QTEST_APPLESS_MAIN(TstCamera)
#include "tst_camera.moc"
