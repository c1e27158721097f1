#pragma once
// How the 3-D view's frames reach the screen. On X11 a native window of the
// view's own takes each frame straight from the context; where a native
// window nested in the host's document area never shows (Wayland) or will
// not take the context, each frame is drawn off screen and painted as a
// picture. The view keeps the drawing and swaps one presenter for the other.

#include <QImage>

#include <memory>

class QOpenGLContext;
class QWidget;

namespace zep::view {

class Presenter {
public:
    // What a presenter asks of the view it shows.
    class Frames {
    public:
        // A frame into the bound framebuffer, with the view's context current.
        virtual void draw() = 0;
        // A frame drawn off screen; null when the view cannot draw.
        virtual QImage picture() = 0;
        // A frame went to the window system after `drawMs` of drawing on this thread.
        virtual void shown(double drawMs) = 0;
        // The native window does not take the context: the view replaces the
        // presenter that calls this, which touches nothing of its own after.
        virtual void refused() = 0;

    protected:
        ~Frames() = default;
    };

    // The native window on X11, else pictures.
    static std::unique_ptr<Presenter> make(QWidget &view, QOpenGLContext &context, Frames &frames);
    virtual ~Presenter() = default;
    virtual void requestFrame() = 0;
    // The view was shown.
    virtual void viewShown() {}
    // The view's paint event: true when the presenter painted the view.
    virtual bool paint() { return false; }
};

} // namespace zep::view
