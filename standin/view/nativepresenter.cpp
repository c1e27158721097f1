#include "standin/view/nativepresenter.h"

#include "standin/view/picturepresenter.h"
#include "standin/view/viewpreparer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLayout>
#include <QOpenGLContext>
#include <QWidget>
#include <QWindow>

namespace zep::view {

std::unique_ptr<Presenter> Presenter::make(QWidget &view, QOpenGLContext &context, Frames &frames)
{
    // A native window nested in the host's document area never reaches a
    // Wayland screen.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::make_unique<PicturePresenter>(view, frames);
    return std::make_unique<NativePresenter>(view, context, frames);
}

// The native window the view draws into. It takes no keyboard focus, so keys
// stay with the widget and the window's shortcuts; the pointer goes to the
// widget as if it had no window of its own.
class ViewSurface : public QWindow {
public:
    ViewSurface(QWidget &view, NativePresenter &presenter) : view_(view), presenter_(&presenter)
    {
        setSurfaceType(QSurface::OpenGLSurface);
        setFormat(ViewPreparer::surfaceFormat());
        setFlag(Qt::WindowDoesNotAcceptFocus);
    }
    void detach() { presenter_ = nullptr; }

protected:
    void exposeEvent(QExposeEvent *) override
    {
        if (isExposed() && presenter_)
            presenter_->present();
    }
    bool event(QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::UpdateRequest:
            if (presenter_)
                presenter_->present();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::Enter:
            QCoreApplication::sendEvent(&view_, event);
            return true;
        default:
            return QWindow::event(event);
        }
    }

private:
    QWidget &view_;
    NativePresenter *presenter_;  // null once the presenter is gone before the window
};

NativePresenter::NativePresenter(QWidget &view, QOpenGLContext &context, Frames &frames)
    : context_(context), frames_(frames), surface_(new ViewSurface(view, *this))
{
    container_ = QWidget::createWindowContainer(surface_, &view);
    container_->setFocusPolicy(Qt::NoFocus);
    view.layout()->addWidget(container_);
    if (view.isVisible()) {
        // Shown now, not by the layout's queued call, so that its native
        // windows are stacked before their first expose.
        view.layout()->activate();
        container_->show();
        stackNativeWindows();
    }
}

NativePresenter::~NativePresenter()
{
    surface_->detach();
    container_->deleteLater();  // takes the surface with it
}

void NativePresenter::requestFrame() { surface_->requestUpdate(); }

// The container was shown just before, and made the native windows.
void NativePresenter::viewShown() { stackNativeWindows(); }

void NativePresenter::present()
{
    if (!surface_->isExposed())
        return;
    QElapsedTimer timer;
    timer.start();
    if (!context_.makeCurrent(surface_)) {
        frames_.refused();
        return;
    }
    frames_.draw();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    context_.swapBuffers(surface_);
    frames_.shown(ms);
}

// Inside the document area the container makes its native window with every
// ancestor's, and with each ancestor its siblings, in the order those were
// made, not in the order they are stacked: a document window made before the
// 3-D window then lies above it on screen, and its stale pixels hide the
// frames (all of them in a tiled window, all but one corner in a maximised
// one). The native windows are stacked as the widgets are; the widgets' own
// raises keep them so from then on.
void NativePresenter::stackNativeWindows()
{
    for (QWidget *w = container_; w && !w->isWindow(); w = w->parentWidget()) {
        for (QObject *child : w->parentWidget()->children()) {
            auto *sibling = qobject_cast<QWidget *>(child);
            if (sibling && !sibling->isWindow() && sibling->internalWinId() && sibling->windowHandle())
                sibling->windowHandle()->raise();
        }
    }
}

} // namespace zep::view
