#pragma once
// Frames swapped straight to a native window of the view's own, so the window
// around it stays a plain raster window and a frame reaches the screen
// without being composed with the rest.

#include "standin/view/presenter.h"

class QOpenGLContext;
class QWidget;

namespace zep::view {

class ViewSurface;

class NativePresenter final : public Presenter {
public:
    // Makes the window, and shows it at once if the view is shown. Only once
    // the view's context is made: a native OpenGL window made earlier would
    // wait on the GUI thread for the driver that the preparing thread loads.
    NativePresenter(QWidget &view, QOpenGLContext &context, Frames &frames);
    ~NativePresenter() override;  // the window goes later: this may run inside its event
    void requestFrame() override;
    void viewShown() override;

private:
    friend class ViewSurface;
    void present();
    void stackNativeWindows();

    QOpenGLContext &context_;
    Frames &frames_;
    ViewSurface *surface_;  // owned by its container
    QWidget *container_;
};

} // namespace zep::view
