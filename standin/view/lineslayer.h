#pragma once
// The sky and the lines drawn before the selected satellite's orbit
// (Scene::backdropDraws), kept apart from the Earth. While the clock plays
// every tick turns the Earth, but in inertial axes the stars, the other
// satellites' orbits, the grid and the kept orbits stay where they are. A
// frame then copies the sky with its lines, and the Earth lays the lines'
// premultiplied picture over itself as it is shaded: a software renderer
// saves thousands of wide antialiased segments a frame.

#include "standin/view/scene.h"

#include <QColor>
#include <QMatrix4x4>
#include <QSize>
#include <QVector3D>
#include <qopengl.h>

#include <optional>
#include <vector>

class QOpenGLExtraFunctions;

namespace zep::view {

// All that the sky's and the kept lines' pixels depend on.
struct LinesKey {
    QSize pixels;
    qreal dpr = 1;
    QColor background;
    std::optional<QMatrix4x4> sky;
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
    // Copies between ours and the bound framebuffer, where drawing goes on;
    // false when the driver refuses.
    bool copyToFrame(QOpenGLExtraFunctions &gl) const;
    bool copyFromFrame(QOpenGLExtraFunctions &gl) const;
    GLuint framebuffer() const { return framebuffer_; }
    GLuint texture() const { return texture_; }
    QSize size() const { return size_; }
    void release(QOpenGLExtraFunctions *gl);

private:
    bool copy(GLuint from, GLuint to, GLuint back, QOpenGLExtraFunctions &gl) const;

    GLuint framebuffer_ = 0, texture_ = 0;
    QSize size_;
};

class LinesLayer {
public:
    enum class Use {
        Direct,  // draw the sky and the lines into the frame
        Draw,    // draw the lines into their picture (begin/end), the sky, lay the lines, keepSky()
        Lay,     // restoreSky(); the pictures hold them already
    };
    // Pictures are made only of lines that held still since the last frame:
    // lines that move every frame would pay for them and gain nothing. Nor
    // of a few lines: copying a frame's worth of sky costs a software
    // renderer about what drawing this many of their vertices does.
    static constexpr size_t kWorthPictures = 12000;
    Use plan(const LinesKey &key);
    // Lines drawn from now on go into their picture, cleared. False when the
    // driver refuses our framebuffer: draw them into the frame then.
    bool begin(QOpenGLExtraFunctions &gl);
    void end(QOpenGLExtraFunctions &gl);  // drawing goes back to the frame
    // Keeps the frame's sky with its lines, for the lines begin() took.
    void keepSky(QOpenGLExtraFunctions &gl);
    // Copies them into the frame; false when they cannot be.
    bool restoreSky(QOpenGLExtraFunctions &gl);
    // The lines, premultiplied, a texel to a pixel of the frame.
    GLuint lines() const { return lines_.texture(); }
    // With the context current; the layer can be used again after it.
    void release(QOpenGLExtraFunctions *gl);

private:
    bool fit(ColourTarget &target, QOpenGLExtraFunctions &gl);

    ColourTarget lines_, sky_;
    std::optional<LinesKey> kept_, last_;
    GLint frame_ = 0;  // the frame's framebuffer, while drawing into ours
    bool refused_ = false;
};

} // namespace zep::view
