#include "standin/view/renderer.h"

#include "standin/astro/vec3.h"
#include "standin/view/drawbatches.h"
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

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace zep::view {

namespace {

// Into a buffer that grows as frames need.
void upload(QOpenGLBuffer &buffer, const void *data, int bytes)
{
    buffer.bind();
    if (bytes > buffer.size())
        buffer.allocate(data, bytes);
    else if (bytes > 0)
        buffer.write(0, data, bytes);
}

// A vertex array over a buffer rewritten every frame, bound for its attributes.
std::unique_ptr<QOpenGLVertexArrayObject> streamedArray(QOpenGLBuffer &buffer, int bytes)
{
    auto vao = std::make_unique<QOpenGLVertexArrayObject>();
    vao->create();
    vao->bind();
    buffer.create();
    buffer.setUsagePattern(QOpenGLBuffer::StreamDraw);
    buffer.bind();
    buffer.allocate(bytes);
    return vao;
}

QByteArray withBehindEarth(const char *source)
{
    return QByteArray(source).replace("BEHIND_EARTH", shaders::kBehindEarth);
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

// Each level of the day picture with the night lights' brightness as its
// alpha, the night picture brought to its size where the two differ.
QList<QImage> withLightsInAlpha(const QList<QImage> &day, const QList<QImage> &night)
{
    QList<QImage> out;
    for (qsizetype level = 0; level < day.size(); ++level) {
        QImage d = day[level].convertToFormat(QImage::Format_RGBA8888);
        QImage n = level < night.size() ? night[level] : QImage();
        if (n.size() != d.size())
            n = night.first().scaled(d.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        n = n.convertToFormat(QImage::Format_RGBA8888);
        for (int y = 0; y < d.height(); ++y) {
            uchar *to = d.scanLine(y);
            const uchar *from = n.constScanLine(y);
            for (int x = 0; x < d.width(); ++x)
                to[4 * x + 3] = std::max({from[4 * x], from[4 * x + 1], from[4 * x + 2]});
        }
        out.append(d);
    }
    return out;
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
    hasNight_ = !earth.night.isEmpty();
    dayTexture_ = uploadTexture(hasNight_ ? withLightsInAlpha(earth.day, earth.night) : earth.day);
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
    backdrop_.release(gl_);
    lines_.release(gl_);
    dayTexture_.reset();
    hasNight_ = false;
    if (pictureTexture_ && gl_)
        gl_->glDeleteTextures(1, &pictureTexture_);
    pictureTexture_ = 0;
    pictureSize_ = {};
    pictureVbo_.destroy();
    pictureVao_.reset();
    pictureProgram_.reset();
    globeVbo_.destroy();
    globeIbo_.destroy();
    globeIndices_ = 0;
    linesVbo_.destroy();
    linesIbo_.destroy();
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
    pictureProgram_ = std::make_unique<QOpenGLShaderProgram>();
    if (!globeProgram_->addShaderFromSourceCode(QOpenGLShader::Vertex, shaders::kGlobeVertex)
        || !globeProgram_->addShaderFromSourceCode(QOpenGLShader::Fragment, shaders::kGlobeFragment)
        || !globeProgram_->link()
        || !flatProgram_->addShaderFromSourceCode(QOpenGLShader::Vertex, withBehindEarth(shaders::kFlatVertex))
        || !flatProgram_->addShaderFromSourceCode(QOpenGLShader::Fragment, shaders::kFlatFragment) || !flatProgram_->link()
        || !lineProgram_->addShaderFromSourceCode(QOpenGLShader::Vertex, shaders::kLineVertex)
        || !lineProgram_->addShaderFromSourceCode(QOpenGLShader::Geometry, shaders::kLineGeometry)
        || !lineProgram_->addShaderFromSourceCode(QOpenGLShader::Fragment, withBehindEarth(shaders::kLineFragment))
        || !lineProgram_->link()
        || !pictureProgram_->addShaderFromSourceCode(QOpenGLShader::Vertex, shaders::kPictureVertex)
        || !pictureProgram_->addShaderFromSourceCode(QOpenGLShader::Fragment, shaders::kPictureFragment)
        || !pictureProgram_->link()) {
        failure_ = QStringLiteral("shaders: ") + globeProgram_->log() + flatProgram_->log() + lineProgram_->log()
            + pictureProgram_->log();
        return false;
    }

    const SphereMesh sphere = makeSphere(kGlobeSlices / 2, kGlobeSlices);
    globeIndices_ = int(sphere.indices.size());
    globeEnclose_ = float(enclosingScale(sphere));
    globeVao_ = std::make_unique<QOpenGLVertexArrayObject>();
    globeVao_->create();
    globeVao_->bind();
    globeVbo_.create();
    globeVbo_.bind();
    globeVbo_.allocate(sphere.vertices.data(), int(sphere.vertices.size() * sizeof(float)));
    globeIbo_.create();
    globeIbo_.bind();
    globeIbo_.allocate(sphere.indices.data(), globeIndices_ * int(sizeof(std::uint32_t)));
    gl_->glEnableVertexAttribArray(0);
    gl_->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 5 * sizeof(float), nullptr);
    gl_->glEnableVertexAttribArray(1);
    gl_->glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 5 * sizeof(float), reinterpret_cast<void *>(3 * sizeof(float)));
    globeVao_->release();

    linesVao_ = streamedArray(linesVbo_, 1024 * sizeof(ColouredVertex));
    linesIbo_.create();
    linesIbo_.setUsagePattern(QOpenGLBuffer::StreamDraw);
    linesIbo_.bind();
    linesIbo_.allocate(2048 * sizeof(std::uint32_t));
    gl_->glEnableVertexAttribArray(0);
    gl_->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(ColouredVertex), nullptr);
    gl_->glEnableVertexAttribArray(2);
    gl_->glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(ColouredVertex),
                               reinterpret_cast<void *>(offsetof(ColouredVertex, rgba)));
    linesVao_->release();

    pictureVao_ = streamedArray(pictureVbo_, 64 * 6 * 4 * sizeof(float));
    gl_->glEnableVertexAttribArray(0);
    gl_->glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    gl_->glEnableVertexAttribArray(1);
    gl_->glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), reinterpret_cast<void *>(2 * sizeof(float)));
    pictureVao_->release();

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
    gl_->glDisable(GL_SCISSOR_TEST);
    gl_->glDepthMask(GL_TRUE);
    gl_->glClearColor(scene.background.redF(), scene.background.greenF(), scene.background.blueF(), 1);
    gl_->glClearDepthf(1);
    // Once a frame, for the kept lines and the rest alike.
    const std::vector<ColouredVertex> vertices = colouredVertices(scene);
    upload(linesVbo_, vertices.data(), int(vertices.size() * sizeof(ColouredVertex)));
    const BackdropCache::Key backdrop = BackdropCache::keyOf(scene, pixels, dpr);
    const bool kept = backdrop_.restore(backdrop, *gl_);
    gl_->glClear(kept ? GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT
                      : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    gl_->glEnable(GL_DEPTH_TEST);
    gl_->glDepthFunc(GL_LEQUAL);
    gl_->glDisable(GL_CULL_FACE);
    gl_->glDisable(GL_BLEND);
    gl_->glEnable(GL_PROGRAM_POINT_SIZE);
    if (!kept) {
        drawBackdrop(scene, pixels, dpr, backdrop.lines);
        backdrop_.keep(backdrop, *gl_);
    }
    drawPrimitives(scene, pixels, dpr, batchDraws(scene, scene.backdropDraws));
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

void Renderer::drawMesh(const Scene &scene, const MeshDraw &mesh, GLuint laidLines)
{
    // The shading works in the globe's axes, where the sphere is the unit one.
    const QMatrix4x4 toGlobe = mesh.model.inverted();
    globeProgram_->bind();
    globeProgram_->setUniformValue("uMvp", scene.viewProjection * mesh.model);
    globeProgram_->setUniformValue("uEnclose", globeEnclose_);
    globeProgram_->setUniformValue("uSun", toGlobe.mapVector(mesh.sun));
    globeProgram_->setUniformValue("uEye", toGlobe.map(mesh.eye));
    globeProgram_->setUniformValue("uDay", 0);
    globeProgram_->setUniformValue("uHasNight", hasNight_);
    globeProgram_->setUniformValue("uLines", 1);
    globeProgram_->setUniformValue("uLaid", laidLines != 0);
    gl_->glActiveTexture(GL_TEXTURE1);
    gl_->glBindTexture(GL_TEXTURE_2D, laidLines);
    dayTexture_->bind(0);
    // Not setting up the far half saves a software renderer half its triangles.
    if (mesh.cullBack) {
        gl_->glEnable(GL_CULL_FACE);
        gl_->glFrontFace(GL_CCW);
        gl_->glCullFace(GL_BACK);
    }
    globeVao_->bind();
    gl_->glDrawElements(GL_TRIANGLES, globeIndices_, GL_UNSIGNED_INT, nullptr);
    globeVao_->release();
    gl_->glDisable(GL_CULL_FACE);
    dayTexture_->release(0);
    gl_->glActiveTexture(GL_TEXTURE1);
    gl_->glBindTexture(GL_TEXTURE_2D, 0);
    gl_->glActiveTexture(GL_TEXTURE0);
}

void Renderer::drawBackdrop(const Scene &scene, QSize pixels, qreal dpr, const LinesKey &key)
{
    using Use = LinesLayer::Use;
    const auto drawLines = [&] {
        drawPrimitives(scene, pixels, dpr, batchDraws(scene, 0, scene.backdropDraws, Depth::None));
    };
    Use use = lines_.plan(key);
    if (use == Use::Lay && !lines_.restoreSky(*gl_))
        use = Use::Direct;
    if (use == Use::Draw) {
        if (lines_.begin(*gl_)) {
            drawLines();
            lines_.end(*gl_);
        } else {
            use = Use::Direct;
        }
    }
    if (use != Use::Lay && scene.sky)
        drawSky(*scene.sky, dpr);
    if (use == Use::Draw) {
        // The picture's rows run from the bottom, as the frame's do.
        drawQuads(lines_.lines(), {-1, -1, 0, 0, 1, -1, 1, 0, 1, 1, 1, 1, -1, -1, 0, 0, 1, 1, 1, 1, -1, 1, 0, 1});
        lines_.keepSky(*gl_);
    }
    // The Earth writes no depth: what it hides is worked out exactly by the
    // programs that draw the lines and markers.
    gl_->glDepthMask(GL_FALSE);
    for (const MeshDraw &mesh : scene.meshes)
        drawMesh(scene, mesh, use == Use::Direct ? 0 : lines_.lines());
    gl_->glDepthMask(GL_TRUE);
    if (use == Use::Direct)
        drawLines();
}

// The vertices are in the buffer already (draw()); a call for each run of
// lines or points in one style; lines blend over what lies behind them, markers stay solid.
void Renderer::drawPrimitives(const Scene &scene, QSize pixels, qreal dpr, const DrawBatches &batches)
{
    if (batches.batches.empty())
        return;
    linesVao_->bind();
    upload(linesIbo_, batches.indices.data(), int(batches.indices.size() * sizeof(std::uint32_t)));

    QOpenGLShaderProgram *bound = nullptr;
    for (const DrawBatch &b : batches.batches) {
        const bool point = b.primitive == Primitive::Points;
        if (point) {
            if (bound != flatProgram_.get()) {
                gl_->glDisable(GL_BLEND);
                flatProgram_->bind();
                flatProgram_->setUniformValue("uMvp", scene.viewProjection);
                flatProgram_->setUniformValue("uEye", scene.eye);
                flatProgram_->setUniformValue("uAtInfinity", false);
                flatProgram_->setUniformValue("uUseBright", false);
                flatProgram_->setUniformValue("uVertexColor", true);
                flatProgram_->setUniformValue("uRound", true);
                bound = flatProgram_.get();
            }
            flatProgram_->setUniformValue("uPointSize", float(b.size * dpr));
        } else {
            if (bound != lineProgram_.get()) {
                gl_->glEnable(GL_BLEND);
                // Coverage adds up in alpha, so that lines drawn into a
                // clear picture lie over the frame as they would have.
                gl_->glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
                lineProgram_->bind();
                lineProgram_->setUniformValue("uMvp", scene.viewProjection);
                lineProgram_->setUniformValue("uEye", scene.eye);
                lineProgram_->setUniformValue("uViewport", QVector2D(float(pixels.width()), float(pixels.height())));
                bound = lineProgram_.get();
            }
            lineProgram_->setUniformValue("uWidth", float(b.size * dpr));
        }
        gl_->glDepthMask(b.depthWrite ? GL_TRUE : GL_FALSE);
        gl_->glDrawElements(point ? GL_POINTS : GL_LINES, b.count, GL_UNSIGNED_INT,
                            reinterpret_cast<void *>(std::uintptr_t(b.firstIndex) * sizeof(std::uint32_t)));
    }
    flatProgram_->setUniformValue("uVertexColor", false);
    gl_->glDisable(GL_BLEND);
    gl_->glDepthMask(GL_TRUE);
    linesVao_->release();
    flatProgram_->release();
}

void Renderer::drawPicture(const QImage &picture, const std::vector<QRect> &rects)
{
    if (!ready_ || rects.empty() || picture.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    const QSize size = picture.size();
    gl_->glActiveTexture(GL_TEXTURE0);
    if (!pictureTexture_)
        gl_->glGenTextures(1, &pictureTexture_);
    gl_->glBindTexture(GL_TEXTURE_2D, pictureTexture_);
    if (pictureSize_ != size) {
        gl_->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size.width(), size.height(), 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        pictureSize_ = size;
    }
    // The picture's rows from the top are the texture's from the bottom; the
    // quads below turn it the right way up.
    std::vector<float> quads;
    quads.reserve(rects.size() * 24);
    gl_->glPixelStorei(GL_UNPACK_ROW_LENGTH, int(picture.bytesPerLine() / 4));
    gl_->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const float w = float(size.width()), h = float(size.height());
    for (const QRect &r : rects) {
        const QRect in = r & picture.rect();
        if (in.isEmpty())
            continue;
        gl_->glTexSubImage2D(GL_TEXTURE_2D, 0, in.x(), in.y(), in.width(), in.height(), GL_BGRA, GL_UNSIGNED_BYTE,
                             picture.constScanLine(in.y()) + in.x() * 4);
        const float u0 = float(in.left()) / w, u1 = float(in.left() + in.width()) / w;
        const float v0 = float(in.top()) / h, v1 = float(in.top() + in.height()) / h;
        const float x0 = 2 * u0 - 1, x1 = 2 * u1 - 1, y0 = 1 - 2 * v0, y1 = 1 - 2 * v1;
        quads.insert(quads.end(), {x0, y0, u0, v0, x1, y0, u1, v0, x1, y1, u1, v1,
                                   x0, y0, u0, v0, x1, y1, u1, v1, x0, y1, u0, v1});
    }
    gl_->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    drawQuads(pictureTexture_, quads);
}

// Triangles of x, y (clip space) and u, v, laying a premultiplied texture
// over the frame.
void Renderer::drawQuads(GLuint texture, const std::vector<float> &quads)
{
    const GLboolean depth = gl_->glIsEnabled(GL_DEPTH_TEST);
    gl_->glDisable(GL_DEPTH_TEST);
    gl_->glActiveTexture(GL_TEXTURE0);
    gl_->glBindTexture(GL_TEXTURE_2D, texture);
    gl_->glEnable(GL_BLEND);
    gl_->glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    pictureProgram_->bind();
    pictureProgram_->setUniformValue("uPicture", 0);
    pictureVao_->bind();
    upload(pictureVbo_, quads.data(), int(quads.size() * sizeof(float)));
    gl_->glDrawArrays(GL_TRIANGLES, 0, GLsizei(quads.size() / 4));
    pictureVao_->release();
    pictureProgram_->release();
    gl_->glBindTexture(GL_TEXTURE_2D, 0);
    gl_->glDisable(GL_BLEND);
    if (depth)
        gl_->glEnable(GL_DEPTH_TEST);
}

} // namespace zep::view
