#include "standin/view/backdropcache.h"

#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>

namespace zep::view {

namespace {

bool sameMesh(const MeshDraw &a, const MeshDraw &b)
{
    return a.mesh == b.mesh && a.model == b.model && a.sun == b.sun && a.eye == b.eye && a.cullBack == b.cullBack
        && a.pixelRadius == b.pixelRadius;
}

} // namespace

bool BackdropCache::Key::operator==(const Key &o) const
{
    return pixels == o.pixels && dpr == o.dpr && background == o.background && sky == o.sky
        && viewProjection == o.viewProjection && meshes.size() == o.meshes.size()
        && std::equal(meshes.begin(), meshes.end(), o.meshes.begin(), sameMesh);
}

BackdropCache::Key BackdropCache::keyOf(const Scene &scene, QSize pixels, qreal dpr)
{
    return Key{pixels, dpr, scene.background, scene.sky, scene.meshes, scene.viewProjection};
}

BackdropCache::BackdropCache() = default;
BackdropCache::~BackdropCache() = default;

bool BackdropCache::restore(const Key &key, QOpenGLExtraFunctions &gl)
{
    if (refused_ || !kept_ || !key_ || !(*key_ == key))
        return false;
    GLint target = 0;
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
    copy(kept_->handle(), GLuint(target), gl);
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
    // Asked first: making a framebuffer object binds what Qt last bound.
    GLint target = 0;
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
    if (!kept_ || kept_->size() != key.pixels)
        kept_ = std::make_unique<QOpenGLFramebufferObject>(key.pixels, QOpenGLFramebufferObject::CombinedDepthStencil);
    copy(GLuint(target), kept_->handle(), gl);
    if (!refused_)
        key_ = key;
}

void BackdropCache::copy(GLuint from, GLuint to, QOpenGLExtraFunctions &gl)
{
    while (gl.glGetError() != GL_NO_ERROR) {
    }
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    const int w = kept_->width(), h = kept_->height();
    gl.glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT,
                         GL_NEAREST);
    refused_ = gl.glGetError() != GL_NO_ERROR;
    // Drawing goes on where it was.
    GLint target = GLint(from == kept_->handle() ? to : from);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, GLuint(target));
}

void BackdropCache::release()
{
    kept_.reset();
    key_.reset();
}

} // namespace zep::view
