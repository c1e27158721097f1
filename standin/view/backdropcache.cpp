#include "standin/view/backdropcache.h"

#include <QOpenGLExtraFunctions>

#include <algorithm>

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
        && viewProjection == o.viewProjection && eye == o.eye && draws == o.draws && vertices == o.vertices
        && meshes.size() == o.meshes.size()
        && std::equal(meshes.begin(), meshes.end(), o.meshes.begin(), sameMesh);
}

BackdropCache::Key BackdropCache::keyOf(const Scene &scene, QSize pixels, qreal dpr)
{
    Key key{pixels, dpr, scene.background, scene.sky, scene.meshes, scene.viewProjection, scene.eye, {}, {}};
    const auto kept = scene.draws.begin() + std::clamp(scene.backdropDraws, 0, int(scene.draws.size()));
    key.draws.assign(scene.draws.begin(), kept);
    int end = 0;
    for (const Draw &d : key.draws)
        end = std::max(end, d.first + d.count);
    key.vertices.assign(scene.vertices.begin(), scene.vertices.begin() + std::min(size_t(3 * end), scene.vertices.size()));
    return key;
}

bool BackdropCache::restore(const Key &key, QOpenGLExtraFunctions &gl)
{
    if (refused_ || !framebuffer_ || !key_ || !(*key_ == key))
        return false;
    GLint target = 0;
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
    copy(framebuffer_, GLuint(target), gl);
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
    if (size_ != key.pixels && !make(key.pixels, gl)) {
        refused_ = true;
        gl.glBindFramebuffer(GL_FRAMEBUFFER, GLuint(target));
        return;
    }
    copy(GLuint(target), framebuffer_, gl);
    if (!refused_)
        key_ = key;
}

bool BackdropCache::make(QSize pixels, QOpenGLExtraFunctions &gl)
{
    if (!framebuffer_) {
        gl.glGenFramebuffers(1, &framebuffer_);
        gl.glGenTextures(1, &texture_);
    }
    gl.glBindTexture(GL_TEXTURE_2D, texture_);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, pixels.width(), pixels.height(), 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.glBindTexture(GL_TEXTURE_2D, 0);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
    const bool complete = gl.glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    size_ = complete ? pixels : QSize();
    return complete;
}

void BackdropCache::copy(GLuint from, GLuint to, QOpenGLExtraFunctions &gl)
{
    for (int n = 0; n < 16 && gl.glGetError() != GL_NO_ERROR; ++n) {
        // earlier errors are not this copy's; a lost context would report forever
    }
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    const int w = size_.width(), h = size_.height();
    gl.glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    refused_ = gl.glGetError() != GL_NO_ERROR;
    // Drawing goes on where it was.
    gl.glBindFramebuffer(GL_FRAMEBUFFER, from == framebuffer_ ? to : from);
}

void BackdropCache::release(QOpenGLExtraFunctions *gl)
{
    if (gl && framebuffer_) {
        gl->glDeleteFramebuffers(1, &framebuffer_);
        gl->glDeleteTextures(1, &texture_);
    }
    framebuffer_ = texture_ = 0;
    size_ = {};
    key_.reset();
    refused_ = used_ = false;
    skipped_ = 0;
}

} // namespace zep::view
