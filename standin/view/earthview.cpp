#include "standin/view/earthview.h"

#include "standin/view/globe.h"
#include "standin/view/shaders.h"
#include "standin/view/viewmath.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QOpenGLBuffer>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLShaderProgram>
#include <QOpenGLTexture>
#include <QOpenGLVertexArrayObject>
#include <QPainter>
#include <QRandomGenerator>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace zep {

using view::Vec3;
using view::operator+;
using view::operator-;
using view::operator*;

namespace {

constexpr double kDeg = astro::kPi / 180;

struct LineDraw {
    GLenum mode = GL_LINE_STRIP;
    int first = 0;
    int count = 0;
    QColor color;
    float width = 1;
    bool depthWrite = true;
};

struct Label {
    Vec3 at;  // display frame, metres
    QString text;
    QColor color;
};

// Everything a frame needs that follows from the snapshot, the time and the camera.
struct Scene {
    SnapshotPtr snap;
    astro::Instant t;
    double gmst = 0;
    bool fixed = false;
    std::optional<astro::State> sat;  // inertial
    view::Camera camera;
    view::Projection proj;
    double axesLength = 0, vectorLength = 0;
    double gridStep = 0;
    int gridRings = 0;

    Vec3 display(Vec3 inertial) const { return view::toDisplay(inertial, fixed, gmst); }
};

Scene makeScene(SnapshotPtr snap, const view::Camera &camera, astro::Instant t, QSize size)
{
    Scene s;
    s.snap = std::move(snap);
    s.t = t;
    s.gmst = astro::gmst(t);
    s.fixed = s.snap->frame == ReferenceFrame::Fixed;
    s.camera = view::clampCamera(camera);
    double reach = 2.5 * astro::kEarthRadius;
    double orbitSize = 0;
    if (s.snap->hasOrbit && !astro::checkElements(s.snap->elements)) {
        const astro::Elements now = astro::propagate(s.snap->elements, t.seconds - s.snap->elementsEpoch.seconds);
        s.sat = astro::toState(now);
        orbitSize = s.snap->elements.a * (1 + s.snap->elements.e);
    }
    s.axesLength = std::max(2.2 * astro::kEarthRadius, 0.3 * s.camera.rangeM);
    s.vectorLength = std::max(1.8 * astro::kEarthRadius, 1.2 * s.snap->elements.a);
    if (!std::isfinite(s.vectorLength) || s.vectorLength > view::kMaxRange)
        s.vectorLength = 1.8 * astro::kEarthRadius;
    s.gridStep = view::gridSpacing(s.camera.rangeM);
    s.gridRings = 5;
    reach = std::max({reach, s.axesLength, s.vectorLength * 1.1, orbitSize * 1.05, s.gridStep * s.gridRings});
    s.proj = view::makeProjection(s.camera, size, std::min(reach, 4 * view::kMaxRange));
    return s;
}

QVector4D rgba(const QColor &c, float alpha = 1)
{
    return QVector4D(c.redF(), c.greenF(), c.blueF(), c.alphaF() * alpha);
}

} // namespace

struct EarthView::Private {
    ScenarioStore &store;
    AnimationClock &clock;

    bool ready = false;
    bool failed = false;
    QString failure;
    QOpenGLExtraFunctions *gl = nullptr;
    std::unique_ptr<QOpenGLShaderProgram> globeProgram, flatProgram, lineProgram;
    std::unique_ptr<QOpenGLVertexArrayObject> globeVao, linesVao, starsVao;
    QOpenGLBuffer globeVbo{QOpenGLBuffer::VertexBuffer}, globeIbo{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer linesVbo{QOpenGLBuffer::VertexBuffer}, starsVbo{QOpenGLBuffer::VertexBuffer};
    int globeIndexCount = 0, starCount = 0;
    std::unique_ptr<QOpenGLTexture> dayTexture, nightTexture;
    bool usingPicture = false;

    view::Camera camera;
    quint64 viewerSerial = ~quint64(0);  // none applied yet: the first snapshot places the camera
    QPoint lastMouse;
    bool dragging = false;
    QMetaObject::Connection contextGoing;
    QStringList lastNotes;
    quint64 drawnRevision = 0;

    Private(ScenarioStore &s, AnimationClock &c) : store(s), clock(c) {}

    view::Camera effectiveCamera(const Snapshot &snap) const
    {
        if (snap.viewer.serial != viewerSerial)
            return view::clampCamera({snap.viewer.latitudeDeg, snap.viewer.longitudeDeg, snap.viewer.rangeM});
        return camera;
    }
    void adoptViewer(const Snapshot &snap)
    {
        camera = effectiveCamera(snap);
        viewerSerial = snap.viewer.serial;
    }

    void release()
    {
        dayTexture.reset();
        nightTexture.reset();
        globeVbo.destroy();
        globeIbo.destroy();
        linesVbo.destroy();
        starsVbo.destroy();
        globeVao.reset();
        linesVao.reset();
        starsVao.reset();
        globeProgram.reset();
        flatProgram.reset();
        lineProgram.reset();
        gl = nullptr;
        ready = false;
    }

    bool build(QOpenGLContext *ctx);
    void drawFrame(const Scene &s, QSize pixels, qreal dpr, std::vector<Label> &labels, QStringList &notes);
    void buildLines(const Scene &s, std::vector<float> &verts, std::vector<LineDraw> &draws,
                    std::vector<Label> &labels, QStringList &notes) const;
    void paintOverlay(QPainter &p, const Scene &s, const std::vector<Label> &labels, const QStringList &notes,
                      QSize size) const;
};

bool EarthView::Private::build(QOpenGLContext *ctx)
{
    if (!ctx || !ctx->isValid() || ctx->isOpenGLES()) {
        failure = QStringLiteral("no desktop OpenGL context");
        return false;
    }
    const QSurfaceFormat f = ctx->format();
    if (std::make_pair(f.majorVersion(), f.minorVersion()) < std::make_pair(3, 3)) {
        failure = QStringLiteral("OpenGL %1.%2 is older than 3.3").arg(f.majorVersion()).arg(f.minorVersion());
        return false;
    }
    gl = ctx->extraFunctions();

    globeProgram = std::make_unique<QOpenGLShaderProgram>();
    flatProgram = std::make_unique<QOpenGLShaderProgram>();
    lineProgram = std::make_unique<QOpenGLShaderProgram>();
    if (!globeProgram->addShaderFromSourceCode(QOpenGLShader::Vertex, view::shaders::kGlobeVertex)
        || !globeProgram->addShaderFromSourceCode(QOpenGLShader::Fragment, view::shaders::kGlobeFragment)
        || !globeProgram->link()
        || !flatProgram->addShaderFromSourceCode(QOpenGLShader::Vertex, view::shaders::kFlatVertex)
        || !flatProgram->addShaderFromSourceCode(QOpenGLShader::Fragment, view::shaders::kFlatFragment) || !flatProgram->link()
        || !lineProgram->addShaderFromSourceCode(QOpenGLShader::Vertex, view::shaders::kLineVertex)
        || !lineProgram->addShaderFromSourceCode(QOpenGLShader::Geometry, view::shaders::kLineGeometry)
        || !lineProgram->addShaderFromSourceCode(QOpenGLShader::Fragment, view::shaders::kLineFragment) || !lineProgram->link()) {
        failure = QStringLiteral("shaders: ") + globeProgram->log() + flatProgram->log() + lineProgram->log();
        return false;
    }

    const view::SphereMesh sphere = view::makeSphere(64, 128);
    globeVao = std::make_unique<QOpenGLVertexArrayObject>();
    globeVao->create();
    globeVao->bind();
    globeVbo.create();
    globeVbo.bind();
    globeVbo.allocate(sphere.vertices.data(), int(sphere.vertices.size() * sizeof(float)));
    globeIbo.create();
    globeIbo.bind();
    globeIbo.allocate(sphere.indices.data(), int(sphere.indices.size() * sizeof(std::uint32_t)));
    globeIndexCount = int(sphere.indices.size());
    gl->glEnableVertexAttribArray(0);
    gl->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 5 * sizeof(float), nullptr);
    gl->glEnableVertexAttribArray(1);
    gl->glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 5 * sizeof(float), reinterpret_cast<void *>(3 * sizeof(float)));
    globeVao->release();

    linesVao = std::make_unique<QOpenGLVertexArrayObject>();
    linesVao->create();
    linesVao->bind();
    linesVbo.create();
    linesVbo.setUsagePattern(QOpenGLBuffer::StreamDraw);
    linesVbo.bind();
    linesVbo.allocate(1024 * 3 * sizeof(float));
    gl->glEnableVertexAttribArray(0);
    gl->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
    linesVao->release();

    // A fixed sky: the same stars on every run.
    std::vector<float> stars;
    QRandomGenerator rng(20050701);
    starCount = 1600;
    for (int i = 0; i < starCount; ++i) {
        const double z = rng.generateDouble() * 2 - 1, phi = rng.generateDouble() * 2 * astro::kPi;
        const double rxy = std::sqrt(1 - z * z);
        const double b = std::pow(rng.generateDouble(), 6.0);
        stars.insert(stars.end(), {float(rxy * std::cos(phi)), float(rxy * std::sin(phi)), float(z), float(0.18 + 0.8 * b)});
    }
    starsVao = std::make_unique<QOpenGLVertexArrayObject>();
    starsVao->create();
    starsVao->bind();
    starsVbo.create();
    starsVbo.bind();
    starsVbo.allocate(stars.data(), int(stars.size() * sizeof(float)));
    gl->glEnableVertexAttribArray(0);
    gl->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    gl->glEnableVertexAttribArray(1);
    gl->glVertexAttribPointer(1, 1, GL_FLOAT, GL_FALSE, 4 * sizeof(float), reinterpret_cast<void *>(3 * sizeof(float)));
    starsVao->release();

    auto texture = [](const QImage &img) {
        auto t = std::make_unique<QOpenGLTexture>(img.convertToFormat(QImage::Format_RGBA8888), QOpenGLTexture::GenerateMipMaps);
        t->setMinificationFilter(QOpenGLTexture::LinearMipMapLinear);
        t->setMagnificationFilter(QOpenGLTexture::Linear);
        t->setWrapMode(QOpenGLTexture::DirectionS, QOpenGLTexture::Repeat);
        t->setWrapMode(QOpenGLTexture::DirectionT, QOpenGLTexture::ClampToEdge);
        return t;
    };
    QImage day(QString::fromLatin1(view::kDayImagePath));
    usingPicture = !day.isNull();
    dayTexture = texture(usingPicture ? day : view::proceduralGlobe(1024, 512));
    const QImage night = usingPicture ? QImage(QString::fromLatin1(view::kNightImagePath)) : QImage();
    if (!night.isNull())
        nightTexture = texture(night);
    return true;
}

void EarthView::Private::buildLines(const Scene &s, std::vector<float> &verts, std::vector<LineDraw> &draws,
                                    std::vector<Label> &labels, QStringList &notes) const
{
    const Snapshot &snap = *s.snap;
    auto push = [&](Vec3 displayM) {
        verts.insert(verts.end(), {float(displayM.x / view::kUnit), float(displayM.y / view::kUnit), float(displayM.z / view::kUnit)});
    };
    auto begin = [&](GLenum mode, const QColor &color, float width, bool depthWrite = true) {
        draws.push_back({mode, int(verts.size() / 3), 0, color, width, depthWrite});
    };
    auto end = [&] { draws.back().count = int(verts.size() / 3) - draws.back().first; };
    const Vec3 eye = view::cameraEye(s.camera);
    auto arrow = [&](Vec3 base, Vec3 tip, const QColor &color) {
        // Two barbs in the plane that faces the camera.
        const double length = view::norm(tip - base);
        const Vec3 dir = view::normalized(tip - base);
        Vec3 side = view::normalized(view::cross(dir, eye - tip));
        if (view::norm(side) == 0 || length == 0)
            return;
        const double h = std::min(0.08 * length, 0.06 * s.camera.rangeM);
        begin(GL_LINES, color, 2);
        push(tip);
        push(tip - dir * h + side * (0.45 * h));
        push(tip);
        push(tip - dir * h - side * (0.45 * h));
        end();
    };

    // The space grid lies in the inertial equator.
    if (snap.grid.showEci) {
        QColor c = snap.grid.eciColor;
        c.setAlphaF(0.45f);
        for (int k = 1; k <= s.gridRings; ++k) {
            const double r = s.gridStep * k;
            if (r < astro::kEarthRadius)
                continue;
            begin(GL_LINE_STRIP, c, 1.2f, false);
            for (int j = 0; j <= 180; ++j) {
                const double a = 2 * astro::kPi * j / 180;
                push(s.display(Vec3{r * std::cos(a), r * std::sin(a), 0}));
            }
            end();
        }
        if (snap.grid.showRadial) {
            begin(GL_LINES, c, 1.2f, false);
            for (int j = 0; j < 12; ++j) {
                const double a = 2 * astro::kPi * j / 12;
                const Vec3 u{std::cos(a), std::sin(a), 0};
                push(s.display(u * astro::kEarthRadius));
                push(s.display(u * (s.gridStep * s.gridRings)));
            }
            end();
        }
    }

    // Frame axes: the inertial ones are fixed among the stars, the fixed ones turn with the Earth.
    for (const GeometryItem &item : snap.geometry) {
        if (item.kind != GeometryItem::Kind::Axes || !item.show)
            continue;
        const QString lower = item.path.toLower();
        const bool fixedAxes = lower.contains(QLatin1String("fixed"));
        const QString frameName = fixedAxes ? QStringLiteral("Fixed") : QStringLiteral("Inertial");
        const char *names[3] = {"X", "Y", "Z"};
        const Vec3 units[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        for (int k = 0; k < 3; ++k) {
            const Vec3 inertial = fixedAxes ? view::rotateZ(units[k], s.gmst) : units[k];
            const Vec3 tip = s.display(inertial) * s.axesLength;
            begin(GL_LINES, item.color, 2);
            push(Vec3{});
            push(tip);
            end();
            arrow(Vec3{}, tip, item.color);
            if (item.showLabel)
                labels.push_back({tip * 1.04, QStringLiteral("%1 %2").arg(frameName, QLatin1String(names[k])), item.color});
        }
    }

    if (!s.sat)
        return;
    const astro::State &st = *s.sat;
    const view::AidDirections aids = view::aidDirections(st);

    // Direction (inertial) of a vector path, or why there is none.
    auto direction = [&](const QString &path, QString *why) -> std::optional<Vec3> {
        const auto it = snap.geometry.constFind(path.toLower());
        Vec3 fixedComponents = it != snap.geometry.cend() ? it->fixedComponents : Vec3{};
        // Components in the Earth-fixed axes turn with the Earth.
        if (it != snap.geometry.cend() && it->axes.contains(QLatin1String("fixed"), Qt::CaseInsensitive))
            fixedComponents = view::rotateZ(fixedComponents, s.gmst);
        switch (view::aidVectorForPath(path)) {
        case view::AidVector::VernalEquinox: return aids.vernalEquinox;
        case view::AidVector::InertialZ:
            return view::norm(fixedComponents) > 0 ? view::normalized(fixedComponents) : *aids.inertialZ;
        case view::AidVector::LineOfNodes:
            if (!aids.lineOfNodes && why)
                *why = aids.nodesUndefinedWhy;
            return aids.lineOfNodes;
        case view::AidVector::Periapsis:
            if (!aids.periapsis && why)
                *why = aids.periapsisUndefinedWhy;
            return aids.periapsis;
        case view::AidVector::Position: return view::normalized(st.r);
        case view::AidVector::Velocity: return view::normalized(st.v);
        case view::AidVector::AngularMomentum: return aids.angularMomentum;
        case view::AidVector::Unknown: break;
        }
        if (view::norm(fixedComponents) > 0)
            return view::normalized(fixedComponents);
        if (why)
            *why = QStringLiteral("unknown vector");
        return std::nullopt;
    };

    // The orbit: whole and inertial, or relative to the turning Earth.
    const QColor satColor = snap.satelliteColor;
    {
        const double fraction = snap.orbitLeadAll ? 1.0 : 0.25;
        std::vector<Vec3> path;
        if (s.fixed)
            path = view::leadPath(snap.elements, snap.elementsEpoch, s.t, fraction, 720, true);
        else if (snap.orbitLeadAll)
            path = view::inertialOrbitPath(snap.elements, 720);
        else
            path = view::leadPath(snap.elements, snap.elementsEpoch, s.t, fraction, 720, false);
        begin(GL_LINE_STRIP, satColor, 2);
        for (const Vec3 &p : path)
            push(p);
        end();
    }

    // Vectors, from the Earth's centre.
    for (const GeometryItem &item : snap.geometry) {
        if (item.kind != GeometryItem::Kind::Vector || !item.show)
            continue;
        QString why;
        const std::optional<Vec3> dir = direction(item.path, &why);
        const QString name = view::displayName(item.path);
        if (!dir) {
            notes << QStringLiteral("%1: undefined (%2)").arg(name, why);
            continue;
        }
        // Position reaches the satellite; velocity starts there; the rest
        // start at the Earth's centre.
        const view::AidVector which = view::aidVectorForPath(item.path);
        const Vec3 base = which == view::AidVector::Velocity ? s.display(st.r) : Vec3{};
        const double length = which == view::AidVector::Position ? view::norm(st.r)
            : which == view::AidVector::Velocity                 ? 0.35 * s.vectorLength
                                                                 : s.vectorLength;
        const Vec3 tip = base + s.display(*dir) * length;
        begin(GL_LINES, item.color, 2);
        push(base);
        push(tip);
        end();
        arrow(base, tip, item.color);
        if (item.showLabel)
            labels.push_back({base + (tip - base) * 1.03, name, item.color});
    }

    // Angles: arcs between their vectors; a third vector says which way round to count.
    int angleIndex = 0;
    for (const GeometryItem &item : snap.geometry) {
        if (item.kind != GeometryItem::Kind::Angle || !item.show)
            continue;
        const QString name = view::displayName(item.path);
        // Outside the Earth, inside the vectors' tips, a little apart from each other.
        const double inner = 1.2 * astro::kEarthRadius;
        const double radius = inner + (s.vectorLength - inner) * (0.35 + 0.17 * (angleIndex++ % 3));
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
        const view::Arc arc = view::arcBetween(*a, *b, *sense, radius, 96);
        const QString text = QStringLiteral("%1 %2\u00B0").arg(name).arg(arc.angle / kDeg, 0, 'f', 1);
        if (arc.points.empty()) {
            if (item.showLabel)
                labels.push_back({s.display(*a) * radius, text, item.color});
            continue;
        }
        begin(GL_LINE_STRIP, item.color, 2.5f);
        for (const Vec3 &p : arc.points)
            push(s.display(p));
        end();
        if (item.showLabel)
            labels.push_back({s.display(arc.points[arc.points.size() / 2]) * 1.06, text, item.color});
    }
}

void EarthView::Private::drawFrame(const Scene &s, QSize pixels, qreal dpr, std::vector<Label> &labels, QStringList &notes)
{
    gl->glViewport(0, 0, pixels.width(), pixels.height());
    gl->glClearColor(0.005f, 0.008f, 0.02f, 1);
    gl->glClearDepthf(1);
    gl->glDepthMask(GL_TRUE);
    gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl->glEnable(GL_DEPTH_TEST);
    gl->glDepthFunc(GL_LEQUAL);
    gl->glDisable(GL_CULL_FACE);
    gl->glDisable(GL_BLEND);
    gl->glEnable(GL_PROGRAM_POINT_SIZE);

    // Inertial to the display frame, as a matrix for the GPU.
    QMatrix4x4 frame;
    if (s.fixed)
        frame.rotate(float(-s.gmst / kDeg), 0, 0, 1);
    const QMatrix4x4 viewProj = s.proj.projection * s.proj.view;

    // Stars at infinity: only the camera's turn applies.
    QMatrix4x4 turn = s.proj.view;
    turn.setColumn(3, QVector4D(0, 0, 0, 1));
    flatProgram->bind();
    flatProgram->setUniformValue("uMvp", s.proj.projection * turn * frame);
    flatProgram->setUniformValue("uAtInfinity", true);
    flatProgram->setUniformValue("uUseBright", true);
    flatProgram->setUniformValue("uRound", false);
    flatProgram->setUniformValue("uPointSize", float(1.6 * dpr));
    flatProgram->setUniformValue("uColor", QVector4D(0.9f, 0.92f, 1.0f, 1));
    gl->glDepthMask(GL_FALSE);
    starsVao->bind();
    gl->glDrawArrays(GL_POINTS, 0, starCount);
    starsVao->release();
    gl->glDepthMask(GL_TRUE);

    // The Earth turns with sidereal time among the stars.
    QMatrix4x4 model = frame;
    model.rotate(float(s.gmst / kDeg), 0, 0, 1);
    const Vec3 sun = s.display(view::sunDirection(s.t));
    const Vec3 eye = view::cameraEye(s.camera) * (1 / view::kUnit);
    globeProgram->bind();
    globeProgram->setUniformValue("uMvp", viewProj * model);
    globeProgram->setUniformValue("uModel", model.normalMatrix());
    globeProgram->setUniformValue("uSun", QVector3D(float(sun.x), float(sun.y), float(sun.z)));
    globeProgram->setUniformValue("uEye", QVector3D(float(eye.x), float(eye.y), float(eye.z)));
    globeProgram->setUniformValue("uDay", 0);
    globeProgram->setUniformValue("uNight", 1);
    globeProgram->setUniformValue("uHasNight", bool(nightTexture));
    dayTexture->bind(0);
    if (nightTexture)
        nightTexture->bind(1);
    // The far half never shows: not setting it up saves a software renderer
    // half its triangles.
    gl->glEnable(GL_CULL_FACE);
    gl->glFrontFace(GL_CCW);
    gl->glCullFace(GL_BACK);
    globeVao->bind();
    gl->glDrawElements(GL_TRIANGLES, globeIndexCount, GL_UNSIGNED_INT, nullptr);
    globeVao->release();
    gl->glDisable(GL_CULL_FACE);
    if (nightTexture)
        nightTexture->release(1);
    dayTexture->release(0);

    // Lines, built in display coordinates.
    std::vector<float> verts;
    std::vector<LineDraw> draws;
    buildLines(s, verts, draws, labels, notes);
    // The satellite's marker rides in the same upload, after the lines.
    const int markerIndex = int(verts.size() / 3);
    if (s.sat) {
        // Slid towards the eye along its line of sight by about its own
        // on-screen size: the same pixel, but its own path and the lines that
        // end at it no longer cut through it; the Earth still hides it.
        const Vec3 at = s.display(s.sat->r);
        const Vec3 toEye = view::cameraEye(s.camera) - at;
        const double distance = view::norm(toEye);
        const double metresPerPixel = distance * 2 * std::tan(view::kFieldOfViewDeg / 2 * kDeg) / std::max(1, s.proj.size.height());
        const Vec3 p = (at + view::normalized(toEye) * std::min(0.5 * distance, 12 * metresPerPixel)) * (1 / view::kUnit);
        verts.insert(verts.end(), {float(p.x), float(p.y), float(p.z)});
    }
    lineProgram->bind();
    lineProgram->setUniformValue("uMvp", viewProj);
    lineProgram->setUniformValue("uViewport", QVector2D(float(pixels.width()), float(pixels.height())));
    linesVao->bind();
    linesVbo.bind();
    const int bytes = int(verts.size() * sizeof(float));
    if (bytes > linesVbo.size())
        linesVbo.allocate(verts.data(), bytes);
    else if (bytes > 0)
        linesVbo.write(0, verts.data(), bytes);
    gl->glEnable(GL_BLEND);
    gl->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (const LineDraw &d : draws) {
        if (d.count < 2)
            continue;
        gl->glDepthMask(d.depthWrite ? GL_TRUE : GL_FALSE);
        lineProgram->setUniformValue("uWidth", float(d.width * dpr));
        lineProgram->setUniformValue("uColor", rgba(d.color));
        gl->glDrawArrays(d.mode, d.first, d.count);
    }
    gl->glDisable(GL_BLEND);
    gl->glDepthMask(GL_TRUE);

    // The satellite, in its colour, on top of its own path.
    if (s.sat) {
        flatProgram->bind();
        flatProgram->setUniformValue("uMvp", viewProj);
        flatProgram->setUniformValue("uAtInfinity", false);
        flatProgram->setUniformValue("uUseBright", false);
        flatProgram->setUniformValue("uRound", true);
        flatProgram->setUniformValue("uPointSize", float(14 * dpr));
        flatProgram->setUniformValue("uColor", rgba(s.snap->satelliteColor));
        gl->glDrawArrays(GL_POINTS, markerIndex, 1);
    }
    linesVao->release();
    flatProgram->release();
    gl->glDisable(GL_DEPTH_TEST);
}

void EarthView::Private::paintOverlay(QPainter &p, const Scene &s, const std::vector<Label> &labels,
                                      const QStringList &notes, QSize size) const
{
    const Snapshot &snap = *s.snap;
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font = p.font();
    font.setPointSizeF(9.5);
    p.setFont(font);
    const QFontMetrics fm(font);
    auto shadowed = [&](QPointF at, const QString &text, const QColor &color) {
        p.setPen(QColor(0, 0, 0, 200));
        p.drawText(at + QPointF(1, 1), text);
        p.setPen(color);
        p.drawText(at, text);
    };

    const Vec3 eye = view::cameraEye(s.camera);
    std::vector<QRectF> placed;
    // The satellite's name beside its marker, clear of the marker itself.
    if (s.sat && !snap.satelliteName.isEmpty() && !view::hiddenByEarth(eye, s.display(s.sat->r))) {
        if (const std::optional<QPointF> at = view::projectPoint(s.proj, s.display(s.sat->r))) {
            const QPointF origin = *at + QPointF(11, -9);
            placed.push_back(QRectF(fm.boundingRect(snap.satelliteName)).translated(origin));
            shadowed(origin, snap.satelliteName, snap.satelliteColor.isValid() ? snap.satelliteColor : QColor(Qt::white));
        }
    }
    for (const Label &l : labels) {
        if (view::hiddenByEarth(eye, l.at))
            continue;
        std::optional<QPointF> at = view::projectPoint(s.proj, l.at);
        if (!at)
            continue;
        // Labels of vectors that coincide (the orbit normal on +z at i = 0)
        // step down instead of printing over each other.
        QPointF origin = *at + QPointF(4, -4);
        QRectF box = QRectF(fm.boundingRect(l.text)).translated(origin);
        for (int tries = 0; tries < 6; ++tries) {
            const bool clash = std::any_of(placed.begin(), placed.end(), [&](const QRectF &r) { return r.intersects(box); });
            if (!clash)
                break;
            origin.ry() += fm.lineSpacing();
            box.translate(0, fm.lineSpacing());
        }
        placed.push_back(box);
        // Deep colours (the blue of an angle) are hard to read on black: lift them.
        const double luminance = 0.299 * l.color.redF() + 0.587 * l.color.greenF() + 0.114 * l.color.blueF();
        const QColor text = luminance < 0.25 ? l.color.lighter(175) : l.color;
        shadowed(origin, l.text, text);
    }

    // The data display: a box at the top left.
    if (snap.dataDisplayShown && s.sat) {
        QStringList lines = view::classicalElementsLines(*s.sat, s.t);
        const QString title = (snap.satelliteName.isEmpty() ? QString() : snap.satelliteName + QStringLiteral(" - "))
            + (snap.dataDisplayName.isEmpty() ? QStringLiteral("Classical Orbit Elements") : snap.dataDisplayName);
        int width = fm.horizontalAdvance(title);
        for (const QString &l : lines)
            width = std::max(width, fm.horizontalAdvance(l));
        const int lh = fm.lineSpacing();
        const QRectF box(8, 8, width + 20, lh * (lines.size() + 1) + 16);
        p.setPen(QColor(120, 140, 170, 160));
        p.setBrush(QColor(10, 16, 28, 190));
        p.drawRoundedRect(box, 5, 5);
        QFont bold = font;
        bold.setBold(true);
        p.setFont(bold);
        const QColor titleColor = snap.satelliteColor.isValid() ? snap.satelliteColor : QColor(Qt::white);
        shadowed(QPointF(box.left() + 10, box.top() + 8 + fm.ascent()), title, titleColor);
        p.setFont(font);
        for (int i = 0; i < lines.size(); ++i)
            shadowed(QPointF(box.left() + 10, box.top() + 8 + fm.ascent() + lh * (i + 1)), lines[i], QColor(225, 232, 240));
    }

    // Annotations, top right.
    QStringList right;
    if (snap.annotations.time)
        right << QString::fromStdString(astro::formatDate(s.t)) + QStringLiteral(" UTC");
    if (snap.annotations.timeStep)
        right << QStringLiteral("Time Step: %1 sec").arg(snap.animationStep, 0, 'f', 2);
    if (snap.annotations.frame)
        right << (s.fixed ? QStringLiteral("Frame: Earth Fixed") : QStringLiteral("Frame: Earth Inertial"));
    for (int i = 0; i < right.size(); ++i)
        shadowed(QPointF(size.width() - 10 - fm.horizontalAdvance(right[i]), 8 + fm.ascent() + fm.lineSpacing() * i),
                 right[i], QColor(230, 230, 200));

    // Aids that the orbit leaves undefined say so, bottom left.
    for (int i = 0; i < notes.size(); ++i)
        shadowed(QPointF(10, size.height() - 10 - fm.descent() - fm.lineSpacing() * (notes.size() - 1 - i)), notes[i],
                 QColor(255, 200, 120));

    if (usingPicture) {
        QFont small = font;
        small.setPointSizeF(7.5);
        p.setFont(small);
        const QString credit = QStringLiteral("Earth imagery: NASA Visible Earth");
        p.setPen(QColor(150, 150, 160));
        p.drawText(QPointF(size.width() - 8 - QFontMetrics(small).horizontalAdvance(credit), size.height() - 6), credit);
    }
}

// ---------------------------------------------------------------------------

EarthView::EarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent)
    : QOpenGLWidget(parent), d(std::make_unique<Private>(store, clock))
{
    setFormat(surfaceFormat());
    setMinimumSize(160, 120);
    setFocusPolicy(Qt::StrongFocus);
    // The store signals from the command thread: queue it, and one repaint
    // serves a whole burst of commands.
    connect(&store, &ScenarioStore::changed, this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
    connect(&clock, &AnimationClock::timeChanged, this, qOverload<>(&QWidget::update));
}

EarthView::~EarthView()
{
    disconnect(d->contextGoing);
    if (d->ready && context()) {
        makeCurrent();
        d->release();
        doneCurrent();
    }
}

QSurfaceFormat EarthView::surfaceFormat()
{
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setVersion(3, 3);
    f.setProfile(QSurfaceFormat::CoreProfile);
    f.setDepthBufferSize(24);
    // No multisampling: with software OpenGL it costs a factor of three in
    // frame time.
    f.setSamples(0);
    return f;
}

bool EarthView::openGLAvailable()
{
    if (!qGuiApp)
        return false;  // no platform to ask yet
    static const bool available = [] {
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
            return false;
        QOpenGLContext probe;
        probe.setFormat(surfaceFormat());
        if (!probe.create() || probe.isOpenGLES())
            return false;
        const QSurfaceFormat f = probe.format();
        return std::make_pair(f.majorVersion(), f.minorVersion()) >= std::make_pair(3, 3);
    }();
    return available;
}

bool EarthView::rendererReady() const { return d->ready; }
QStringList EarthView::undefinedAidNotes() const { return d->lastNotes; }
quint64 EarthView::drawnRevision() const { return d->drawnRevision; }

std::optional<QPointF> EarthView::project(const astro::Vec3 &inertialMetres) const
{
    const SnapshotPtr snap = d->store.snapshot();
    const Scene s = makeScene(snap, d->effectiveCamera(*snap), d->clock.now(), size());
    return view::projectPoint(s.proj, s.display(inertialMetres));
}

std::optional<QPointF> EarthView::satelliteScreenPosition() const
{
    const SnapshotPtr snap = d->store.snapshot();
    const Scene s = makeScene(snap, d->effectiveCamera(*snap), d->clock.now(), size());
    if (!s.sat)
        return std::nullopt;
    return view::projectPoint(s.proj, s.display(s.sat->r));
}

void EarthView::initializeGL()
{
    d->release();
    d->failed = !d->build(context());
    d->ready = !d->failed;
    if (d->failed) {
        d->release();
        qWarning("3-D view disabled: %s", qPrintable(d->failure));
        return;
    }
    // The context goes away when the widget moves to another window: let go
    // of its resources while it is still current.
    disconnect(d->contextGoing);
    d->contextGoing = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        d->release();
        doneCurrent();
    });
}

void EarthView::resizeGL(int, int) {}

void EarthView::paintGL()
{
    QElapsedTimer timer;
    timer.start();
    const SnapshotPtr snap = d->store.takeChange();
    d->adoptViewer(*snap);
    if (!d->ready)
        return;
    const Scene s = makeScene(snap, d->camera, d->clock.now(), size());
    std::vector<Label> labels;
    QStringList notes;
    d->drawFrame(s, size() * devicePixelRatioF(), devicePixelRatioF(), labels, notes);
    d->lastNotes = notes;
    d->drawnRevision = snap->revision;
    {
        QPainter painter(this);
        d->paintOverlay(painter, s, labels, notes, size());
    }
    emit frameDrawn(double(timer.nsecsElapsed()) / 1e6);
}

void EarthView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        d->dragging = true;
        d->lastMouse = event->position().toPoint();
    }
    event->accept();
}

void EarthView::mouseMoveEvent(QMouseEvent *event)
{
    if (!d->dragging || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint now = event->position().toPoint();
    d->adoptViewer(*d->store.snapshot());
    d->camera = view::dragCamera(d->camera, QPointF(now - d->lastMouse));
    d->lastMouse = now;
    update();
}

void EarthView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        d->dragging = false;
}

void EarthView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Back to where the scenario last placed the viewer.
    const SnapshotPtr snap = d->store.snapshot();
    d->camera = view::clampCamera({snap->viewer.latitudeDeg, snap->viewer.longitudeDeg, snap->viewer.rangeM});
    d->viewerSerial = snap->viewer.serial;
    event->accept();
    update();
}

void EarthView::wheelEvent(QWheelEvent *event)
{
    d->adoptViewer(*d->store.snapshot());
    d->camera = view::zoomCamera(d->camera, event->angleDelta().y());
    event->accept();
    update();
}

QWidget *createEarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent)
{
    if (EarthView::openGLAvailable())
        return new EarthView(store, clock, parent);
    auto *label = new QLabel(QObject::tr("3-D view unavailable: OpenGL 3.3 cannot be used on this display"), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("background: #05070d; color: #8890a0;"));
    return label;
}

} // namespace zep
