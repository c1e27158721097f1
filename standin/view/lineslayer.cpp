#include "standin/view/lineslayer.h"

#include <QOpenGLExtraFunctions>

#include <algorithm>

namespace zep::view {

LinesKey LinesKey::of(const Scene &scene, QSize pixels, qreal dpr)
{
    LinesKey key{pixels, dpr, scene.viewProjection, scene.eye, {}, {}};
    const auto kept = scene.draws.begin() + std::clamp(scene.backdropDraws, 0, int(scene.draws.size()));
    key.draws.assign(scene.draws.begin(), kept);
    int end = 0;
    for (const Draw &d : key.draws)
        end = std::max(end, d.first + d.count);
    key.vertices.assign(scene.vertices.begin(), scene.vertices.begin() + std::min(size_t(3 * end), scene.vertices.size()));
    return key;
}

bool ColourTarget::resize(QSize pixels, QOpenGLExtraFunctions &gl)
{
    if (!framebuffer_) {
        gl.glGenFramebuffers(1, &framebuffer_);
        gl.glGenTextures(1, &texture_);
    }
    GLint bound = 0;
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    gl.glBindTexture(GL_TEXTURE_2D, texture_);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, pixels.width(), pixels.height(), 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.glBindTexture(GL_TEXTURE_2D, 0);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
    const bool complete = gl.glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl.glBindFramebuffer(GL_FRAMEBUFFER, GLuint(bound));
    size_ = complete ? pixels : QSize();
    return complete;
}

void ColourTarget::release(QOpenGLExtraFunctions *gl)
{
    if (gl && framebuffer_) {
        gl->glDeleteFramebuffers(1, &framebuffer_);
        gl->glDeleteTextures(1, &texture_);
    }
    framebuffer_ = texture_ = 0;
    size_ = {};
}

LinesLayer::Use LinesLayer::plan(const LinesKey &key)
{
    if (refused_ || key.draws.empty())
        return Use::Direct;
    if (kept_ && *kept_ == key)
        return Use::Lay;
    const bool still = last_ && *last_ == key;
    last_ = key;
    return still ? Use::Draw : Use::Direct;
}

bool LinesLayer::begin(QOpenGLExtraFunctions &gl)
{
    kept_.reset();
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &frame_);
    if (!last_ || (target_.size() != last_->pixels && !target_.resize(last_->pixels, gl))) {
        refused_ = true;
        return false;
    }
    gl.glBindFramebuffer(GL_FRAMEBUFFER, target_.framebuffer());
    gl.glClearColor(0, 0, 0, 0);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    return true;
}

void LinesLayer::end(const LinesKey &key, QOpenGLExtraFunctions &gl)
{
    gl.glBindFramebuffer(GL_FRAMEBUFFER, GLuint(frame_));
    kept_ = key;
}

void LinesLayer::release(QOpenGLExtraFunctions *gl)
{
    target_.release(gl);
    kept_.reset();
    last_.reset();
    refused_ = false;
}

} // namespace zep::view
