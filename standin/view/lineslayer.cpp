#include "standin/view/lineslayer.h"

#include <QOpenGLExtraFunctions>

#include <algorithm>

namespace zep::view {

namespace {

GLuint boundFramebuffer(QOpenGLExtraFunctions &gl)
{
    GLint bound = 0;
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    return GLuint(bound);
}

} // namespace

LinesKey LinesKey::of(const Scene &scene, QSize pixels, qreal dpr)
{
    LinesKey key{pixels, dpr, scene.background, scene.sky, scene.viewProjection, scene.eye, {}, {}};
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
    const GLuint bound = boundFramebuffer(gl);
    gl.glBindTexture(GL_TEXTURE_2D, texture_);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, pixels.width(), pixels.height(), 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.glBindTexture(GL_TEXTURE_2D, 0);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
    const bool complete = gl.glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl.glBindFramebuffer(GL_FRAMEBUFFER, bound);
    size_ = complete ? pixels : QSize();
    return complete;
}

bool ColourTarget::copyToFrame(QOpenGLExtraFunctions &gl) const
{
    const GLuint frame = boundFramebuffer(gl);
    return copy(framebuffer_, frame, frame, gl);
}

bool ColourTarget::copyFromFrame(QOpenGLExtraFunctions &gl) const
{
    const GLuint frame = boundFramebuffer(gl);
    return copy(frame, framebuffer_, frame, gl);
}

bool ColourTarget::copy(GLuint from, GLuint to, GLuint back, QOpenGLExtraFunctions &gl) const
{
    for (int n = 0; n < 16 && gl.glGetError() != GL_NO_ERROR; ++n) {
        // earlier errors are not this copy's; a lost context would report forever
    }
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    gl.glBlitFramebuffer(0, 0, size_.width(), size_.height(), 0, 0, size_.width(), size_.height(), GL_COLOR_BUFFER_BIT,
                         GL_NEAREST);
    const bool copied = gl.glGetError() == GL_NO_ERROR;
    gl.glBindFramebuffer(GL_FRAMEBUFFER, back);
    return copied;
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
    if (refused_ || key.vertices.size() / 3 < kWorthPictures)
        return Use::Direct;
    if (kept_ && *kept_ == key)
        return Use::Lay;
    const bool still = last_ && *last_ == key;
    last_ = key;
    return still ? Use::Draw : Use::Direct;
}

bool LinesLayer::fit(ColourTarget &target, QOpenGLExtraFunctions &gl)
{
    refused_ = refused_ || !last_ || (target.size() != last_->pixels && !target.resize(last_->pixels, gl));
    return !refused_;
}

bool LinesLayer::begin(QOpenGLExtraFunctions &gl)
{
    kept_.reset();
    frame_ = GLint(boundFramebuffer(gl));
    if (!fit(lines_, gl))
        return false;
    gl.glBindFramebuffer(GL_FRAMEBUFFER, lines_.framebuffer());
    gl.glClearColor(0, 0, 0, 0);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    return true;
}

void LinesLayer::end(QOpenGLExtraFunctions &gl) { gl.glBindFramebuffer(GL_FRAMEBUFFER, GLuint(frame_)); }

void LinesLayer::keepSky(QOpenGLExtraFunctions &gl)
{
    if (fit(sky_, gl) && sky_.copyFromFrame(gl))
        kept_ = last_;
    else
        refused_ = true;
}

bool LinesLayer::restoreSky(QOpenGLExtraFunctions &gl)
{
    if (sky_.copyToFrame(gl))
        return true;
    refused_ = true;
    kept_.reset();
    return false;
}

void LinesLayer::release(QOpenGLExtraFunctions *gl)
{
    lines_.release(gl);
    sky_.release(gl);
    kept_.reset();
    last_.reset();
    refused_ = false;
}

} // namespace zep::view
