#pragma once
// The 3-D view's life in one place: what may follow what. The view made its
// window, drew or let go of its context from several places and threads
// (a queued end of the preparation, a grab, a paint, closing), and each race
// mended there was an order of these steps that should not have happened.

namespace zep::view {

enum class ViewLife {
    Preparing,   // the preparing thread makes the context and the renderer
    Ready,       // the renderer is the view's; nothing presents it yet
    Presenting,  // frames reach the screen, in a native window or as pictures
    Failed,      // no context or renderer: the view says so in its place
    Closing,     // the view is going: the thread waited for, the context let go
};

const char *viewLifeName(ViewLife life);
bool viewLifeAllows(ViewLife from, ViewLife to);
// Moves `life` on to `next` if that may follow, else says so on stderr and
// leaves it: the caller then skips what the step would have done.
bool advanceViewLife(ViewLife &life, ViewLife next);

} // namespace zep::view
