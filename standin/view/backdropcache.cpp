#include "standin/view/backdropcache.h"

#include <QOpenGLExtraFunctions>

#include <algorithm>

namespace zep::view {

namespace {

bool sameMesh(const MeshDraw &a, const MeshDraw &b)
{
    return a.mesh == b.mesh && a.model == b.model && a.sun == b.sun && a.eye == b.eye && a.cullBack == b.cullBack;
}

} // namespace

bool BackdropCache::Key::operator==(const Key &o) const
{
    return lines == o.lines && background == o.background && sky == o.sky && meshes.size() == o.meshes.size()
        && std::equal(meshes.begin(), meshes.end(), o.meshes.begin(), sameMesh);
}

BackdropCache::Key BackdropCache::keyOf(const Scene &scene, QSize pixels, qreal dpr)
{
    return {LinesKey::of(scene, pixels, dpr), scene.background, scene.sky, scene.meshes};
}

bool BackdropCache::restore(const Key &key, QOpenGLExtraFunctions &gl)
{
    if (refused_ || !target_.framebuffer() || !key_ || !(*key_ == key))
        return false;
    GLint target = 0;
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
    copy(target_.framebuffer(), GLuint(target), gl);
    used_ = !refused_;
    return used_;
}

void BackdropCache::keep(const Key &key, QOpenGLExtraFunctions &gl)
{
    // Keeping waits for the frame's drawing so far. While every frame brings
    // a new backdrop (the clock playing faster than frames come) it is kept
    // only now and then, to find out when that ends.
    const bool wasted = key_ && !used_;
    key_.reset();
    if (refused_ || ((wasted || skipped_ > 0) && ++skipped_ < 4))
        return;
    skipped_ = 0;
    used_ = false;
    GLint target = 0;
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
    if (target_.size() != key.lines.pixels && !target_.resize(key.lines.pixels, gl)) {
        refused_ = true;
        return;
    }
    copy(GLuint(target), target_.framebuffer(), gl);
    if (!refused_)
        key_ = key;
}

void BackdropCache::copy(GLuint from, GLuint to, QOpenGLExtraFunctions &gl)
{
    for (int n = 0; n < 16 && gl.glGetError() != GL_NO_ERROR; ++n) {
        // earlier errors are not this copy's; a lost context would report forever
    }
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    const int w = target_.size().width(), h = target_.size().height();
    gl.glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    refused_ = gl.glGetError() != GL_NO_ERROR;
    // Drawing goes on where it was.
    gl.glBindFramebuffer(GL_FRAMEBUFFER, from == target_.framebuffer() ? to : from);
}

void BackdropCache::release(QOpenGLExtraFunctions *gl)
{
    target_.release(gl);
    key_.reset();
    refused_ = used_ = false;
    skipped_ = 0;
}

} // namespace zep::view
