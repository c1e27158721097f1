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

Q_DECLARE_METATYPE(zep::astro::Elements)
Q_DECLARE_METATYPE(zep::view::Camera)

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

    // ---------------------------------------------------------------- framing an orbit

    void fitFramesTheOrbitFromTheSameSide_data()
    {
        QTest::addColumn<astro::Elements>("el");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<Camera>("camera");
        QTest::addColumn<double>("earthTurn");
        const struct { const char *name; astro::Elements el; } orbits[] = {
            {"LEO", elements(6678, 0, 28.5, 0, 0, 0)},
            {"GPS", elements(26560, 0, 55, 40, 0, 0)},
            {"GEO", elements(42164, 0, 0, 0, 0, 0)},
            {"HEO", elements(26600, 0.74, 63.4, 20, 270, 0)},
        };
        const struct { const char *name; QSize size; } views[] = {{"square", {600, 600}}, {"wide", {1200, 500}}};
        const struct { const char *name; Camera camera; double turn; } sides[] = {
            {"from 30 N", {30, 0, 1e8}, 0}, {"from over the pole", {89.5, 40, 1e9}, 0},
            {"Earth-fixed, from the equator", {0, -120, 2e7}, 1.3},
        };
        for (const auto &o : orbits)
            for (const auto &v : views)
                for (const auto &side : sides)
                    QTest::addRow("%s, %s view, %s", o.name, v.name, side.name) << o.el << v.size << side.camera << side.turn;
    }

    void fitFramesTheOrbitFromTheSameSide()
    {
        QFETCH(astro::Elements, el);
        QFETCH(QSize, size);
        QFETCH(Camera, camera);
        QFETCH(double, earthTurn);
        const auto range = fittingRange(camera, size, el, earthTurn);
        QVERIFY(range);
        const Camera fitted{camera.latitudeDeg, camera.longitudeDeg, *range};
        const Projection p = makeProjection(fitted, size, el.a * (1 + el.e));
        // The margin is kFitMargin of the half-size; allow for the float matrices.
        const QRectF inner = QRectF(QPointF(0, 0), QSizeF(size)).marginsRemoved(
            QMarginsF(size.width(), size.height(), size.width(), size.height()) * (kFitMargin / 2 * 0.98));
        QRectF spanned;
        for (Vec3 point : orbitOutline(el, earthTurn)) {
            const auto at = projectPoint(p, point);
            QVERIFY2(at && inner.contains(*at), qPrintable(str(point)));
            spanned |= QRectF(*at, QSizeF(1e-9, 1e-9));
        }
        const double shortSide = std::min(size.width(), size.height());
        QVERIFY2(std::max(spanned.width(), spanned.height()) >= kFitSmallest * shortSide,
                 qPrintable(QStringLiteral("spans %1 x %2").arg(spanned.width()).arg(spanned.height())));
        // The Earth's limb, seen from the camera, stays inside too.
        const Vec3 eye = cameraEye(fitted);
        const Vec3 side = normalized(cross(eye, Vec3{0, 0, 1})) * R;
        for (Vec3 limb : {side, side * -1.0, Vec3{0, 0, R}, Vec3{0, 0, -R}}) {
            const auto at = projectPoint(p, limb);
            QVERIFY2(at && inner.contains(*at), qPrintable(str(limb)));
        }
        QVERIFY(orbitFits(fitted, size, el, earthTurn));
    }

    void orbitFitsOnlyWholeAndLargeEnough_data()
    {
        QTest::addColumn<astro::Elements>("el");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("range");
        QTest::addColumn<bool>("fits");
        const astro::Elements leo = elements(6678, 0, 28.5, 0, 0, 0), geo = elements(42164, 0, 0, 0, 0, 0);
        QTest::newRow("GEO from 1e8 m, square") << geo << QSize(600, 600) << 1e8 << true;
        QTest::newRow("GEO from 1e8 m, tall and narrow") << geo << QSize(300, 900) << 1e8 << false;
        QTest::newRow("GEO from inside it") << geo << QSize(600, 600) << 3e7 << false;
        QTest::newRow("LEO from 1e8 m, a thin ring") << leo << QSize(600, 600) << 1e8 << false;
        QTest::newRow("LEO from 4e7 m") << leo << QSize(600, 600) << 4e7 << true;
    }

    void orbitFitsOnlyWholeAndLargeEnough()
    {
        QFETCH(astro::Elements, el);
        QFETCH(QSize, size);
        QFETCH(double, range);
        QFETCH(bool, fits);
        QCOMPARE(orbitFits({30, 0, range}, size, el, 0), fits);
    }

    void glideGoesTheShortWayAndZoomsEvenly()
    {
        const Camera from{10, 170, 1e7}, to{50, -170, 1e9};
        const Camera half = interpolateCamera(from, to, 0.5);
        QCOMPARE(half.latitudeDeg, 30.0);
        QVERIFY2(std::abs(std::abs(half.longitudeDeg) - 180) < 1e-9, qPrintable(QString::number(half.longitudeDeg)));
        QVERIFY(std::abs(half.rangeM - 1e8) < 1);
        const Camera end = interpolateCamera(from, to, 1);
        QVERIFY(std::abs(end.longitudeDeg - to.longitudeDeg) < 1e-9 && std::abs(end.rangeM - to.rangeM) < 1e-3);
    }
};


QTEST_APPLESS_MAIN(TstCamera)
#include "tst_camera.moc"
