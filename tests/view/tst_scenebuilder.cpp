// The scene the 3-D view draws, built without a display: what appears for
// which settings, and where its marker and labels land.

#include "standin/model/interpreter.h"
#include "standin/view/backdropcache.h"
#include "standin/view/drawbatches.h"
#include "standin/view/overlaypainter.h"
#include "standin/view/samplescene.h"
#include "standin/view/scenebuilder.h"
#include "tests/support/contrast.h"
#include "tests/support/transcript.h"
#include "tests/view/viewtest.h"

#include <QtTest>

#include <algorithm>
#include <cmath>

Q_DECLARE_METATYPE(zep::astro::Elements)
Q_DECLARE_METATYPE(QList<zep::view::Draw>)

using namespace zep;
using namespace zep::view;
using namespace viewtest;

namespace {

const QSize kSize(800, 600);

Scene build(const Snapshot &s, astro::Instant t = sampleStart())
{
    return buildScene(s, Camera{s.viewer.latitudeDeg, s.viewer.longitudeDeg, s.viewer.rangeM}, t, kSize);
}

QStringList labelTexts(const Scene &scene)
{
    QStringList texts;
    for (const Label &l : scene.labels)
        texts << l.text;
    texts.sort();
    return texts;
}

int count(const Scene &scene, auto &&pred) { return int(std::count_if(scene.draws.begin(), scene.draws.end(), pred)); }

// Where a vertex of the scene lands on the widget, as the GPU would put it.
QPointF onScreen(const Scene &scene, int vertex)
{
    const QVector4D clip = scene.viewProjection
        * QVector4D(scene.vertices[3 * vertex], scene.vertices[3 * vertex + 1], scene.vertices[3 * vertex + 2], 1);
    return {(clip.x() / clip.w() + 1) / 2 * scene.size.width(), (1 - clip.y() / clip.w()) / 2 * scene.size.height()};
}

// No label on a block or off the view, and each within seven lines of its point; with
// `apart`, no label on another.
void checkPlacement(const OverlayLayout &layout, const Scene &scene, bool apart)
{
    for (const OverlayLayout::Text &l : layout.labels) {
        for (const QRectF &b : layout.blocks)
            QVERIFY2(!l.room.intersects(b), qPrintable(l.text));
        const auto from = std::find_if(scene.labels.begin(), scene.labels.end(), [&](const Label &x) { return x.text == l.text; });
        QVERIFY(from != scene.labels.end());
        const QRectF near = l.room.adjusted(-120, -120, 120, 120);
        QVERIFY2(near.contains(from->anchor), qPrintable(l.text));
        QVERIFY2(QRectF(QPointF(), QSizeF(scene.size)).contains(l.room), qPrintable(l.text));
    }
    for (size_t i = 0; apart && i < layout.labels.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            QVERIFY2(!layout.labels[i].room.intersects(layout.labels[j].room),
                     qPrintable(layout.labels[i].text + QStringLiteral(" on ") + layout.labels[j].text));
}

// Contrast of a text colour on a translucent box over a backdrop.
double contrast(const QColor &text, const QColor &box, const QColor &behind)
{
    return velmora::testing::ContrastRatio(text, velmora::testing::Over(box, behind));
}

} // namespace

class TstViewSceneBuilder : public QObject {
    Q_OBJECT
private slots:
    void whatTheSceneHolds_data()
    {
        QTest::addColumn<bool>("aids");
        QTest::addColumn<bool>("grid");
        QTest::addColumn<bool>("fixedFrame");
        QTest::addColumn<bool>("orbit");
        QTest::addColumn<astro::Elements>("el");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QStringList>("notes");
        const astro::Elements inclined = elements(12000, 0.3, 50, 40, 60, 30);
        const QStringList axes{"Inertial X", "Inertial Y", "Inertial Z", "Satellite"};
        const QStringList aids{"Argument of Perigee 60.0\u00B0", "Inclination 50.0\u00B0", "Inertial Z", "Line of Nodes",
                               "Orbit Angular Momentum", "Periapsis", "Position", "RAAN 40.0\u00B0", "Satellite",
                               "Vernal Equinox"};
        const QStringList none;
        QTest::newRow("start-up: grid and inertial axes") << false << true << false << true << inclined << axes << none;
        QTest::newRow("grid off") << false << false << false << true << inclined << axes << none;
        QTest::newRow("no orbit: axes only") << false << true << false << false << inclined
                                             << QStringList{"Inertial X", "Inertial Y", "Inertial Z"} << none;
        QTest::newRow("aids, inertial") << true << true << false << true << inclined << aids << none;
        QTest::newRow("aids, fixed frame") << true << true << true << true << inclined << aids << none;
        QTest::newRow("aids without an orbit say nothing") << true << false << false << false << inclined << none << none;
        QTest::newRow("aids, circular equatorial")
            << true << false << false << true << elements(6582, 0, 0, 0, 0, 0)
            << QStringList{"Inclination 0.0\u00B0", "Inertial Z", "Orbit Angular Momentum", "Position", "Satellite",
                           "Vernal Equinox"}
            << QStringList{"Line of Nodes: undefined (i = 0)", "Periapsis: undefined (e = 0)",
                           "RAAN: undefined (i = 0)", "Argument of Perigee: undefined (i = 0)"};
    }

    void whatTheSceneHolds()
    {
        QFETCH(bool, aids);
        QFETCH(bool, grid);
        QFETCH(bool, fixedFrame);
        QFETCH(bool, orbit);
        QFETCH(astro::Elements, el);
        QFETCH(QStringList, labels);
        QFETCH(QStringList, notes);
        SampleOptions o;
        o.elements = el;
        o.aids = aids;
        o.frame = fixedFrame ? ReferenceFrame::Fixed : ReferenceFrame::Inertial;
        Snapshot s = sampleScene(o);
        s.grid.showEci = grid;
        s.satellites.at(0).hasOrbit = orbit;
        s.viewer = {30, 20, 1e8, 1};
        const Scene scene = build(s);

        QCOMPARE(labelTexts(scene), labels);
        QStringList gotNotes = scene.notes;
        gotNotes.sort();
        notes.sort();
        QCOMPARE(gotNotes, notes);
        // The grid is the only thing drawn under what follows at its depth.
        QCOMPARE(count(scene, [](const Draw &d) { return !d.depthWrite; }) > 0, grid);
        QCOMPARE(count(scene, [](const Draw &d) { return d.primitive == Primitive::Points; }), orbit ? 1 : 0);
        QCOMPARE(scene.dataDisplay.has_value(), orbit);
        QCOMPARE(scene.meshes.size(), size_t(1));
        QVERIFY(scene.sky.has_value());
        for (const Draw &d : scene.draws)
            QVERIFY(d.first >= 0 && d.count > 0 && size_t(d.first + d.count) * 3 <= scene.vertices.size());
    }

    void zeroAnglesNeverRingWhileAnimating_data()
    {
        // Angles of 0 as the propagated state gives them back, a hair either
        // side, at thirty instants over a period: never a ring, never 360.0.
        QTest::addColumn<astro::Elements>("el");
        QTest::addColumn<QString>("angle");  // the label that must read 0.0
        QTest::addColumn<int>("arcs");       // arcs still drawn
        QTest::newRow("RAAN 0") << elements(12000, 0.3, 50, 0, 60, 30) << "RAAN" << 2;
        QTest::newRow("argument of perigee 0") << elements(12000, 0.3, 50, 40, 0, 30) << "Argument of Perigee" << 2;
        QTest::newRow("RAAN and perigee 0") << elements(9000, 0.1, 30, 0, 0, 0) << "RAAN" << 1;
        QTest::newRow("inclination 0.01") << elements(12000, 0.3, 0.01, 40, 60, 30) << "Inclination" << 2;
    }

    void zeroAnglesNeverRingWhileAnimating()
    {
        QFETCH(astro::Elements, el);
        QFETCH(QString, angle);
        QFETCH(int, arcs);
        SampleOptions o;
        o.elements = el;
        o.aids = true;
        const Snapshot s = sampleScene(o);
        const double period = astro::period(el.a);
        for (int k = 0; k < 30; ++k) {
            const Scene scene = build(s, astro::Instant{sampleStart().seconds + period * k / 30.0});
            const QStringList texts = labelTexts(scene);
            QVERIFY2(texts.contains(angle + QStringLiteral(" 0.0\u00B0")), qPrintable(texts.join('|')));
            QVERIFY2(texts.filter(QStringLiteral("360.0")).isEmpty(), qPrintable(texts.join('|')));
            // Arcs are the only 2.5 px strips.
            QCOMPARE(count(scene, [](const Draw &d) { return d.primitive == Primitive::LineStrip && d.size == 2.5f; }), arcs);
        }
    }

    void labelsKeepClearOfTheBoxes_data()
    {
        // A crowded 640 x 480 overlay: a tall data box top left, annotations
        // top right, notes bottom left, the credit bottom right.
        QTest::addColumn<QList<QPointF>>("anchors");
        QTest::newRow("open space: stays put") << QList<QPointF>{{320, 300}};
        QTest::newRow("inside the data box's corner") << QList<QPointF>{{120, 150}};
        QTest::newRow("ten on one point") << QList<QPointF>(10, QPointF(330, 260));
        QTest::newRow("on the data box's edge, stacked") << QList<QPointF>(5, QPointF(200, 120));
        QTest::newRow("under the annotations") << QList<QPointF>{{560, 20}, {600, 30}, {630, 12}};
        QTest::newRow("over the notes") << QList<QPointF>{{20, 455}, {60, 440}, {150, 470}};
        QTest::newRow("over the credit") << QList<QPointF>{{560, 470}, {590, 465}};
        QTest::newRow("deep under the data box") << QList<QPointF>{{60, 60}};
    }

    void labelsKeepClearOfTheBoxes()
    {
        QFETCH(QList<QPointF>, anchors);
        Scene scene;
        scene.size = QSize(640, 480);
        QStringList lines;
        for (int i = 0; i < 12; ++i)
            lines << QStringLiteral("Some Element Line %1: 1234.567 km").arg(i);
        scene.dataDisplay = TextBox{QStringLiteral("Satellite - Classical Orbit Elements"), Qt::white, lines, {}, {}};
        scene.annotations = QStringList{"1 Jul 2005 12:00:00.00 UTC", "Time Step: 60.00 sec", "Frame: Earth Inertial"};
        scene.notes = QStringList{"Line of Nodes: undefined (i = 0)", "Periapsis: undefined (e = 0)"};
        for (int i = 0; i < anchors.size(); ++i)
            scene.labels.push_back({anchors[i], QPointF(4, -4), QStringLiteral("Orbit Angular Momentum %1").arg(i), Qt::yellow});
        const OverlayLayout layout = layOutOverlay(scene, QFont(), QStringLiteral("Earth imagery: someone"));
        QCOMPARE(layout.blocks.size(), size_t(4));
        checkPlacement(layout, scene, true);
        if (QTest::currentDataTag() == QByteArray("open space: stays put"))
            QCOMPARE(layout.labels.front().baseline, QPointF(324, 296));
        if (QTest::currentDataTag() == QByteArray("deep under the data box"))
            QVERIFY(layout.labels.empty());  // rather than far from its point
        else
            QCOMPARE(int(layout.labels.size()), anchors.size());
    }

    void builtSceneLabelsKeepClear_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("range");
        QTest::newRow("small window, close") << QSize(420, 320) << 3e7;
        QTest::newRow("small window, far") << QSize(420, 320) << 1e8;
        QTest::newRow("tall narrow window") << QSize(300, 700) << 5e7;
        QTest::newRow("least 3-D window") << QSize(320, 240) << 5e7;
    }

    void builtSceneLabelsKeepClear()
    {
        // Every aid, the annotations and notes on, in a small window, through a period.
        QFETCH(QSize, size);
        QFETCH(double, range);
        SampleOptions o;
        o.elements = elements(12000, 0.3, 50, 40, 60, 30);
        o.aids = true;
        Snapshot s = sampleScene(o);
        s.annotations = {true, true, true};
        for (int k = 0; k < 12; ++k) {
            const astro::Instant t{sampleStart().seconds + astro::period(o.elements.a) * k / 12};
            const Scene scene = buildScene(s, Camera{20, 30.0 * k, range}, t, size);
            checkPlacement(layOutOverlay(scene, QFont(), QStringLiteral("Imagery: someone")), scene, true);
        }
    }

    void markerAndNameSitOnTheSatellite_data()
    {
        QTest::addColumn<astro::Elements>("el");
        QTest::addColumn<double>("viewerLon");
        QTest::addColumn<bool>("fixedFrame");
        QTest::addColumn<bool>("named");
        QTest::newRow("facing the camera") << elements(7000, 0, 0, 0, 0, 0) << 0.0 << false << true;
        QTest::newRow("facing the camera, fixed") << elements(7000, 0, 0, 0, 0, 0) << 0.0 << true << true;
        QTest::newRow("inclined ellipse") << elements(12000, 0.3, 50, 40, 60, 30) << 150.0 << false << true;
        QTest::newRow("inclined ellipse, behind the Earth") << elements(12000, 0.3, 50, 40, 60, 30) << -30.0 << false << false;
        QTest::newRow("geostationary, far side of the camera") << elements(42164, 0, 0, 0, 0, 90) << 0.0 << false << true;
        QTest::newRow("behind the Earth: marker, no name") << elements(7000, 0, 0, 0, 0, 0) << 180.0 << false << false;
    }

    void markerAndNameSitOnTheSatellite()
    {
        QFETCH(astro::Elements, el);
        QFETCH(double, viewerLon);
        QFETCH(bool, fixedFrame);
        QFETCH(bool, named);
        SampleOptions o;
        o.elements = el;
        o.frame = fixedFrame ? ReferenceFrame::Fixed : ReferenceFrame::Inertial;
        Snapshot s = sampleScene(o);
        s.viewer = {0, viewerLon, 5e7, 1};
        const Framing f = frameScene(s, {0, viewerLon, 5e7}, sampleStart(), kSize);
        const Scene scene = buildScene(s, f);
        const std::optional<QPointF> sat = projectPoint(f.proj, f.display(f.sat->r));
        QVERIFY(sat);

        const auto marker = std::find_if(scene.draws.begin(), scene.draws.end(),
                                         [](const Draw &d) { return d.primitive == Primitive::Points; });
        QVERIFY(marker != scene.draws.end());
        QCOMPARE(marker->count, 1);
        // Slid towards the eye, but on the same pixel.
        QVERIFY2((onScreen(scene, marker->first) - *sat).manhattanLength() < 0.5,
                 qPrintable(QStringLiteral("%1,%2 vs %3,%4").arg(onScreen(scene, marker->first).x())
                                .arg(onScreen(scene, marker->first).y()).arg(sat->x()).arg(sat->y())));

        const auto name = std::find_if(scene.labels.begin(), scene.labels.end(),
                                       [](const Label &l) { return l.text == QLatin1String("Satellite"); });
        QCOMPARE(name != scene.labels.end(), named);
        if (named) {
            QVERIFY((name->anchor - *sat).manhattanLength() < 1e-6);
            QVERIFY(name == scene.labels.begin());  // placed first, the aids' labels go round it
        }
    }

    void earthHeldStillInTheFixedFrame_data()
    {
        QTest::addColumn<double>("hours");
        QTest::addColumn<bool>("fixedFrame");
        for (double hours : {0.0, 5.0, 13.0}) {
            QTest::addRow("%g h, inertial", hours) << hours << false;
            QTest::addRow("%g h, fixed", hours) << hours << true;
        }
    }

    void earthHeldStillInTheFixedFrame()
    {
        QFETCH(double, hours);
        QFETCH(bool, fixedFrame);
        SampleOptions o;
        o.frame = fixedFrame ? ReferenceFrame::Fixed : ReferenceFrame::Inertial;
        const astro::Instant t{sampleStart().seconds + hours * 3600};
        const Scene scene = build(sampleScene(o), t);
        // Greenwich on the equator, in the mesh's own axes, lands where the
        // frame on show puts it.
        const QVector3D greenwich = scene.meshes.front().model.map(QVector3D(1, 0, 0));
        const Vec3 expected = fixedFrame ? Vec3{1, 0, 0} : astro::rotateZ({1, 0, 0}, astro::gmst(t));
        QVERIFY2(near({greenwich.x(), greenwich.y(), greenwich.z()}, expected, 1e-5),
                 qPrintable(QStringLiteral("%1 %2 %3").arg(greenwich.x()).arg(greenwich.y()).arg(greenwich.z())));
    }

    void refusedStateIsSaidUntilOneIsAccepted_data()
    {
        QTest::addColumn<QStringList>("states");  // elements of the state commands, in order
        QTest::addColumn<QString>("line");        // what the views then say; empty: nothing
        const QString ok = QStringLiteral("7000000 0.1 10 20 30 40");
        QTest::newRow("accepted") << QStringList{ok} << QString();
        QTest::newRow("hyperbolic") << QStringList{ok, "7000000 1.5 10 20 30 40"} << "Not shown: eccentricity 1.5 must be below 1";
        QTest::newRow("negative eccentricity") << QStringList{ok, "7000000 -0.2 10 20 30 40"}
                                               << "Not shown: eccentricity -0.2 must not be negative";
        QTest::newRow("before any orbit") << QStringList{"-7000000 0 0 0 0 0"}
                                          << "Not shown: semi-major axis -7000 km must be above zero";
        QTest::newRow("not a number") << QStringList{"7000000 0.1 ten 20 30 40"}
                                      << "Not shown: the inclination \"ten\" is not a finite decimal number";
        QTest::newRow("accepted again") << QStringList{"7000000 1.5 10 20 30 40", ok} << QString();
    }

    void refusedStateIsSaidUntilOneIsAccepted()
    {
        QFETCH(QStringList, states);
        QFETCH(QString, line);
        namespace golden = velmora::testing::golden;
        ScenarioStore store;
        CommandInterpreter host(store);
        for (const QString &command : golden::scenarioPreparation())
            QVERIFY2(host.execute(command).ok, qPrintable(command));
        for (const QString &el : states)
            host.execute("SetState Scenario/Velmora/Satellite/Satellite Classical TwoBody \"" + golden::kStart + "\" \""
                         + golden::kStop + "\" 60 J2000 \"" + golden::kStart + "\" " + el);
        const Scene scene = build(*store.snapshot());
        QCOMPARE(scene.refusal, line);
        QCOMPARE(refusalLine(*store.snapshot()), line);  // the map's words
        const OverlayLayout layout = layOutOverlay(scene, QFont());
        QCOMPARE(layout.refusalBox.has_value(), !line.isEmpty());
        // Legible on its box wherever the box lies, on a black sky or a white cloud.
        for (const QColor &behind : {QColor(Qt::black), QColor(Qt::white)})
            QVERIFY(contrast(refusalColor(), refusalBackground(), behind) >= 4.5);
    }

    void overlayBoxesStayApart_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("refused");
        for (const QSize size : {QSize(320, 240), QSize(400, 300), QSize(480, 360), QSize(640, 480), QSize(800, 600),
                                 QSize(1280, 1024), QSize(320, 700), QSize(1000, 240)})
            for (bool refused : {false, true})
                QTest::addRow("%dx%d%s", size.width(), size.height(), refused ? ", refused" : "") << size << refused;
    }

    void overlayBoxesStayApart()
    {
        // Everything at once: the data display, the annotations, four notes, the credit, a long refusal.
        QFETCH(QSize, size);
        QFETCH(bool, refused);
        SampleOptions o;
        o.elements = elements(6582, 0, 0, 0, 0, 0);
        o.aids = true;
        Snapshot s = sampleScene(o);
        s.annotations = {true, true, true};
        if (refused)
            s.satellites.at(0).stateRefusal = QStringLiteral("semi-major axis 1e+297 km is too small or too large for an orbit period");
        const Scene scene = buildScene(s, Camera{30, 20, 5e7}, sampleStart(), size);
        QCOMPARE(scene.notes.size(), 4);
        const OverlayLayout layout = layOutOverlay(scene, QFont(), QStringLiteral("Earth imagery: NASA Visible Earth"));
        QCOMPARE(layout.blocks.size(), size_t(refused ? 5 : 4));  // nothing left out
        const QRectF view(QPointF(0, 0), QSizeF(size));
        for (size_t i = 0; i < layout.blocks.size(); ++i) {
            QVERIFY2(view.contains(layout.blocks[i]), qPrintable(QString::number(i)));
            for (size_t j = 0; j < i; ++j)
                QVERIFY2(!layout.blocks[i].intersects(layout.blocks[j]), qPrintable(QStringLiteral("%1 on %2").arg(i).arg(j)));
        }
        // Every readout is kept, only shorter; a roomy view keeps the full size and words.
        QCOMPARE(int(layout.dataLines.size()), scene.dataDisplay->lines.size() + 1);
        if (size.width() >= 800 && size.height() >= 600) {
            QCOMPARE(layout.font.pointSizeF(), 9.5);
            QCOMPARE(layout.dataLines.back().text, scene.dataDisplay->lines.back());
        }
        checkPlacement(layout, scene, true);
    }

    // A target's orbit, marker and name stay off the 3-D view until revealed;
    // the match box says how far the selected orbit is, and "Matched" within
    // the tolerance, clear of the other boxes.
    void targetIsMatchedUnseen_data()
    {
        QTest::addColumn<double>("offKm");  // the target's a above the satellite's
        QTest::addColumn<bool>("revealed");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<bool>("matched");
        QTest::newRow("hidden, same orbit") << 0.0 << false << kSize << QString("a: 0.0 km \u2713") << true;
        QTest::newRow("hidden, 200 km off") << 200.0 << false << kSize << QString("a: -200.0 km") << false;
        QTest::newRow("revealed") << 200.0 << true << kSize << QString("a: -200.0 km") << false;
        QTest::newRow("smallest window") << 0.0 << false << QSize(320, 240) << QString("a: 0.0 km \u2713") << true;
    }

    void targetIsMatchedUnseen()
    {
        QFETCH(double, offKm);
        QFETCH(bool, revealed);
        QFETCH(QSize, size);
        QFETCH(QString, firstLine);
        QFETCH(bool, matched);
        SampleOptions o;
        o.elements = elements(7000, 0.02, 30, 40, 50, 60);
        Snapshot s = sampleScene(o);
        s.annotations = {true, true, true};
        SatelliteState target = s.satellites.front();
        target.name = QStringLiteral("Target1");
        target.color = QColor(255, 80, 200);
        target.elements.a += offKm * 1000;
        target.target = true;
        s.satellites.push_back(target);
        s.targetRevealed = revealed;
        const Scene scene = buildScene(s, Camera{30, 20, 5e7}, sampleStart(), size);
        const int drawn = count(scene, [&](const Draw &d) { return d.color == target.color; });
        QCOMPARE(drawn > 0, revealed);  // its orbit and marker
        QCOMPARE(labelTexts(scene).contains("Target1"), revealed);
        QVERIFY(scene.matchBox);
        QCOMPARE(scene.matchBox->title, QString("Match Target1"));
        QCOMPARE(scene.matchBox->lines.front(), firstLine);
        QCOMPARE(scene.matchBox->lines.size(), revealed ? 11 : 8);
        QCOMPARE(scene.matchBox->banner, matched ? QString("Matched") : QString());
        // Clear of every other box and inside the view, "Matched" in it.
        const OverlayLayout layout = layOutOverlay(scene, QFont(), QStringLiteral("Earth imagery: NASA Visible Earth"));
        QVERIFY(layout.matchBox && layout.dataBox);
        const QRectF view(QPointF(0, 0), QSizeF(size));
        for (size_t i = 0; i < layout.blocks.size(); ++i) {
            QVERIFY2(view.contains(layout.blocks[i]), qPrintable(QString::number(i)));
            for (size_t j = 0; j < i; ++j)
                QVERIFY2(!layout.blocks[i].intersects(layout.blocks[j]), qPrintable(QStringLiteral("%1 on %2").arg(i).arg(j)));
        }
        QCOMPARE(bool(layout.matchBanner), matched);
    }

    void labelColoursReadOnBlack_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::addColumn<bool>("lifted");
        QTest::newRow("blue is lifted") << QColor(Qt::blue) << true;
        QTest::newRow("dark red is lifted") << QColor(90, 0, 0) << true;
        QTest::newRow("yellow stays") << QColor(Qt::yellow) << false;
        QTest::newRow("white stays") << QColor(Qt::white) << false;
    }

    void labelColoursReadOnBlack()
    {
        QFETCH(QColor, color);
        QFETCH(bool, lifted);
        Snapshot s = sampleScene();
        GeometryItem &x = s.geometry[QStringLiteral("centralbody/earth inertial axes")];
        x.color = color;
        const Scene scene = build(s);
        const auto label = std::find_if(scene.labels.begin(), scene.labels.end(),
                                        [](const Label &l) { return l.text == QLatin1String("Inertial X"); });
        QVERIFY(label != scene.labels.end());
        QCOMPARE(label->color != color, lifted);
        QVERIFY(label->color.lightnessF() >= color.lightnessF());
    }

    // A frame reuses the kept sky and Earth only when nothing they show has
    // changed: a key that missed a change would show a stale Earth. The sky
    // with its lines is kept on while only the Earth turns beneath them.
    void backdropKeyFollowsWhatTheEarthShows_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("same");
        QTest::addColumn<bool>("linesSame");
        QTest::newRow("the orbit edited") << "orbit" << true << true;
        QTest::newRow("another satellite's orbit edited") << "other" << false << false;
        QTest::newRow("another colour") << "colour" << true << true;
        QTest::newRow("a minute on: the Earth turns") << "time" << false << true;
        QTest::newRow("a minute on, Earth-fixed: the orbits turn") << "fixed time" << false << false;
        QTest::newRow("the camera turned") << "camera" << false << false;
        QTest::newRow("the camera closer") << "range" << false << false;
        QTest::newRow("Earth-fixed frame") << "frame" << false << false;
        QTest::newRow("a larger window") << "size" << false << false;
        QTest::newRow("twice the pixel ratio") << "ratio" << false << false;
    }

    void backdropKeyFollowsWhatTheEarthShows()
    {
        QFETCH(QString, change);
        QFETCH(bool, same);
        QFETCH(bool, linesSame);
        Snapshot s = sampleScene();
        SatelliteState other = s.satellites.at(0);
        other.name = QStringLiteral("Other");
        other.elements = elements(12000, 0.1, 30, 0, 0, 0);
        s.satellites.push_back(other);
        if (change == "fixed time")
            s.frame = ReferenceFrame::Fixed;
        const Camera camera{30, 20, 4e7};
        const BackdropCache::Key before =
            BackdropCache::keyOf(buildScene(s, camera, sampleStart(), kSize), kSize, 1);
        Snapshot t = s;
        Camera c = camera;
        astro::Instant at = sampleStart();
        QSize size = kSize;
        qreal ratio = 1;
        if (change == "orbit")
            t.satellites.at(0).elements.i = 40 * kDeg;
        else if (change == "other")
            t.satellites.at(1).elements.i = 40 * kDeg;
        else if (change == "colour")
            t.satellites.at(0).color = Qt::red;
        else if (change == "time" || change == "fixed time")
            at.seconds += 60;
        else if (change == "camera")
            c.longitudeDeg += 1;
        else if (change == "range")
            c.rangeM *= 0.9;
        else if (change == "frame")
            t.frame = ReferenceFrame::Fixed;
        else if (change == "size")
            size = QSize(900, 600);
        else if (change == "ratio")
            ratio = 2;
        const BackdropCache::Key after = BackdropCache::keyOf(buildScene(t, c, at, size), size * ratio, ratio);
        QCOMPARE(before == after, same);
        QCOMPARE(before.lines == after.lines, linesSame);
    }

    // The renderer's calls: runs of one style merge, the scene's order and
    // every draw's colour stay, and nothing too short to draw is sent.
    void drawsBatchInOrder_data()
    {
        QTest::addColumn<QList<Draw>>("draws");
        QTest::addColumn<int>("vertices");
        QTest::addColumn<int>("first");  // the draws first..end-1, without depth when end < 0
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("batches");  // kind size depth: indices; ...
        const QColor a(Qt::red), b(Qt::cyan);
        using P = Primitive;
        QTest::newRow("two strips in one style")
            << QList<Draw>{{P::LineStrip, 0, 3, a, 1.5f}, {P::LineStrip, 3, 2, b, 1.5f}} << 5 << 0 << 2
            << "L 1.5 d: 0 1 1 2 3 4";
        QTest::newRow("a wider strip between splits the run")
            << QList<Draw>{{P::LineStrip, 0, 2, a, 1.5f}, {P::LineStrip, 2, 2, b, 2.0f}, {P::LineStrip, 4, 2, a, 1.5f}}
            << 6 << 0 << 3 << "L 1.5 d: 0 1; L 2 d: 2 3; L 1.5 d: 4 5";
        QTest::newRow("grid without depth, then markers")
            << QList<Draw>{{P::Lines, 0, 4, a, 1.2f, false}, {P::Points, 4, 1, a, 9}, {P::Points, 5, 1, b, 9}}
            << 6 << 0 << 3 << "L 1.2 -: 0 1 2 3; P 9 d: 4 5";
        QTest::newRow("too short or past the end: left out")
            << QList<Draw>{{P::LineStrip, 0, 1, a, 1.5f}, {P::Lines, 1, 3, b, 1.5f}, {P::Points, 4, 3, a, 9}} << 5 << 0
            << 3 << "L 1.5 d: 1 2; P 9 d: 4";
        const QList<Draw> kept{{P::LineStrip, 0, 2, a, 1.2f, false}, {P::LineStrip, 2, 2, a, 1.5f}, {P::LineStrip, 4, 2, b, 2.0f}};
        QTest::newRow("the kept part, without depth") << kept << 6 << 0 << -2 << "L 1.2 -: 0 1; L 1.5 -: 2 3";
        QTest::newRow("what follows it") << kept << 6 << 2 << 3 << "L 2 d: 4 5";
    }

    void drawsBatchInOrder()
    {
        QFETCH(QList<Draw>, draws);
        QFETCH(int, vertices);
        QFETCH(int, first);
        QFETCH(int, end);
        QFETCH(QString, batches);
        Scene scene;
        scene.draws.assign(draws.begin(), draws.end());
        for (int k = 0; k < vertices; ++k)
            scene.vertices.insert(scene.vertices.end(), {float(k), 0, 0});
        const DrawBatches out = batchDraws(scene, first, std::abs(end), end < 0 ? Depth::None : Depth::AsDrawn);
        const std::vector<ColouredVertex> coloured = colouredVertices(scene);
        QStringList got;
        for (const DrawBatch &batch : out.batches) {
            QStringList indices;
            for (int k = 0; k < batch.count; ++k)
                indices << QString::number(out.indices[size_t(batch.firstIndex + k)]);
            got << QStringLiteral("%1 %2 %3: %4")
                       .arg(batch.primitive == Primitive::Points ? "P" : "L")
                       .arg(batch.size)
                       .arg(batch.depthWrite ? "d" : "-", indices.join(' '));
        }
        QCOMPARE(got.join(QStringLiteral("; ")), batches);
        for (const Draw &d : draws.mid(first, std::abs(end) - first))
            for (int k = d.first; k < std::min(d.first + d.count, vertices); ++k) {
                const auto &v = coloured[size_t(k)];
                if (d.count > 1 || d.primitive == Primitive::Points)
                    QCOMPARE(QColor(v.rgba[0], v.rgba[1], v.rgba[2], v.rgba[3]), d.color);
                QCOMPARE(v.x, float(k));
            }
    }
};

QTEST_MAIN(TstViewSceneBuilder)
#include "tst_scenebuilder.moc"
