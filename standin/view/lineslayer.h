#pragma once
// The lines drawn before the selected satellite's orbit (Scene::backdropDraws)
// kept apart from the Earth, as a premultiplied picture. While the clock
// plays every tick turns the Earth, but in inertial axes the other
// satellites' orbits, the grid and the kept orbits stay where they are:
// laying their picture over the new Earth costs a software renderer one
// textured quad instead of thousands of wide antialiased segments.

#include "standin/view/scene.h"

#include <QMatrix4x4>
#include <QSize>
#include <QVector3D>
#include <qopengl.h>

#include <optional>
#include <vector>

class QOpenGLExtraFunctions;

namespace zep::view {

// All that the kept lines' pixels depend on.
struct LinesKey {
    QSize pixels;
    qreal dpr = 1;
    QMatrix4x4 viewProjection;
    QVector3D eye;
    std::vector<Draw> draws;     // the kept ones
    std::vector<float> vertices;  // theirs
    bool operator==(const LinesKey &other) const = default;
    static LinesKey of(const Scene &scene, QSize pixels, qreal dpr);
};

// A framebuffer of our own holding colours only, and its texture.
class ColourTarget {
public:
    // False, holding nothing, when the driver will not draw into it.
    bool resize(QSize pixels, QOpenGLExtraFunctions &gl);
    GLuint framebuffer() const { return framebuffer_; }
    GLuint texture() const { return texture_; }
    QSize size() const { return size_; }
    void release(QOpenGLExtraFunctions *gl);

private:
    GLuint framebuffer_ = 0, texture_ = 0;
    QSize size_;
};

class LinesLayer {
public:
    enum class Use {
        Direct,  // draw the lines into the frame
        Draw,    // draw them into the picture, then lay it
        Lay,     // the picture holds them already
    };
    // A picture is drawn only for lines that held still since the last
    // frame: lines that move every frame would pay for it and gain nothing.
    Use plan(const LinesKey &key);
    // Lines drawn from now on go into the picture, cleared. False when the
    // driver refuses our framebuffer: draw them into the frame then.
    bool begin(QOpenGLExtraFunctions &gl);
    // Drawing goes back to the frame; the picture holds the lines of `key`.
    void end(const LinesKey &key, QOpenGLExtraFunctions &gl);
    GLuint texture() const { return target_.texture(); }
    // With the context current; the layer can be used again after it.
    void release(QOpenGLExtraFunctions *gl);

private:
    ColourTarget target_;
    std::optional<LinesKey> kept_, last_;
    GLint frame_ = 0;  // the frame's framebuffer, while drawing into ours
    bool refused_ = false;
};

} // namespace zep::view
