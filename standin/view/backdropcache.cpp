#include "standin/view/backdropcache.h"

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
    return lines == o.lines && meshes.size() == o.meshes.size()
        && std::equal(meshes.begin(), meshes.end(), o.meshes.begin(), sameMesh);
}

BackdropCache::Key BackdropCache::keyOf(const Scene &scene, QSize pixels, qreal dpr)
{
    return {LinesKey::of(scene, pixels, dpr), scene.meshes};
}

bool BackdropCache::restore(const Key &key, QOpenGLExtraFunctions &gl)
{
    if (refused_ || !target_.framebuffer() || !key_ || !(*key_ == key))
        return false;
    refused_ = !target_.copyToFrame(gl);
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
    if (target_.size() != key.lines.pixels && !target_.resize(key.lines.pixels, gl)) {
        refused_ = true;
        return;
    }
    refused_ = !target_.copyFromFrame(gl);
    if (!refused_)
        key_ = key;
}

void BackdropCache::release(QOpenGLExtraFunctions *gl)
{
    target_.release(gl);
    key_.reset();
    refused_ = used_ = false;
    skipped_ = 0;
}

} // namespace zep::view
