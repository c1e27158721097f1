// The 3-D view's camera over a run of snapshots, without a display: Auto Fit
// frames a new orbit until the user moves the camera, a viewer position is
// taken as it says, and a click picks the satellite under the pointer.

#include "standin/view/cameracontrol.h"
#include "tests/view/viewtest.h"

#include <QtTest>

using namespace zep;
using namespace zep::view;
using namespace viewtest;

Q_DECLARE_METATYPE(zep::astro::Elements)

namespace {

const QSize kSize(800, 600);
const astro::Instant kNow = at("1 Jul 2005 12:00:00.00");

// A scenario with satellites at these elements, the viewer at 7e7 m: a LEO
// looks too small from there, and a GEO runs off the view.
Snapshot scenario(std::vector<astro::Elements> orbits, quint64 viewerSerial = 1)
{
    Snapshot s;
    s.viewer = {30, 0, 7e7, viewerSerial};
    for (const astro::Elements &el : orbits) {
        SatelliteState sat;
        sat.name = s.satellites.empty() ? QStringLiteral("Satellite") : QStringLiteral("Sat%1").arg(s.satellites.size() + 1);
        sat.hasOrbit = true;
        sat.elements = el;
        sat.elementsEpoch = kNow;
        s.satellites.push_back(sat);
    }
    return s;
}

const astro::Elements kLeo = elements(6678, 0, 28.5, 0, 0, 0);
const astro::Elements kGeo = elements(42164, 0, 0, 0, 0, 0);

bool sameCamera(const Camera &a, const Camera &b)
{
    return a.latitudeDeg == b.latitudeDeg && a.longitudeDeg == b.longitudeDeg && a.rangeM == b.rangeM;
}

} // namespace

class TstCameraControl : public QObject {
    Q_OBJECT
private slots:
    void autoFitFramesANewOrbitUntilMovedByHand_data()
    {
        QTest::addColumn<QString>("hand");
        QTest::newRow("left alone") << QString();
        QTest::newRow("dragged") << QStringLiteral("drag");
        QTest::newRow("wheeled") << QStringLiteral("wheel");
    }

    void autoFitFramesANewOrbitUntilMovedByHand()
    {
        QFETCH(QString, hand);
        CameraControl control;
        Snapshot s = scenario({kLeo});
        control.follow(s, kSize, kNow);
        if (hand == QLatin1String("drag")) {
            control.press({100, 100});
            QVERIFY(control.drag(s, {140, 120}));
            QVERIFY(!control.release());
        } else if (hand == QLatin1String("wheel")) {
            control.zoom(s, 120);
        }
        QCOMPARE(control.autoFit(), hand.isEmpty());
        // Two new orbits in turn, neither fitting the camera the last one left.
        for (const astro::Elements &el : {kGeo, kLeo}) {
            s.satellites[0].elements = el;
            const Camera before = control.camera();
            const Camera &after = control.follow(s, kSize, kNow);
            QCOMPARE(orbitFits(after, kSize, el, 0), hand.isEmpty());
            QCOMPARE(sameCamera(after, before), !hand.isEmpty());
            QCOMPARE(control.autoFit(), hand.isEmpty());
        }
    }

    void viewerPositionIsTakenAsItSays()
    {
        CameraControl control;
        Snapshot s = scenario({kLeo});
        control.follow(s, kSize, kNow);
        QVERIFY(control.autoFit());
        // A tall narrow view where the scenario's GEO view does not fit.
        const QSize narrow(300, 900);
        s.satellites[0].elements = kGeo;  // with a new orbit that does not fit it
        s.viewer = {10, 45, 1e8, s.viewer.serial + 1};
        const Camera &placed = control.follow(s, narrow, kNow);
        QVERIFY(sameCamera(placed, Camera{10, 45, 1e8}));
        QVERIFY(sameCamera(control.follow(s, narrow, kNow), Camera{10, 45, 1e8}));  // and stays
        // Only a later orbit that does not fit moves it.
        s.satellites[0].elements = elements(26560, 0, 55, 0, 0, 0);
        const Camera &refit = control.follow(s, narrow, kNow);
        QVERIFY(orbitFits(refit, narrow, s.satellites[0].elements, 0));
        QCOMPARE(refit.latitudeDeg, 10.0);
        QCOMPARE(refit.longitudeDeg, 45.0);
    }

    void looksFrameThePathOnShow_data()
    {
        QTest::addColumn<int>("look");
        QTest::addColumn<bool>("fixed");
        QTest::addColumn<double>("latitude");
        using Look = CameraControl::Look;
        QTest::newRow("fit, inertial") << int(Look::Orbit) << false << 30.0;
        QTest::newRow("fit, Earth-fixed") << int(Look::Orbit) << true << 30.0;
        QTest::newRow("from the pole, inertial") << int(Look::NorthPole) << false << 89.5;
        QTest::newRow("from the pole, Earth-fixed") << int(Look::NorthPole) << true << 89.5;
        QTest::newRow("edge-on, inertial") << int(Look::EdgeOn) << false << 55.0;
        QTest::newRow("edge-on, Earth-fixed") << int(Look::EdgeOn) << true << 55.0;
        QTest::newRow("along the nodes, Earth-fixed") << int(Look::AlongNodes) << true << 0.0;
    }

    void looksFrameThePathOnShow()
    {
        QFETCH(int, look);
        QFETCH(bool, fixed);
        QFETCH(double, latitude);
        // GPS, circular (its perigee taken at the node): edge-on looks from the top of the orbit.
        Snapshot s = scenario({elements(26560, 0, 55, 40, 0, 0)});
        s.frame = fixed ? ReferenceFrame::Fixed : ReferenceFrame::Inertial;
        CameraControl control;
        control.follow(s, kSize, kNow);
        const std::optional<Camera> to = control.look(CameraControl::Look(look), s, kSize, kNow);
        QVERIFY(to);
        QVERIFY2(std::abs(to->latitudeDeg - latitude) < 1e-6, qPrintable(QString::number(to->latitudeDeg)));
        const astro::Elements &el = s.satellites[0].elements;
        const std::vector<Vec3> drawn = fixed ? leadPath(el, kNow, kNow, 1.0, 360, true) : inertialOrbitPath(el, 360);
        const Framing f = frameScene(s, *to, kNow, kSize);
        for (const Vec3 &p : drawn) {
            const std::optional<QPointF> at = projectPoint(f.proj, p);
            QVERIFY2(at && QRectF(QPointF(), QSizeF(kSize)).contains(*at), qPrintable(str(p)));
        }
    }

    void aClickPicksTheNearestMarker_data()
    {
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<QString>("picked");
        QTest::newRow("on the marker") << QPointF(0, 0) << QStringLiteral("Sat2");
        QTest::newRow("10 px off") << QPointF(6, 8) << QStringLiteral("Sat2");
        QTest::newRow("20 px off") << QPointF(12, 16) << QString();
    }

    void aClickPicksTheNearestMarker()
    {
        QFETCH(QPointF, offset);
        QFETCH(QString, picked);
        // LEO and GEO satellites on the same side, GEO well clear of the Earth.
        const Snapshot s = scenario({elements(6678, 0, 0, 0, 0, 0), elements(42164, 0, 0, 0, 0, 90)});
        const Camera camera{30, 45, 1.5e8};
        const Framing f = frameScene(s, camera, kNow, kSize);
        const astro::Elements geoNow = astro::propagate(s.satellites[1].elements, 0);
        const std::optional<QPointF> marker = projectPoint(f.proj, f.display(astro::toState(geoNow).r));
        QVERIFY(marker);
        QCOMPARE(satelliteAt(s, camera, kNow, kSize, *marker + offset), picked);
    }
};

QTEST_APPLESS_MAIN(TstCameraControl)
#include "tst_cameracontrol.moc"
