#pragma once
// Draws a Scene with OpenGL 3.3 core: owns the programs, buffers and
// textures, and nothing about the scenario. Every call needs the context it
// was initialised in to be current.

#include "standin/view/backdropcache.h"
#include "standin/view/drawbatches.h"
#include "standin/view/scene.h"

#include <QOpenGLBuffer>
#include <QRect>
#include <QString>

#include <memory>
#include <vector>

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
    // Lays the parts `rects` (device pixels from the top, apart) of a
    // premultiplied picture of the framebuffer's size over what is drawn.
    void drawPicture(const QImage &picture, const std::vector<QRect> &rects);

private:
    bool build(QOpenGLContext *context);
    void drawSky(const QMatrix4x4 &transform, qreal dpr);
    void drawBackdrop(const Scene &scene, QSize pixels, qreal dpr, const LinesKey &key);
    // `laidLines`: a texture of lines to lay over the Earth as it is shaded, or 0.
    void drawMesh(const Scene &scene, const MeshDraw &mesh, GLuint laidLines);
    void drawPrimitives(const Scene &scene, QSize pixels, qreal dpr, const DrawBatches &batches);
    void drawQuads(GLuint texture, const std::vector<float> &quads);

    bool ready_ = false;
    QString failure_;
    QOpenGLExtraFunctions *gl_ = nullptr;
    std::unique_ptr<QOpenGLShaderProgram> globeProgram_, flatProgram_, lineProgram_, pictureProgram_;
    std::unique_ptr<QOpenGLVertexArrayObject> globeVao_, linesVao_, starsVao_, pictureVao_;
    QOpenGLBuffer globeVbo_{QOpenGLBuffer::VertexBuffer}, globeIbo_{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer linesVbo_{QOpenGLBuffer::VertexBuffer}, starsVbo_{QOpenGLBuffer::VertexBuffer};
    QOpenGLBuffer linesIbo_{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer pictureVbo_{QOpenGLBuffer::VertexBuffer};
    GLuint pictureTexture_ = 0;
    QSize pictureSize_;
    int globeIndices_ = 0;
    float globeEnclose_ = 1;
    int starCount_ = 0;
    std::unique_ptr<QOpenGLTexture> dayTexture_;  // the night lights in its alpha, when there are any
    bool hasNight_ = false;
    QString credit_;
    BackdropCache backdrop_;
    LinesLayer lines_;
};

} // namespace zep::view
