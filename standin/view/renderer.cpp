#include "standin/view/renderer.h"

#include "standin/astro/vec3.h"
#include "standin/view/earthimagery.h"
#include "standin/view/globe.h"
#include "standin/view/shaders.h"

#include <QImage>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLPixelTransferOptions>
#include <QOpenGLShaderProgram>
#include <QOpenGLTexture>
#include <QOpenGLVertexArrayObject>
#include <QRandomGenerator>

#include <cmath>

namespace zep::view {

namespace {

QVector4D rgba(const QColor &c, float alpha = 1)
{
    return QVector4D(c.redF(), c.greenF(), c.blueF(), c.alphaF() * alpha);
}

GLenum glMode(Primitive p)
{
    switch (p) {
    case Primitive::Lines: return GL_LINES;
    case Primitive::LineStrip: return GL_LINE_STRIP;
    case Primitive::Points: return GL_POINTS;
    }
    return GL_POINTS;
}

// Uploads a ready-made mipmap chain: building it on the GPU side would cost a
// software renderer far more, on the GUI thread.
std::unique_ptr<QOpenGLTexture> uploadTexture(const QList<QImage> &levels)
{
    auto t = std::make_unique<QOpenGLTexture>(QOpenGLTexture::Target2D);
    t->setFormat(QOpenGLTexture::RGBA8_UNorm);
    t->setSize(levels.first().width(), levels.first().height());
    t->setMipLevels(int(levels.size()));
    t->allocateStorage(QOpenGLTexture::RGBA, QOpenGLTexture::UInt8);
    QOpenGLPixelTransferOptions rows;
    rows.setAlignment(4);  // RGBA8888 lines are whole words
    for (int level = 0; level < int(levels.size()); ++level)
        t->setData(level, QOpenGLTexture::RGBA, QOpenGLTexture::UInt8, levels[level].constBits(), &rows);
    t->setMinificationFilter(QOpenGLTexture::LinearMipMapLinear);
    t->setMagnificationFilter(QOpenGLTexture::Linear);
    t->setWrapMode(QOpenGLTexture::DirectionS, QOpenGLTexture::Repeat);
    t->setWrapMode(QOpenGLTexture::DirectionT, QOpenGLTexture::ClampToEdge);
    return t;
}

} // namespace

Renderer::Renderer() = default;
Renderer::~Renderer() = default;

bool Renderer::initialize(QOpenGLContext *context, const EarthPictures &earth)
{
    release();
    if (!build(context)) {
        release();
        return false;
    }
    if (earth.day.isEmpty()) {
        failure_ = QStringLiteral("no picture of the Earth");
        release();
        return false;
    }
    dayTexture_ = uploadTexture(earth.day);
    if (!earth.night.isEmpty())
        nightTexture_ = uploadTexture(earth.night);
    credit_ = earth.credit();
    ready_ = true;
    return true;
}

QString Renderer::imageryCredit() const
{
    return credit_;
}

void Renderer::release()
{
    dayTexture_.reset();
    nightTexture_.reset();
    globeVbo_.destroy();
    globeIbo_.destroy();
    linesVbo_.destroy();
    starsVbo_.destroy();
    globeVao_.reset();
    linesVao_.reset();
    starsVao_.reset();
    globeProgram_.reset();
    flatProgram_.reset();
    lineProgram_.reset();
    gl_ = nullptr;
    ready_ = false;
}

bool Renderer::build(QOpenGLContext *ctx)
{
    if (!ctx || !ctx->isValid() || ctx->isOpenGLES()) {
        failure_ = QStringLiteral("no desktop OpenGL context");
        return false;
    }
    const QSurfaceFormat f = ctx->format();
    if (std::make_pair(f.majorVersion(), f.minorVersion()) < std::make_pair(3, 3)) {
        failure_ = QStringLiteral("OpenGL %1.%2 is older than 3.3").arg(f.majorVersion()).arg(f.minorVersion());
        return false;
    }
    gl_ = ctx->extraFunctions();

    globeProgram_ = std::make_unique<QOpenGLShaderProgram>();
    flatProgram_ = std::make_unique<QOpenGLShaderProgram>();
    lineProgram_ = std::make_unique<QOpenGLShaderProgram>();
    if (!globeProgram_->addShaderFromSourceCode(QOpenGLShader::Vertex, shaders::kGlobeVertex)
        || !globeProgram_->addShaderFromSourceCode(QOpenGLShader::Fragment, shaders::kGlobeFragment)
        || !globeProgram_->link()
        || !flatProgram_->addShaderFromSourceCode(QOpenGLShader::Vertex, shaders::kFlatVertex)
        || !flatProgram_->addShaderFromSourceCode(QOpenGLShader::Fragment, shaders::kFlatFragment) || !flatProgram_->link()
        || !lineProgram_->addShaderFromSourceCode(QOpenGLShader::Vertex, shaders::kLineVertex)
        || !lineProgram_->addShaderFromSourceCode(QOpenGLShader::Geometry, shaders::kLineGeometry)
        || !lineProgram_->addShaderFromSourceCode(QOpenGLShader::Fragment, shaders::kLineFragment) || !lineProgram_->link()) {
        failure_ = QStringLiteral("shaders: ") + globeProgram_->log() + flatProgram_->log() + lineProgram_->log();
        return false;
    }

    const SphereMesh sphere = makeSphere(64, 128);
    globeVao_ = std::make_unique<QOpenGLVertexArrayObject>();
    globeVao_->create();
    globeVao_->bind();
    globeVbo_.create();
    globeVbo_.bind();
    globeVbo_.allocate(sphere.vertices.data(), int(sphere.vertices.size() * sizeof(float)));
    globeIbo_.create();
    globeIbo_.bind();
    globeIbo_.allocate(sphere.indices.data(), int(sphere.indices.size() * sizeof(std::uint32_t)));
    globeIndexCount_ = int(sphere.indices.size());
    gl_->glEnableVertexAttribArray(0);
    gl_->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 5 * sizeof(float), nullptr);
    gl_->glEnableVertexAttribArray(1);
    gl_->glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 5 * sizeof(float), reinterpret_cast<void *>(3 * sizeof(float)));
    globeVao_->release();

    linesVao_ = std::make_unique<QOpenGLVertexArrayObject>();
    linesVao_->create();
    linesVao_->bind();
    linesVbo_.create();
    linesVbo_.setUsagePattern(QOpenGLBuffer::StreamDraw);
    linesVbo_.bind();
    linesVbo_.allocate(1024 * 3 * sizeof(float));
    gl_->glEnableVertexAttribArray(0);
    gl_->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
    linesVao_->release();

    // A fixed sky: the same stars on every run.
    std::vector<float> stars;
    QRandomGenerator rng(20050701);
    starCount_ = 1600;
    for (int i = 0; i < starCount_; ++i) {
        const double z = rng.generateDouble() * 2 - 1, phi = rng.generateDouble() * 2 * astro::kPi;
        const double rxy = std::sqrt(1 - z * z);
        const double b = std::pow(rng.generateDouble(), 6.0);
        stars.insert(stars.end(), {float(rxy * std::cos(phi)), float(rxy * std::sin(phi)), float(z), float(0.18 + 0.8 * b)});
    }
    starsVao_ = std::make_unique<QOpenGLVertexArrayObject>();
    starsVao_->create();
    starsVao_->bind();
    starsVbo_.create();
    starsVbo_.bind();
    starsVbo_.allocate(stars.data(), int(stars.size() * sizeof(float)));
    gl_->glEnableVertexAttribArray(0);
    gl_->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    gl_->glEnableVertexAttribArray(1);
    gl_->glVertexAttribPointer(1, 1, GL_FLOAT, GL_FALSE, 4 * sizeof(float), reinterpret_cast<void *>(3 * sizeof(float)));
    starsVao_->release();

    return true;
}

void Renderer::draw(const Scene &scene, QSize pixels, qreal dpr)
{
    if (!ready_)
        return;
    gl_->glViewport(0, 0, pixels.width(), pixels.height());
    gl_->glClearColor(scene.background.redF(), scene.background.greenF(), scene.background.blueF(), 1);
    gl_->glClearDepthf(1);
    gl_->glDepthMask(GL_TRUE);
    gl_->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl_->glEnable(GL_DEPTH_TEST);
    gl_->glDepthFunc(GL_LEQUAL);
    gl_->glDisable(GL_CULL_FACE);
    gl_->glDisable(GL_BLEND);
    gl_->glEnable(GL_PROGRAM_POINT_SIZE);

    if (scene.sky)
        drawSky(*scene.sky, dpr);
    for (const MeshDraw &mesh : scene.meshes)
        drawMesh(scene, mesh);
    drawPrimitives(scene, pixels, dpr);
    gl_->glDisable(GL_DEPTH_TEST);
}

void Renderer::drawSky(const QMatrix4x4 &transform, qreal dpr)
{
    flatProgram_->bind();
    flatProgram_->setUniformValue("uMvp", transform);
    flatProgram_->setUniformValue("uAtInfinity", true);
    flatProgram_->setUniformValue("uUseBright", true);
    flatProgram_->setUniformValue("uRound", false);
    flatProgram_->setUniformValue("uPointSize", float(1.6 * dpr));
    flatProgram_->setUniformValue("uColor", QVector4D(0.9f, 0.92f, 1.0f, 1));
    gl_->glDepthMask(GL_FALSE);
    starsVao_->bind();
    gl_->glDrawArrays(GL_POINTS, 0, starCount_);
    starsVao_->release();
    gl_->glDepthMask(GL_TRUE);
}

void Renderer::drawMesh(const Scene &scene, const MeshDraw &mesh)
{
    globeProgram_->bind();
    globeProgram_->setUniformValue("uMvp", scene.viewProjection * mesh.model);
    globeProgram_->setUniformValue("uModel", mesh.model.normalMatrix());
    globeProgram_->setUniformValue("uSun", mesh.sun);
    globeProgram_->setUniformValue("uEye", mesh.eye);
    globeProgram_->setUniformValue("uDay", 0);
    globeProgram_->setUniformValue("uNight", 1);
    globeProgram_->setUniformValue("uHasNight", bool(nightTexture_));
    dayTexture_->bind(0);
    if (nightTexture_)
        nightTexture_->bind(1);
    // Not setting up the far half saves a software renderer half its triangles.
    if (mesh.cullBack) {
        gl_->glEnable(GL_CULL_FACE);
        gl_->glFrontFace(GL_CCW);
        gl_->glCullFace(GL_BACK);
    }
    globeVao_->bind();
    gl_->glDrawElements(GL_TRIANGLES, globeIndexCount_, GL_UNSIGNED_INT, nullptr);
    globeVao_->release();
    gl_->glDisable(GL_CULL_FACE);
    if (nightTexture_)
        nightTexture_->release(1);
    dayTexture_->release(0);
}

// One upload for all the lines and points; lines blend over what lies
// behind them, markers stay solid.
void Renderer::drawPrimitives(const Scene &scene, QSize pixels, qreal dpr)
{
    linesVao_->bind();
    linesVbo_.bind();
    const int bytes = int(scene.vertices.size() * sizeof(float));
    if (bytes > linesVbo_.size())
        linesVbo_.allocate(scene.vertices.data(), bytes);
    else if (bytes > 0)
        linesVbo_.write(0, scene.vertices.data(), bytes);

    QOpenGLShaderProgram *bound = nullptr;
    for (const Draw &d : scene.draws) {
        const bool point = d.primitive == Primitive::Points;
        if (d.count < (point ? 1 : 2))
            continue;
        if (point) {
            if (bound != flatProgram_.get()) {
                gl_->glDisable(GL_BLEND);
                flatProgram_->bind();
                flatProgram_->setUniformValue("uMvp", scene.viewProjection);
                flatProgram_->setUniformValue("uAtInfinity", false);
                flatProgram_->setUniformValue("uUseBright", false);
                flatProgram_->setUniformValue("uRound", true);
                bound = flatProgram_.get();
            }
            flatProgram_->setUniformValue("uPointSize", float(d.size * dpr));
        } else {
            if (bound != lineProgram_.get()) {
                gl_->glEnable(GL_BLEND);
                gl_->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                lineProgram_->bind();
                lineProgram_->setUniformValue("uMvp", scene.viewProjection);
                lineProgram_->setUniformValue("uViewport", QVector2D(float(pixels.width()), float(pixels.height())));
                bound = lineProgram_.get();
            }
            lineProgram_->setUniformValue("uWidth", float(d.size * dpr));
        }
        gl_->glDepthMask(d.depthWrite ? GL_TRUE : GL_FALSE);
        bound->setUniformValue("uColor", rgba(d.color));
        gl_->glDrawArrays(glMode(d.primitive), d.first, d.count);
    }
    gl_->glDisable(GL_BLEND);
    gl_->glDepthMask(GL_TRUE);
    linesVao_->release();
    flatProgram_->release();
}

} // namespace zep::view
