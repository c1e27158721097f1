// Frames of the 3-D view drawn under Xvfb with Mesa's software OpenGL: what
// the user sees where the geometry says it should be.

#include "standin/astro/transfer.h"
#include "standin/view/camera.h"
#include "standin/view/earthview.h"
#include "standin/view/samplescene.h"
#include "tests/view/viewtest.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QtTest>

#include <cmath>

using namespace zep;
using astro::Vec3;
using namespace viewtest;

Q_DECLARE_METATYPE(zep::astro::Elements)

namespace {

bool close(const QColor &a, const QColor &b, int tol)
{
    return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol && std::abs(a.blue() - b.blue()) <= tol;
}

QString rgb(const QColor &c) { return QStringLiteral("(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue()); }

// The largest difference of a colour channel between two pictures of one size.
int worstDifference(const QImage &a, const QImage &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            worst = std::max({worst, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                              std::abs(p.blue() - q.blue())});
        }
    }
    return worst;
}

bool yellowish(const QColor &c) { return c.red() > 190 && c.green() > 190 && c.blue() < 90; }

// Whether a yellow pixel lies within two pixels of p.
bool yellowNear(const QImage &img, QPointF p)
{
    const QPoint c = p.toPoint();
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const QPoint q = c + QPoint(dx, dy);
            if (img.rect().contains(q) && yellowish(img.pixelColor(q)))
                return true;
        }
    return false;
}

// Warnings from Qt while a frame is drawn mean something went wrong in GL.
QStringList *capturedWarnings = nullptr;
struct WarningCapture {
    QStringList warnings;
    QtMessageHandler previous;
    WarningCapture()
    {
        capturedWarnings = &warnings;
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &msg) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                capturedWarnings->append(msg);
        });
    }
    void stop()
    {
        qInstallMessageHandler(previous);
        capturedWarnings = nullptr;
    }
};

} // namespace

class TstViewEarthView : public QObject {
    Q_OBJECT
    ScenarioStore store;
    AnimationClock clock;
    std::unique_ptr<EarthView> view;
    Snapshot scene;

    void publish(const Snapshot &s)
    {
        scene = s;
        ++scene.revision;
        store.publish(std::make_shared<const Snapshot>(scene));
    }
    QImage frame() { return view->grabFramebuffer().convertToFormat(QImage::Format_RGB32); }
    QPointF centre() const { return {view->width() / 2.0, view->height() / 2.0}; }
    void mouse(QEvent::Type type, QPointF at, Qt::MouseButtons buttons)
    {
        QMouseEvent e(type, at, view->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &e);
    }
    // How many of the points along an axis, from outside the Earth to near
    // its tip, have yellow beside them on screen.
    int yellowAlong(const QImage &img, Vec3 inertialDirection, int samples = 20)
    {
        int found = 0;
        for (int k = 0; k < samples; ++k) {
            const double d = 1.5 * R + (0.25 * scene.viewer.rangeM - 1.5 * R) * k / (samples - 1);
            const std::optional<QPointF> p = view->project(inertialDirection * d);
            if (p && yellowNear(img, *p))
                ++found;
        }
        return found;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(EarthView::openGLAvailable(), "OpenGL 3.3 core cannot be made on this display");
    }

    void init()
    {
        view::SampleOptions o;
        o.inertialAxes = false;
        scene = view::sampleScene(o);
        scene.grid.showEci = false;
        clock.setNow(view::sampleStart());
        publish(scene);
        view = std::make_unique<EarthView>(store, clock);
        view->resize(640, 480);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        // The Earth's textures come from a loader thread a moment later.
        QTRY_VERIFY(view->rendererReady());
    }

    void cleanup() { view.reset(); }

    void contextCanBeMade()
    {
        const QImage img = frame();
        QVERIFY(view->rendererReady());
        QVERIFY(view->context() && view->context()->isValid());
        const QSurfaceFormat f = view->context()->format();
        QVERIFY(std::make_pair(f.majorVersion(), f.minorVersion()) >= std::make_pair(3, 3));
        QCOMPARE(img.size(), view->size() * view->devicePixelRatio());

        // The Earth stands out from space where the camera says it is.
        const QPointF centre = *view->project({0, 0, 0});
        const double radius = view->project({0, R, 0})->x() - centre.x();
        QVERIFY(radius > 10);
        auto brightness = [&](QPointF p) { const QColor c = img.pixelColor(p.toPoint()); return c.red() + c.green() + c.blue(); };
        int inside = 0, outside = 0;
        for (int k = 0; k < 16; ++k) {
            const double a = 2 * astro::kPi * k / 16;
            const QPointF dir(std::cos(a), std::sin(a));
            inside += brightness(centre + dir * radius * 0.6);
            outside += brightness(centre + dir * radius * 1.5);
        }
        QVERIFY2(inside > 3 * outside + 16 * 20, qPrintable(QStringLiteral("%1 vs %2").arg(inside).arg(outside)));
    }

    void satelliteShowsInItsColour_data()
    {
        QTest::addColumn<astro::Elements>("el");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<double>("viewerLon");
        QTest::addColumn<double>("minutes");
        struct Row {
            const char *name;
            astro::Elements el;
            QColor color;
            double viewerLon;
        };
        const Row rows[] = {
            {"red: perigee below the surface", elements(6578, 0.05, 0, 0, 0, 180), Qt::red, 180.0},
            {"yellow: geostationary", elements(42164, 0, 0, 0, 0, 0), Qt::yellow, 0.0},
            {"white: start-up orbit", elements(6582, 0, 0, 0, 0, 0), Qt::white, 0.0},
            {"white: inclined ellipse", elements(12000, 0.3, 50, 40, 60, 30), Qt::white, -30.0},
        };
        for (const Row &r : rows)
            for (double minutes : {0.0, 15.0})
                QTest::addRow("%s, %g min", r.name, minutes) << r.el << r.color << r.viewerLon << minutes;
    }

    void satelliteShowsInItsColour()
    {
        QFETCH(astro::Elements, el);
        QFETCH(QColor, color);
        QFETCH(double, viewerLon);
        QFETCH(double, minutes);
        Snapshot s = scene;
        s.satellites.at(0).elements = el;
        s.satellites.at(0).color = color;
        s.viewer = {30, viewerLon, 1e8, s.viewer.serial + 1};
        publish(s);

        clock.setNow(astro::Instant{view::sampleStart().seconds + minutes * 60});
        const QImage img = frame();
        const std::optional<QPointF> p = view->satelliteScreenPosition();
        QVERIFY(p && img.rect().contains(p->toPoint()));
        // Where the orbit puts it, independent of the view's own bookkeeping.
        const Vec3 r = astro::toState(astro::propagate(el, minutes * 60)).r;
        QVERIFY(((*view->project(r)) - *p).manhattanLength() < 0.01);
        const QColor got = img.pixelColor(p->toPoint());
        QVERIFY2(close(got, color, 8), qPrintable(QStringLiteral("%1 at %2,%3").arg(rgb(got)).arg(p->x()).arg(p->y())));
        // The window system shows that same frame, overlay and all, not only
        // one drawn again off screen.
        const QRect area(view->mapToGlobal(QPoint(0, 0)), view->size());
        // The window surface and the off-screen frame may rasterise a line's
        // edge a pixel apart: a shown pixel counts only when nothing next to
        // it in the frame matches.
        const auto differing = [&] {
            const QImage shown = view->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                                     .toImage()
                                     .convertToFormat(QImage::Format_RGB32);
            const auto near = [](QRgb a, QRgb b) {
                return std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8 && std::abs(qBlue(a) - qBlue(b)) <= 8;
            };
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const QRgb c = shown.pixel(x, y);
                    bool matched = false;
                    for (int dy = -1; dy <= 1 && !matched; ++dy)
                        for (int dx = -1; dx <= 1 && !matched; ++dx)
                            matched = img.valid(x + dx, y + dy) && near(c, img.pixel(x + dx, y + dy));
                    n += !matched;
                }
            return n;
        };
        QTRY_VERIFY2(differing() < img.width() * img.height() / 200, qPrintable(QString::number(differing())));
    }

    // The Earth hides a marker and its orbit behind it, and only those, in a
    // frame drawn whole and in one that starts from the kept Earth alike.
    void theEarthHidesWhatLiesBehindIt_data()
    {
        QTest::addColumn<double>("viewerLon");
        QTest::addColumn<bool>("seen");
        QTest::newRow("in front") << 0.0 << true;
        QTest::newRow("behind") << 180.0 << false;
        QTest::newRow("beside, over the limb") << 90.0 << true;
    }

    void theEarthHidesWhatLiesBehindIt()
    {
        QFETCH(double, viewerLon);
        QFETCH(bool, seen);
        view->setAutoFit(false);
        Snapshot s = scene;
        s.satellites.at(0).elements = elements(8000, 0, 0, 0, 0, 0);
        s.viewer = {30, viewerLon, 4e7, s.viewer.serial + 1};
        for (const QColor color : {QColor(Qt::magenta), QColor(Qt::green)}) {  // the second over the kept Earth
            s.satellites.at(0).color = color;
            publish(s);
            const QImage img = frame();
            const QPoint at = view->satelliteScreenPosition()->toPoint();
            QVERIFY(img.rect().contains(at));
            QCOMPARE(close(img.pixelColor(at), color, 8), seen);
        }
    }

    // A kept orbit shows faded in its satellite's colour, a transfer dashed
    // in orange from burn to burn; both where the mechanics put them.
    void comparisonsShowWhereTheyLie_data()
    {
        QTest::addColumn<bool>("transfer");
        QTest::newRow("kept GEO, faded yellow") << false;
        QTest::newRow("transfer LEO to GEO, orange dashes") << true;
    }

    void comparisonsShowWhereTheyLie()
    {
        QFETCH(bool, transfer);
        Snapshot s = scene;
        const astro::Elements leo = elements(6678, 0, 0, 0, 0, 0), geo = elements(42164, 0, 0, 0, 0, 0);
        s.satellites.at(0).elements = leo;
        s.satellites.at(0).dataDisplayShown = false;
        const auto plan = astro::hohmann(leo, geo);
        if (transfer)
            s.transfer = TransferPlan{"Kept 1", "Satellite", std::get<astro::Transfer>(plan)};
        else
            s.keptOrbits.push_back({1, "Satellite", Qt::yellow, geo, s.satellites.at(0).elementsEpoch});
        view->setAutoFit(false);
        publish(s);
        const QImage img = frame();
        const auto wanted = [&](const QColor &c) {
            return transfer ? c.red() > 200 && c.green() > 120 && c.green() < 210 && c.blue() < 100
                            : c.red() > 70 && c.red() < 190 && std::abs(c.red() - c.green()) < 30 && c.blue() < 50;
        };
        int found = 0, samples = 0;
        for (int k = 0; k < 24; ++k) {
            // Transfer: the middle of each dash on its way out; kept: round the whole orbit.
            const double e = transfer ? astro::kPi * (3 * k + 0.3) / 72 : 2 * astro::kPi * k / 24;
            const Vec3 r = astro::positionAtEccentric(transfer ? std::get<astro::Transfer>(plan).ellipse : geo, e);
            const std::optional<QPointF> p = view->project(r);
            if (!p || norm(r) < 2 * R)
                continue;  // low points may lie behind the Earth
            ++samples;
            bool near = false;
            for (int dy = -2; dy <= 2 && !near; ++dy)
                for (int dx = -2; dx <= 2 && !near; ++dx)
                    near = img.valid(p->toPoint() + QPoint(dx, dy)) && wanted(img.pixelColor(p->toPoint() + QPoint(dx, dy)));
            found += near;
        }
        QVERIFY2(samples >= 12 && found >= samples * 3 / 4, qPrintable(QStringLiteral("%1 of %2").arg(found).arg(samples)));
    }

    void axesAppearAndDisappear()
    {
        const QString path = QStringLiteral("centralbody/earth inertial axes");
        Snapshot s = scene;
        QVERIFY(s.geometry.contains(path));
        s.geometry[path].show = true;
        s.satellites.at(0).name.clear();  // it sits on the y axis here, and its halo hides a stretch of it
        view->setAutoFit(false);  // the axes' reach is measured from the scenario's camera
        publish(s);
        QImage img = frame();
        QCOMPARE(yellowAlong(img, {0, 1, 0}), 20);
        QCOMPARE(yellowAlong(img, {0, 0, 1}), 20);

        s.geometry[path].show = false;
        publish(s);
        img = frame();
        QCOMPARE(yellowAlong(img, {0, 1, 0}), 0);
        QCOMPARE(yellowAlong(img, {0, 0, 1}), 0);
    }

    void fixedAxesTurnWithTheEarth()
    {
        // Six hours on, the Earth has turned about 90 degrees further.
        const astro::Instant t{view::sampleStart().seconds + 6 * 3600};
        clock.setNow(t);
        Snapshot s = scene;
        s.geometry[QStringLiteral("centralbody/earth fixed axes")].show = true;
        publish(s);
        const QImage img = frame();
        const double g = astro::gmst(t);
        QCOMPARE(yellowAlong(img, astro::rotateZ({0, 1, 0}, g)), 20);
        QCOMPARE(yellowAlong(img, {0, 0, 1}), 20);
        QCOMPARE(yellowAlong(img, {0, 1, 0}), 0);
    }

    void fixedFrameHoldsTheEarthStill_data()
    {
        QTest::addColumn<double>("hours");
        for (double hours : {0.0, 5.0, 13.0})
            QTest::addRow("%g h", hours) << hours;
    }

    void fixedFrameHoldsTheEarthStill()
    {
        QFETCH(double, hours);
        Snapshot s = scene;
        s.viewer = {0, 0, 5e7, s.viewer.serial + 1};
        s.geometry[QStringLiteral("centralbody/earth fixed axes")].show = true;
        s.frame = ReferenceFrame::Fixed;
        publish(s);
        const QPointF centre = this->centre();
        const astro::Instant t{view::sampleStart().seconds + hours * 3600};
        clock.setNow(t);
        // Greenwich on the equator faces the camera at longitude 0, at any time.
        const Vec3 greenwich = astro::rotateZ({R, 0, 0}, astro::gmst(t));
        QVERIFY((*view->project(greenwich) - centre).manhattanLength() < 0.5);
        // The fixed y axis points to the right of the screen all day.
        const QImage img = frame();
        const double pixelsPerMetre = (view->height() / 2.0) / std::tan(view::kFieldOfViewDeg / 2 * kDeg) / s.viewer.rangeM;
        int found = 0;
        for (int k = 0; k < 20; ++k) {
            const double d = 1.5 * R + (0.25 * s.viewer.rangeM - 1.5 * R) * k / 19;
            found += yellowNear(img, centre + QPointF(d * pixelsPerMetre, 0));
        }
        QCOMPARE(found, 20);

        // Back to inertial: now the inertial x axis faces the camera.
        s.frame = ReferenceFrame::Inertial;
        publish(s);
        QVERIFY((*view->project({R, 0, 0}) - centre).manhattanLength() < 0.5);
    }

    void viewerPositionPlacesTheCameraOncePerCommand()
    {
        const QPointF centre = this->centre();
        Snapshot s = scene;
        s.viewer = {0, 90, 5e7, s.viewer.serial + 1};
        publish(s);
        frame();
        QVERIFY((*view->project({0, R, 0}) - centre).manhattanLength() < 0.5);

        // The user turns the globe...
        mouse(QEvent::MouseButtonPress, centre, Qt::LeftButton);
        mouse(QEvent::MouseMove, centre + QPointF(60, 0), Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, centre + QPointF(60, 0), Qt::NoButton);
        frame();
        const QPointF turned = *view->project({0, R, 0});
        QVERIFY2(turned.x() > centre.x() + 10, qPrintable(QString::number(turned.x())));

        // ...other commands do not move the camera back...
        s.satellites.at(0).color = Qt::red;
        publish(s);
        frame();
        QVERIFY((*view->project({0, R, 0}) - turned).manhattanLength() < 0.5);

        // ...but the next viewer command does, even to the same place.
        s.viewer.serial += 1;
        publish(s);
        frame();
        QVERIFY((*view->project({0, R, 0}) - centre).manhattanLength() < 0.5);
    }

    void mouseTurnsWheelZoomsDoubleClickRecentres()
    {
        const QPointF centre = this->centre();
        frame();
        auto apparentRadius = [&] { return view->project({0, 0, R})->y() - view->project({0, 0, 0})->y(); };
        const double before = std::abs(apparentRadius());
        const QPointF earthBefore = *view->project({R, 0, 0});

        QWheelEvent wheel(centre, view->mapToGlobal(centre), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.get(), &wheel);
        frame();
        QVERIFY2(std::abs(apparentRadius()) > 1.3 * before, qPrintable(QString::number(apparentRadius())));

        mouse(QEvent::MouseButtonPress, centre, Qt::LeftButton);
        mouse(QEvent::MouseMove, centre + QPointF(0, 50), Qt::LeftButton);
        QVERIFY((*view->project({R, 0, 0}) - earthBefore).manhattanLength() > 5);

        mouse(QEvent::MouseButtonDblClick, centre, Qt::LeftButton);
        QTRY_VERIFY(std::abs(std::abs(apparentRadius()) - before) < 0.5);  // after a glide
        QTRY_VERIFY((*view->project({R, 0, 0}) - earthBefore).manhattanLength() < 0.5);
    }

    void degenerateOrbitsDrawWithoutError_data()
    {
        QTest::addColumn<astro::Elements>("el");
        QTest::addColumn<bool>("fixedFrame");
        QTest::addColumn<QStringList>("notes");
        const QStringList none;
        const QStringList circularEquatorial{"Line of Nodes: undefined (i = 0)", "Periapsis: undefined (e = 0)",
                                             "Argument of Perigee: undefined (i = 0)", "RAAN: undefined (i = 0)"};
        QTest::newRow("e = 0, i = 0") << elements(6582, 0, 0, 0, 0, 0) << false << circularEquatorial;
        QTest::newRow("e = 0, i = 0, fixed") << elements(6582, 0, 0, 0, 0, 0) << true << circularEquatorial;
        QTest::newRow("e = 0, inclined")
            << elements(7000, 0, 45, 30, 0, 0) << false
            << QStringList{"Periapsis: undefined (e = 0)", "Argument of Perigee: undefined (e = 0)"};
        QTest::newRow("e = 0.999") << elements(30000, 0.999, 20, 10, 80, 90) << false << none;
        QTest::newRow("e = 0.999 at periapsis, fixed") << elements(30000, 0.999, 20, 10, 80, 0) << true << none;
        QTest::newRow("a below the Earth's radius") << elements(5000, 0.1, 30, 0, 0, 0) << false << none;
        QTest::newRow("a = 50000 km") << elements(50000, 0.001, 5, 0, 0, 0) << false << none;
        QTest::newRow("a = 50000 km, fixed") << elements(50000, 0.001, 5, 0, 0, 0) << true << none;
    }

    void degenerateOrbitsDrawWithoutError()
    {
        QFETCH(astro::Elements, el);
        QFETCH(bool, fixedFrame);
        QFETCH(QStringList, notes);
        view::SampleOptions o;
        o.elements = el;
        o.aids = true;
        o.frame = fixedFrame ? ReferenceFrame::Fixed : ReferenceFrame::Inertial;
        Snapshot s = view::sampleScene(o);
        s.annotations = {true, true, true};
        publish(s);

        WarningCapture capture;
        const QImage img = frame();
        clock.setNow(astro::Instant{view::sampleStart().seconds + 3600});
        const QImage later = frame();
        capture.stop();

        QVERIFY(view->rendererReady());
        QVERIFY2(capture.warnings.isEmpty(), qPrintable(capture.warnings.join('\n')));
        view->makeCurrent();
        const GLenum error = view->context()->functions()->glGetError();
        view->doneCurrent();
        QCOMPARE(error, GLenum(GL_NO_ERROR));
        QVERIFY(!img.isNull() && !later.isNull());
        QStringList got = view->undefinedAidNotes();
        got.sort();
        notes.sort();
        QCOMPARE(got, notes);
        const std::optional<QPointF> p = view->satelliteScreenPosition();
        QVERIFY(p && std::isfinite(p->x()) && std::isfinite(p->y()));
    }

    // While the camera, the Earth, the Sun and the other orbits stay, a frame
    // starts from the last one's picture of them: it must equal a frame drawn
    // whole, with the orbit passing behind the Earth in both.
    void keptBackdropGivesTheSameFrame_data()
    {
        QTest::addColumn<bool>("fixedFrame");
        QTest::newRow("inertial") << false;
        QTest::newRow("Earth-fixed") << true;
    }

    void keptBackdropGivesTheSameFrame()
    {
        QFETCH(bool, fixedFrame);
        view->setAutoFit(false);
        Snapshot s = scene;
        s.frame = fixedFrame ? ReferenceFrame::Fixed : ReferenceFrame::Inertial;
        s.viewer = {10, 30, 3e7, s.viewer.serial + 1};
        s.satellites.at(0).elements.i = 60 * kDeg;
        SatelliteState other = s.satellites.at(0);  // its orbit is kept with the Earth
        other.name = QStringLiteral("Other");
        other.color = Qt::cyan;
        other.elements = elements(9000, 0.1, 20, 0, 0, 0);
        s.satellites.push_back(other);
        publish(s);
        const QImage first = frame();
        s.satellites.at(0).elements.i = 35 * kDeg;  // a new orbit over the same backdrop
        publish(s);
        const QImage fromKept = frame();
        QVERIFY(fromKept != first);
        const astro::Instant t = clock.now();
        clock.setNow(astro::Instant{t.seconds + 600});
        frame();  // another backdrop kept in between
        clock.setNow(t);
        const QImage whole = frame();
        QCOMPARE(fromKept, whole);
    }

    // While the clock plays the Earth turns under orbits that stay put: they
    // are laid from their picture, which must look as if drawn over the Earth.
    void laidLinesLookAsIfDrawn()
    {
        view->setAutoFit(false);
        Snapshot s = scene;
        s.viewer = {10, 30, 3e7, s.viewer.serial + 1};
        SatelliteState other = s.satellites.at(0);
        other.name = QStringLiteral("Other");
        other.color = QColor(255, 120, 40);
        other.elements = elements(8000, 0.1, 50, 40, 20, 0);
        s.satellites.push_back(other);
        // Lines enough to be worth their picture.
        for (int k = 0; k < 60; ++k) {
            SatelliteState more = other;
            more.name = QStringLiteral("More %1").arg(k);
            more.color = QColor::fromHsv(k * 6, 200, 255);
            more.elements = elements(9000 + 300 * k, 0.05, k * 3, 0, k * 6, 0);
            s.satellites.push_back(more);
        }
        // Faded, and over the Earth: what a picture's blending could get wrong.
        s.keptOrbits.push_back({1, "Satellite", Qt::yellow, elements(7500, 0, 80, 0, 100, 0), s.satellites.at(0).elementsEpoch});
        publish(s);
        const QImage drawn = frame();
        const astro::Instant t = clock.now();
        for (int tick = 1; tick <= 3; ++tick) {
            clock.setNow(astro::Instant{t.seconds + 600 * tick});
            QVERIFY(frame() != drawn);  // the Earth turns
        }
        clock.setNow(t);
        const QImage laid = frame();
        int orange = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x)
                orange += close(drawn.pixelColor(x, y), other.color, 40);
        }
        QVERIFY2(orange > 200, "the other orbit is drawn");
        // A picture's colours are rounded to 8 bits once more.
        QCOMPARE_LE(worstDifference(laid, drawn), 2);
    }

    void burstOfCommandsCostsOneFrameAndShowsTheLastClockChangeRedraws()
    {
        frame();
        QTest::qWait(100);
        int frames = 0;
        connect(view.get(), &EarthView::frameDrawn, this, [&] { ++frames; });
        Snapshot s = scene;
        for (int k = 0; k < 100; ++k) {
            s.satellites.at(0).elements.i = k * 0.5 * kDeg;
            s.satellites.at(0).color = k % 2 ? Qt::yellow : Qt::white;
            publish(s);
        }
        s.satellites.at(0).color = Qt::red;
        publish(s);
        QTRY_VERIFY(frames >= 1);
        QTest::qWait(300);
        QCOMPARE(frames, 1);  // one repaint for the burst, and no timer drawing on
        QCOMPARE(view->drawnRevision(), scene.revision);
        const QImage img = frame();
        const QColor got = img.pixelColor(view->satelliteScreenPosition()->toPoint());
        QVERIFY2(close(got, Qt::red, 8), qPrintable(rgb(got)));

        // A clock change alone redraws once too.
        QTest::qWait(100);
        frames = 0;
        clock.setNow(astro::Instant{view::sampleStart().seconds + 60});
        QTRY_COMPARE(frames, 1);
    }

    void closingWhilePreparingLeavesNothingBehind()
    {
        // A window closed at once, before its thread has made the context.
        WarningCapture capture;
        for (int k = 0; k < 3; ++k) {
            EarthView early(store, clock);
            early.show();
        }
        capture.stop();
        QVERIFY2(capture.warnings.isEmpty(), qPrintable(capture.warnings.join('\n')));
    }

    void movingToAnotherWindowKeepsDrawing()
    {
        // A new top-level window gives the view's surface a new native window;
        // the context and its resources stay with the view.
        Snapshot s = scene;
        s.satellites.at(0).color = Qt::yellow;
        publish(s);
        frame();
        WarningCapture capture;
        {
            QWidget host;
            host.resize(700, 520);
            view->setParent(&host);
            view->move(10, 10);
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
            QTRY_VERIFY(view->rendererReady());
            const QImage img = frame();
            const QColor got = img.pixelColor(view->satelliteScreenPosition()->toPoint());
            QVERIFY2(close(got, Qt::yellow, 8), qPrintable(rgb(got)));
            view->setParent(nullptr);
        }
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        frame();
        view.reset();
        capture.stop();
        QVERIFY2(capture.warnings.isEmpty(), qPrintable(capture.warnings.join('\n')));
    }
};

QTEST_MAIN(TstViewEarthView)
#include "tst_earthview.moc"
