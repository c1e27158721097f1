#pragma once
// The sky and the Earth of a frame, kept in a framebuffer of their own. While
// the camera, the Earth's turn and the Sun stay as they were (the clock
// stopped, the toolbar editing the orbit, or between the clock's ticks), a
// frame copies them, depth and all, instead of shading every pixel of the
// Earth again: that costs a software renderer most of its frame.

#include "standin/view/scene.h"

#include <QColor>
#include <QMatrix4x4>
#include <QSize>
#include <qopengl.h>

#include <memory>
#include <optional>
#include <vector>

class QOpenGLExtraFunctions;
class QOpenGLFramebufferObject;

namespace zep::view {

class BackdropCache {
public:
    // All that the backdrop's pixels depend on.
    struct Key {
        QSize pixels;
        qreal dpr = 1;
        QColor background;
        std::optional<QMatrix4x4> sky;
        std::vector<MeshDraw> meshes;
        QMatrix4x4 viewProjection;
        bool operator==(const Key &other) const;
    };
    static Key keyOf(const Scene &scene, QSize pixels, qreal dpr);

    BackdropCache();
    ~BackdropCache();  // release() must have run while the context was current

    // Copies the kept backdrop into the bound framebuffer, when it was kept for `key`.
    bool restore(const Key &key, QOpenGLExtraFunctions &gl);
    // Keeps what the bound framebuffer holds now as the backdrop for `key`.
    void keep(const Key &key, QOpenGLExtraFunctions &gl);
    void release();

private:
    void copy(GLuint from, GLuint to, QOpenGLExtraFunctions &gl);

    std::unique_ptr<QOpenGLFramebufferObject> kept_;
    std::optional<Key> key_;
    // A driver may refuse to copy depth between the window's buffers and ours:
    // then every frame draws its backdrop.
    bool refused_ = false;
    bool used_ = false;  // the kept backdrop has served a frame
    int skipped_ = 0;    // frames in a row whose backdrop was not kept
};

} // namespace zep::view
