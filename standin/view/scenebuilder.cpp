#include "standin/view/scenebuilder.h"

#include "standin/view/aidtext.h"
#include "standin/view/costbox.h"
#include "standin/view/matchbox.h"

#include <algorithm>
#include <cmath>

namespace zep::view {

namespace {

constexpr double kDeg = astro::kPi / 180;

QVector3D toGpu(Vec3 units) { return QVector3D(float(units.x), float(units.y), float(units.z)); }

// Appends draws to a scene, in display-frame metres.
class Sketch {
public:
    Sketch(Scene &scene, const Framing &f) : scene_(scene), eye_(cameraEye(f.camera)), range_(f.camera.rangeM) {}

    void push(Vec3 displayM)
    {
        scene_.vertices.insert(scene_.vertices.end(),
                               {float(displayM.x / kUnit), float(displayM.y / kUnit), float(displayM.z / kUnit)});
    }
    void pushUnits(Vec3 units) { scene_.vertices.insert(scene_.vertices.end(), {float(units.x), float(units.y), float(units.z)}); }
    void begin(Primitive primitive, const QColor &color, float size, bool depthWrite = true)
    {
        scene_.draws.push_back({primitive, vertexCount(), 0, color, size, depthWrite});
    }
    void end()
    {
        Draw &d = scene_.draws.back();
        d.count = vertexCount() - d.first;
        // Labels keep off the lines; the grid lies under everything, labels too.
        if (d.primitive != Primitive::Points && d.depthWrite)
            addStrokes(d);
    }

    void line(Vec3 from, Vec3 to, const QColor &color, float width)
    {
        begin(Primitive::Lines, color, width);
        push(from);
        push(to);
        end();
    }
    void strip(const std::vector<Vec3> &points, const QColor &color, float width)
    {
        begin(Primitive::LineStrip, color, width);
        for (const Vec3 &p : points)
            push(p);
        end();
    }
    // Two barbs at the tip, in the plane that faces the camera.
    void arrowHead(Vec3 base, Vec3 tip, const QColor &color)
    {
        const double length = norm(tip - base);
        const Vec3 dir = normalized(tip - base);
        const Vec3 side = normalized(cross(dir, eye_ - tip));
        if (norm(side) == 0 || length == 0)
            return;
        const double h = std::min(0.08 * length, 0.06 * range_);
        begin(Primitive::Lines, color, 2);
        push(tip);
        push(tip - dir * h + side * (0.45 * h));
        push(tip);
        push(tip - dir * h - side * (0.45 * h));
        end();
    }

private:
    int vertexCount() const { return int(scene_.vertices.size() / 3); }
    // Where the GPU puts a vertex on the widget; none behind the eye.
    std::optional<QPointF> onScreen(int vertex) const
    {
        const float *v = &scene_.vertices[size_t(3 * vertex)];
        const QVector4D clip = scene_.viewProjection * QVector4D(v[0], v[1], v[2], 1);
        if (clip.w() <= 1e-6f)
            return std::nullopt;
        return QPointF((clip.x() / clip.w() + 1) / 2 * scene_.size.width(),
                       (1 - clip.y() / clip.w()) / 2 * scene_.size.height());
    }
    void addStrokes(const Draw &d)
    {
        const bool pairs = d.primitive == Primitive::Lines;
        for (int k = 0; k + 1 < d.count; k += pairs ? 2 : 1) {
            const std::optional<QPointF> a = onScreen(d.first + k), b = onScreen(d.first + k + 1);
            if (a && b)
                scene_.strokes.emplace_back(*a, *b);
        }
    }
    Scene &scene_;
    Vec3 eye_;
    double range_;
};

// A label of the aids at a display-frame point, unless the Earth hides it or
// it lies behind the camera.
struct Labeller {
    Labeller(Scene &s, const Framing &framing) : scene(s), f(framing), eye(cameraEye(framing.camera)) {}
    Scene &scene;
    const Framing &f;
    Vec3 eye;

    void add(Vec3 displayM, const QString &text, const QColor &color)
    {
        pending.push_back({displayM, text, color});
    }
    // After the satellite's name, which is placed first.
    void flush()
    {
        for (const Pending &l : pending) {
            if (hiddenByEarth(eye, l.at))
                continue;
            const std::optional<QPointF> at = projectPoint(f.proj, l.at);
            if (!at)
                continue;
            // Deep colours (the blue of an angle) are hard to read on black: lift them.
            const double luminance = 0.299 * l.color.redF() + 0.587 * l.color.greenF() + 0.114 * l.color.blueF();
            scene.labels.push_back({*at, QPointF(4, -4), l.text, luminance < 0.25 ? l.color.lighter(175) : l.color});
        }
    }

    struct Pending {
        Vec3 at;
        QString text;
        QColor color;
    };
    std::vector<Pending> pending;
};

// The satellite whose state a geometry path means. The aids the toolbar
// switches on for its own satellite follow the selected one; another
// satellite's vectors stay with it; the Earth's need the selected one's
// size and place.
class Owners {
public:
    Owners(const Snapshot &snap, const Framing &f) : snap_(snap), f_(f), aids_(f.states.size())
    {
        if (const SatelliteState *toolbars = snap.findSatellite(QStringLiteral("Satellite")))
            aidOwner_ = int(toolbars - snap.satellites.data());
        else
            aidOwner_ = snap.satellites.empty() ? -1 : 0;
    }

    int indexFor(const QString &path) const
    {
        if (!path.startsWith(QLatin1String("Satellite/"), Qt::CaseInsensitive))
            return f_.selected;
        const QString name = path.section(u' ', 0, 0).section(u'/', 1);
        const SatelliteState *owner = snap_.findSatellite(name);
        const int index = owner ? int(owner - snap_.satellites.data()) : -1;
        return index == aidOwner_ ? f_.selected : index;
    }
    const astro::State *state(int index) const
    {
        return index >= 0 && f_.states[index] ? &*f_.states[index] : nullptr;
    }
    const AidDirections *aids(int index)
    {
        const astro::State *st = state(index);
        if (!st)
            return nullptr;
        if (!aids_[index])
            aids_[index] = aidDirections(*st);
        return &*aids_[index];
    }

private:
    const Snapshot &snap_;
    const Framing &f_;
    int aidOwner_ = -1;
    std::vector<std::optional<AidDirections>> aids_;
};

// Direction (inertial) of a vector path, or why there is none.
std::optional<Vec3> vectorDirection(const Snapshot &snap, Owners &owners, double gmst, const QString &path,
                                    QString *why)
{
    const int owner = owners.indexFor(path);
    const astro::State *st = owners.state(owner);
    const AidDirections *aids = owners.aids(owner);
    if (!st || !aids) {
        if (why)
            *why = QStringLiteral("its satellite has no orbit");
        return std::nullopt;
    }
    const auto it = snap.geometry.constFind(path.toLower());
    Vec3 fixedComponents = it != snap.geometry.cend() ? it->fixedComponents : Vec3{};
    // Components in the Earth-fixed axes turn with the Earth.
    if (it != snap.geometry.cend() && it->axes.contains(QLatin1String("fixed"), Qt::CaseInsensitive))
        fixedComponents = rotateZ(fixedComponents, gmst);
    switch (aidVectorForPath(path)) {
    case AidVector::VernalEquinox: return aids->vernalEquinox;
    case AidVector::InertialZ: return norm(fixedComponents) > 0 ? normalized(fixedComponents) : *aids->inertialZ;
    case AidVector::LineOfNodes:
        if (!aids->lineOfNodes && why)
            *why = aids->nodesUndefinedWhy;
        return aids->lineOfNodes;
    case AidVector::Periapsis:
        if (!aids->periapsis && why)
            *why = aids->periapsisUndefinedWhy;
        return aids->periapsis;
    case AidVector::Position: return normalized(st->r);
    case AidVector::Velocity: return normalized(st->v);
    case AidVector::AngularMomentum: return aids->angularMomentum;
    case AidVector::Unknown: break;
    }
    if (norm(fixedComponents) > 0)
        return normalized(fixedComponents);
    if (why)
        *why = QStringLiteral("unknown vector");
    return std::nullopt;
}

// The space grid lies in the inertial equator.
void addGrid(Sketch &sk, const Snapshot &snap, const Framing &f)
{
    if (!snap.grid.showEci)
        return;
    QColor c = snap.grid.eciColor;
    c.setAlphaF(0.45f);
    for (int k = 1; k <= f.gridRings; ++k) {
        const double r = f.gridStep * k;
        if (r < astro::kEarthRadius)
            continue;
        sk.begin(Primitive::LineStrip, c, 1.2f, false);
        for (int j = 0; j <= 180; ++j) {
            const double a = 2 * astro::kPi * j / 180;
            sk.push(f.display(Vec3{r * std::cos(a), r * std::sin(a), 0}));
        }
        sk.end();
    }
    if (snap.grid.showRadial) {
        sk.begin(Primitive::Lines, c, 1.2f, false);
        for (int j = 0; j < 12; ++j) {
            const double a = 2 * astro::kPi * j / 12;
            const Vec3 u{std::cos(a), std::sin(a), 0};
            sk.push(f.display(u * astro::kEarthRadius));
            sk.push(f.display(u * (f.gridStep * f.gridRings)));
        }
        sk.end();
    }
}

// Frame axes: the inertial ones are fixed among the stars, the fixed ones turn with the Earth.
void addAxes(Sketch &sk, Labeller &labels, const Snapshot &snap, const Framing &f)
{
    for (const GeometryItem &item : snap.geometry) {
        if (item.kind != GeometryItem::Kind::Axes || !item.show)
            continue;
        const bool fixedAxes = item.path.toLower().contains(QLatin1String("fixed"));
        const QString frameName = fixedAxes ? QStringLiteral("Fixed") : QStringLiteral("Inertial");
        const char *names[3] = {"X", "Y", "Z"};
        const Vec3 units[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        for (int k = 0; k < 3; ++k) {
            const Vec3 inertial = fixedAxes ? rotateZ(units[k], f.gmst) : units[k];
            const Vec3 tip = f.display(inertial) * f.axesLength;
            sk.line(Vec3{}, tip, item.color, 2);
            sk.arrowHead(Vec3{}, tip, item.color);
            if (item.showLabel)
                labels.add(tip * 1.04, QStringLiteral("%1 %2").arg(frameName, QLatin1String(names[k])), item.color);
        }
    }
}

// An orbit: whole and inertial, or relative to the turning Earth.
void addOrbit(Sketch &sk, OrbitPathCache &paths, const SatelliteState &sat, const Framing &f, bool selected)
{
    const double fraction = sat.orbitLeadAll ? 1.0 : 0.25;
    // Fewer points for the others: 64 orbits are drawn every frame.
    const int samples = selected ? 720 : 240;
    const std::vector<Vec3> &path = f.fixed ? paths.lead(sat.elements, sat.elementsEpoch, f.t, fraction, samples, true)
        : sat.orbitLeadAll                  ? paths.wholeOrbit(sat.elements, samples)
                                            : paths.lead(sat.elements, sat.elementsEpoch, f.t, fraction, samples, false);
    sk.strip(path, sat.color, selected ? 2.0f : 1.5f);
}

QString kmText(double metres) { return QStringLiteral("%1 km").arg(metres / 1000, 0, 'f', 0); }

// Faded copies, each named with its size and shape, the way to tell them apart.
void addKeptOrbits(Sketch &sk, Labeller &labels, OrbitPathCache &paths, const Snapshot &snap, const Framing &f)
{
    for (const KeptOrbit &kept : snap.keptOrbits) {
        QColor faded = kept.color;
        faded.setAlphaF(0.45f);
        const std::vector<Vec3> &path = f.fixed ? paths.lead(kept.elements, kept.epoch, f.t, 1.0, 360, true)
                                                : paths.wholeOrbit(kept.elements, 360);
        sk.strip(path, faded, 1.6f);
        // Named half way round (at apoapsis when inertial), else at the
        // first quarter that the Earth does not hide and the view holds.
        const Vec3 eye = cameraEye(f.camera);
        Vec3 at = path[path.size() / 2];
        for (double fraction : {0.5, 0.25, 0.75, 0.0}) {
            const Vec3 p = path[size_t(fraction * (path.size() - 1))];
            const std::optional<QPointF> onScreen = projectPoint(f.proj, p);
            if (!hiddenByEarth(eye, p) && onScreen && QRectF(QPointF(), QSizeF(f.proj.size)).contains(*onScreen)) {
                at = p;
                break;
            }
        }
        labels.add(at * 1.04,
                   QStringLiteral("Kept %1: a %2, e %3")
                       .arg(kept.number)
                       .arg(kmText(kept.elements.a))
                       .arg(kept.elements.e, 0, 'f', 4),
                   kept.color.lighter(120));
    }
}

// Half the transfer ellipse, dashed, from burn to burn, with both burns marked.
void addTransfer(Sketch &sk, Labeller &labels, const Snapshot &snap, const Framing &f)
{
    if (!snap.transfer)
        return;
    const astro::Transfer &t = snap.transfer->cost;
    static const QColor orange(255, 170, 40);
    constexpr int kDashes = 36;
    sk.begin(Primitive::Lines, orange, 2);
    for (int k = 0; k < kDashes; ++k) {
        for (double part : {0.0, 0.6}) {
            const double e = astro::kPi * (k + part) / kDashes;
            sk.push(f.display(astro::positionAtEccentric(t.ellipse, e)));
        }
    }
    sk.end();
    sk.begin(Primitive::Points, orange, 10);
    sk.push(f.display(t.burn1));
    sk.push(f.display(t.burn2));
    sk.end();
    labels.add(f.display(t.burn1), QStringLiteral("Burn 1: %1 m/s").arg(t.dv1, 0, 'f', 0), orange);
    labels.add(f.display(t.burn2), QStringLiteral("Burn 2: %1 m/s").arg(t.dv2, 0, 'f', 0), orange);
}

// Vectors, from the Earth's centre.
void addVectors(Sketch &sk, Labeller &labels, QStringList &notes, const Snapshot &snap, const Framing &f,
                Owners &owners)
{
    for (const GeometryItem &item : snap.geometry) {
        if (item.kind != GeometryItem::Kind::Vector || !item.show)
            continue;
        const astro::State *owner = owners.state(owners.indexFor(item.path));
        if (!owner)
            continue;  // a satellite without an orbit has nothing to point at
        const astro::State &st = *owner;
        QString why;
        const std::optional<Vec3> dir = vectorDirection(snap, owners, f.gmst, item.path, &why);
        const QString name = displayName(item.path);
        if (!dir) {
            notes << QStringLiteral("%1: undefined (%2)").arg(name, why);
            continue;
        }
        // Position reaches the satellite; velocity starts there; the rest
        // start at the Earth's centre.
        const AidVector which = aidVectorForPath(item.path);
        const Vec3 base = which == AidVector::Velocity ? f.display(st.r) : Vec3{};
        const double length = which == AidVector::Position ? norm(st.r)
            : which == AidVector::Velocity                 ? 0.35 * f.vectorLength
                                                           : f.vectorLength;
        const Vec3 tip = base + f.display(*dir) * length;
        sk.line(base, tip, item.color, 2);
        sk.arrowHead(base, tip, item.color);
        if (item.showLabel)
            labels.add(base + (tip - base) * 1.03, name, item.color);
    }
}

// Angles: arcs between their vectors; a third vector says which way round to count.
void addAngles(Sketch &sk, Labeller &labels, QStringList &notes, const Snapshot &snap, const Framing &f,
               Owners &owners)
{
    auto direction = [&](const QString &path, QString *why) {
        return vectorDirection(snap, owners, f.gmst, path, why);
    };
    int angleIndex = 0;
    for (const GeometryItem &item : snap.geometry) {
        if (item.kind != GeometryItem::Kind::Angle || !item.show)
            continue;
        const QString name = displayName(item.path);
        // Outside the Earth, inside the vectors' tips, a little apart from each other.
        const double inner = 1.2 * astro::kEarthRadius;
        const double radius = inner + (f.vectorLength - inner) * (0.35 + 0.17 * (angleIndex++ % 3));
        if (item.betweenVectors.size() < 2) {
            notes << QStringLiteral("%1: undefined (needs two vectors)").arg(name);
            continue;
        }
        QString why[3];
        const std::optional<Vec3> a = direction(item.betweenVectors[0], &why[0]);
        const std::optional<Vec3> b = direction(item.betweenVectors[1], &why[1]);
        const std::optional<Vec3> sense = item.betweenVectors.size() > 2 ? direction(item.betweenVectors[2], &why[2]) : Vec3{};
        if (!a || !b || !sense) {
            // The first vector that fails says why.
            notes << QStringLiteral("%1: undefined (%2)").arg(name, !a ? why[0] : !b ? why[1] : why[2]);
            continue;
        }
        const Arc arc = arcBetween(*a, *b, *sense, radius, 96);
        const QString text = angleLabel(name, arc.angle);
        if (arc.points.empty()) {
            if (item.showLabel)
                labels.add(f.display(*a) * radius, text, item.color);
            continue;
        }
        sk.begin(Primitive::LineStrip, item.color, 2.5f);
        for (const Vec3 &p : arc.points)
            sk.push(f.display(p));
        sk.end();
        if (item.showLabel)
            labels.add(f.display(arc.points[arc.points.size() / 2]) * 1.06, text, item.color);
    }
}

// The satellite's marker, in its colour, on top of its own path. Slid towards
// the eye along its line of sight by about its own on-screen size: the same
// pixel, but its own path and the lines that end at it no longer cut through
// it; the Earth still hides it.
void addSatellite(Sketch &sk, Scene &scene, const SatelliteState &sat, const astro::State &st, const Framing &f,
                  bool selected)
{
    const Vec3 at = f.display(st.r);
    const Vec3 eye = cameraEye(f.camera);
    const Vec3 toEye = eye - at;
    const double distance = norm(toEye);
    const double metresPerPixel = distance * 2 * std::tan(kFieldOfViewDeg / 2 * kDeg) / std::max(1, f.proj.size.height());
    sk.begin(Primitive::Points, sat.color, selected ? 14 : 10);
    sk.pushUnits((at + normalized(toEye) * std::min(0.5 * distance, 12 * metresPerPixel)) * (1 / kUnit));
    sk.end();

    // Its name beside the marker, clear of the marker itself; placed before the aids' labels.
    if (sat.name.isEmpty() || hiddenByEarth(eye, at))
        return;
    if (const std::optional<QPointF> p = projectPoint(f.proj, at))
        scene.labels.push_back({*p, QPointF(11, -9), sat.name, sat.color.isValid() ? sat.color : QColor(Qt::white),
                                selected ? 8.0 : 6.0});
}

QStringList annotations(const Snapshot &snap, const Framing &f, Wording wording)
{
    const bool brief = wording == Wording::Brief;
    QStringList lines;
    if (snap.annotations.time) {
        // Whole seconds are enough where room is short.
        const std::string date = astro::formatDate(f.t);
        lines << QString::fromStdString(brief ? date.substr(0, date.rfind('.')) : date) + QStringLiteral(" UTC");
    }
    if (snap.annotations.timeStep)
        lines << (brief ? QStringLiteral("Step: %1 s").arg(snap.animationStep, 0, 'g', 6)
                        : QStringLiteral("Time Step: %1 sec").arg(snap.animationStep, 0, 'f', 2));
    if (snap.annotations.frame)
        lines << (f.fixed ? QStringLiteral("Frame: Earth Fixed") : QStringLiteral("Frame: Earth Inertial"))
                     .mid(brief ? 7 : 0);
    return lines;
}

} // namespace

Framing frameScene(const Snapshot &snap, const Camera &camera, astro::Instant t, QSize size)
{
    Framing f;
    f.t = t;
    f.gmst = astro::gmst(t);
    f.fixed = snap.frame == ReferenceFrame::Fixed;
    f.camera = clampCamera(camera);
    double reach = 2.5 * astro::kEarthRadius;
    double orbitSize = 0;
    f.states.resize(snap.satellites.size());
    for (size_t k = 0; k < snap.satellites.size(); ++k) {
        const SatelliteState &sat = snap.satellites[k];
        if (!sat.drawable())
            continue;
        f.states[k] = astro::toState(astro::propagate(sat.elements, t.seconds - sat.elementsEpoch.seconds));
        orbitSize = std::max(orbitSize, sat.elements.a * (1 + sat.elements.e));
    }
    for (const KeptOrbit &kept : snap.keptOrbits)
        orbitSize = std::max(orbitSize, kept.elements.a * (1 + kept.elements.e));
    if (snap.transfer)
        orbitSize = std::max(orbitSize, snap.transfer->cost.ellipse.a * (1 + snap.transfer->cost.ellipse.e));
    const SatelliteState *selected = snap.selectedSatellite();
    f.selected = selected ? int(selected - snap.satellites.data()) : -1;
    if (f.selected >= 0)
        f.sat = f.states[f.selected];
    f.axesLength = std::max(2.2 * astro::kEarthRadius, 0.3 * f.camera.rangeM);
    f.vectorLength = std::max(1.8 * astro::kEarthRadius, f.sat ? 1.2 * selected->elements.a : 0.0);
    if (!std::isfinite(f.vectorLength) || f.vectorLength > kMaxRange)
        f.vectorLength = 1.8 * astro::kEarthRadius;
    f.gridStep = gridSpacing(f.camera.rangeM);
    f.gridRings = 5;
    reach = std::max({reach, f.axesLength, f.vectorLength * 1.1, orbitSize * 1.05, f.gridStep * f.gridRings});
    f.proj = makeProjection(f.camera, size, std::min(reach, 4 * kMaxRange));
    return f;
}

Scene buildScene(const Snapshot &snap, const Framing &f, OrbitPathCache *cache)
{
    OrbitPathCache once;
    OrbitPathCache &paths = cache ? *cache : once;
    paths.beginFrame();
    Scene scene;
    scene.size = f.proj.size;
    scene.viewProjection = f.proj.projection * f.proj.view;

    // Inertial to the display frame, as a matrix.
    QMatrix4x4 frame;
    if (f.fixed)
        frame.rotate(float(-f.gmst / kDeg), 0, 0, 1);
    // Stars at infinity: only the camera's turn applies.
    QMatrix4x4 turn = f.proj.view;
    turn.setColumn(3, QVector4D(0, 0, 0, 1));
    scene.sky = f.proj.projection * turn * frame;

    // The Earth turns with sidereal time among the stars.
    MeshDraw globe;
    globe.model = frame;
    globe.model.rotate(float(f.gmst / kDeg), 0, 0, 1);
    const Vec3 sun = f.display(sunDirection(f.t));
    globe.sun = toGpu(sun);
    globe.eye = toGpu(cameraEye(f.camera) * (1 / kUnit));
    scene.eye = globe.eye;
    // The camera looks at the Earth's centre: its outline is a circle round that.
    const double eyeDistance = norm(cameraEye(f.camera));
    if (const std::optional<QPointF> centre = projectPoint(f.proj, Vec3{}); centre && eyeDistance > astro::kEarthRadius) {
        scene.earthDisc = Disc{*centre, f.proj.size.height() / 2.0 / std::tan(kFieldOfViewDeg / 2 * kDeg)
                                            * std::tan(std::asin(astro::kEarthRadius / eyeDistance))};
    }
    scene.meshes.push_back(globe);

    Sketch sk(scene, f);
    Labeller labels(scene, f);
    addGrid(sk, snap, f);
    addAxes(sk, labels, snap, f);
    addKeptOrbits(sk, labels, paths, snap, f);
    addTransfer(sk, labels, snap, f);
    // The selected satellite last, so that its orbit and marker lie on top.
    // A target's orbit is the puzzle: not drawn until revealed (the map keeps its track).
    const auto hidden = [&](int k) { return snap.satellites[k].target && !snap.targetRevealed; };
    std::vector<int> order;
    for (int k = 0; k < int(snap.satellites.size()); ++k) {
        if (f.states[k] && k != f.selected && !hidden(k))
            order.push_back(k);
    }
    if (f.sat && !hidden(f.selected))
        order.push_back(f.selected);
    for (int k : order) {
        if (k == f.selected)
            scene.backdropDraws = int(scene.draws.size());
        addOrbit(sk, paths, snap.satellites[k], f, k == f.selected);
    }
    if (!f.sat || hidden(f.selected))
        scene.backdropDraws = int(scene.draws.size());
    if (f.sat) {
        Owners owners(snap, f);
        addVectors(sk, labels, scene.notes, snap, f, owners);
        addAngles(sk, labels, scene.notes, snap, f, owners);
    }
    for (auto k = order.rbegin(); k != order.rend(); ++k)
        addSatellite(sk, scene, snap.satellites[*k], *f.states[*k], f, *k == f.selected);
    labels.flush();

    if (f.sat) {
        const SatelliteState &sat = snap.satellites[f.selected];
        // The toolbar switches the display on for its own satellite; it shows whichever is selected.
        const SatelliteState *toolbars = snap.findSatellite(QStringLiteral("Satellite"));
        if ((sat.dataDisplayShown || (toolbars && toolbars->dataDisplayShown)) && !hidden(f.selected)) {
            const QString name = sat.dataDisplayName.isEmpty() && toolbars ? toolbars->dataDisplayName : sat.dataDisplayName;
            const QString title = sat.name + QStringLiteral(" - ")
                + (name.isEmpty() ? QStringLiteral("Classical Orbit Elements") : name);
            scene.dataDisplay = TextBox{title, sat.color.isValid() ? sat.color : QColor(Qt::white),
                                        classicalElementsLines(*f.sat, f.t), sat.name,
                                        classicalElementsLines(*f.sat, f.t, Wording::Brief)};
        }
    }
    scene.costBox = transferBox(snap);
    scene.matchBox = matchBox(snap);
    scene.annotations = annotations(snap, f, Wording::Full);
    scene.briefAnnotations = annotations(snap, f, Wording::Brief);
    for (const QString &note : scene.notes)
        scene.briefNotes << note.section(QStringLiteral(" ("), 0, 0);
    scene.refusal = refusalLine(snap);
    return scene;
}

QString refusalLine(const Snapshot &snap)
{
    const SatelliteState *sat = snap.selectedSatellite();
    if (!sat || sat->stateRefusal.isEmpty())
        return {};
    return QStringLiteral("Not shown: ") + sat->stateRefusal;
}

} // namespace zep::view
