#pragma once
// The sky, the Earth and the lines drawn before the selected satellite's
// orbit (Scene::backdropDraws), kept as a picture. While the camera, the
// Earth's turn, the Sun and those lines stay as they were (the clock stopped
// while the toolbar edits its satellite, or between the clock's ticks), a
// frame copies their colours instead of shading every pixel of the Earth and
// of dozens of orbits again, which costs a software renderer most of its
// frame. The Earth hides lines by reckoning and the kept lines hide nothing,
// so colours are all a frame needs of them.

#include "standin/view/lineslayer.h"
#include "standin/view/scene.h"

#include <QSize>

#include <optional>
#include <vector>

class QOpenGLExtraFunctions;

namespace zep::view {

class BackdropCache {
public:
    // All that the backdrop's pixels depend on.
    struct Key {
        LinesKey lines;  // with the sky
        std::vector<MeshDraw> meshes;
        bool operator==(const Key &other) const;
    };
    static Key keyOf(const Scene &scene, QSize pixels, qreal dpr);

    // Copies the kept backdrop's colours into the bound framebuffer, when it
    // was kept for `key`.
    bool restore(const Key &key, QOpenGLExtraFunctions &gl);
    // Keeps the colours the bound framebuffer holds now as the backdrop for `key`.
    void keep(const Key &key, QOpenGLExtraFunctions &gl);
    // With the context current; the cache can be used again after it.
    void release(QOpenGLExtraFunctions *gl);

private:
    ColourTarget target_;
    std::optional<Key> key_;
    // A driver may refuse to copy between the window's buffers and ours:
    // then every frame draws its backdrop.
    bool refused_ = false;
    bool used_ = false;  // the kept backdrop has served a frame
    int skipped_ = 0;    // frames in a row whose backdrop was not kept
};

} // namespace zep::view
