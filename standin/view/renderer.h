#pragma once
// Draws a Scene with OpenGL 3.3 core: owns the programs, buffers and
// textures, and nothing about the scenario. Every call needs the context it
// was initialised in to be current.

#include "standin/view/scene.h"

#include <QOpenGLBuffer>
#include <QString>

#include <memory>

class QOpenGLContext;
class QOpenGLExtraFunctions;
class QOpenGLShaderProgram;
class QOpenGLTexture;
class QOpenGLVertexArrayObject;

namespace zep::view {

struct EarthPictures;

class Renderer {
public:
    Renderer();
    ~Renderer();  // release() must have run while the context was current
    Renderer(const Renderer &) = delete;
    Renderer &operator=(const Renderer &) = delete;

    // The one way in, with `context` current. False, with failure() saying
    // why, when the context is not desktop OpenGL 3.3, a program does not
    // build or there is no picture of the Earth; nothing is held then. The
    // pictures are only uploaded: their levels are ready-made.
    bool initialize(QOpenGLContext *context, const EarthPictures &earth);
    void release();
    bool ready() const { return ready_; }
    QString failure() const { return failure_; }
    // What the Earth's picture asks to be credited with; empty for the drawn globe.
    QString imageryCredit() const;

    // Clears and draws the scene into the bound framebuffer of `pixels`
    // device pixels; sizes in the scene are logical pixels, times `dpr`.
    void draw(const Scene &scene, QSize pixels, qreal dpr);

private:
    bool build(QOpenGLContext *context);
    void drawSky(const QMatrix4x4 &transform, qreal dpr);
    void drawMesh(const Scene &scene, const MeshDraw &mesh);
    void drawPrimitives(const Scene &scene, QSize pixels, qreal dpr);

    bool ready_ = false;
    QString failure_;
    QOpenGLExtraFunctions *gl_ = nullptr;
    std::unique_ptr<QOpenGLShaderProgram> globeProgram_, flatProgram_, lineProgram_;
    std::unique_ptr<QOpenGLVertexArrayObject> globeVao_, linesVao_, starsVao_;
    QOpenGLBuffer globeVbo_{QOpenGLBuffer::VertexBuffer}, globeIbo_{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer linesVbo_{QOpenGLBuffer::VertexBuffer}, starsVbo_{QOpenGLBuffer::VertexBuffer};
    int globeIndexCount_ = 0, starCount_ = 0;
    std::unique_ptr<QOpenGLTexture> dayTexture_, nightTexture_;
    QString credit_;
};

} // namespace zep::view
