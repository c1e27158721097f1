#include "standin/view/earthview.h"

#include "standin/view/cameracontrol.h"
#include "standin/view/picturepresenter.h"
#include "standin/view/scenebuilder.h"
#include "standin/view/viewlife.h"
#include "standin/view/viewpreparer.h"

#include <QLabel>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <QWheelEvent>

namespace zep {

using view::ViewLife;

namespace {

QWidget *unavailablePanel(QWidget *parent)
{
    auto *label = new QLabel(QObject::tr("3-D view unavailable: OpenGL 3.3 cannot be used on this display"), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("background: #05070d; color: #8890a0;"));
    return label;
}

} // namespace

struct EarthView::Private final : view::Presenter::Frames {
    EarthView &q;
    ScenarioStore &store;
    AnimationClock &clock;
    ViewLife life = ViewLife::Preparing;
    std::unique_ptr<view::ViewPreparer> preparer;  // while preparing
    std::unique_ptr<view::ReadyRenderer> gl;       // once ready, until closing
    std::unique_ptr<view::Presenter> presenter;    // while presenting

    view::CameraControl camera;
    QVariantAnimation glide;  // 0..1 from glideFrom to glideTo
    view::Camera glideFrom, glideTo;
    QStringList lastNotes;
    quint64 drawnRevision = 0;
    view::OrbitPathCache orbitPaths;  // the frames' orbits, sampled again only when they change

    Private(EarthView &view, ScenarioStore &s, AnimationClock &c, std::shared_ptr<view::EarthImagery> imagery)
        : q(view), store(s), clock(c), preparer(std::make_unique<view::ViewPreparer>(std::move(imagery)))
    {
    }

    // The one place where the view's life moves on, and what each step does.
    void moveTo(ViewLife next)
    {
        if (!view::advanceViewLife(life, next))
            return;
        switch (next) {
        case ViewLife::Ready:
            presenter = view::Presenter::make(q, gl->context(), *this);
            moveTo(ViewLife::Presenting);
            break;
        case ViewLife::Failed:
            qWarning("3-D view disabled: %s", qPrintable(preparer->failure()));
            q.layout()->addWidget(unavailablePanel(&q));
            break;
        case ViewLife::Closing:
            preparer.reset();  // closing while preparing only waits for the thread
            presenter.reset();
            gl.reset();
            break;
        default:
            break;
        }
    }

    void draw() override
    {
        const SnapshotPtr snap = store.takeChange();
        const qreal dpr = q.devicePixelRatioF();
        const view::Framing framing =
            view::frameScene(*snap, camera.follow(*snap, q.size(), clock.now()), clock.now(), q.size());
        const view::Scene scene = view::buildScene(*snap, framing, &orbitPaths);
        gl->draw(scene, q.size() * dpr, dpr);
        lastNotes = scene.notes;
        drawnRevision = snap->revision;
    }
    QImage picture() override { return q.grabFramebuffer(); }
    void shown(double drawMs) override
    {
        emit q.frameDrawn(drawMs);
        emit q.frameSwapped();
    }
    void refused() override
    {
        qWarning("3-D view: its window does not take the view's context; drawing pictures instead");
        presenter = std::make_unique<view::PicturePresenter>(q, *this);
    }

    // After the user moved the camera: a glide under way gives in, and
    // Auto Fit, once off, says so.
    void movedByHand(bool autoFitBefore)
    {
        glide.stop();
        if (autoFitBefore && !camera.autoFit())
            emit q.autoFitChanged(false);
    }

    view::Framing framing(QSize size) const
    {
        const SnapshotPtr snap = store.snapshot();
        return view::frameScene(*snap, camera.at(*snap), clock.now(), size);
    }
};

EarthView::EarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent,
                     std::shared_ptr<view::EarthImagery> imagery)
    : QWidget(parent), d(std::make_unique<Private>(*this, store, clock, std::move(imagery)))
{
    setMinimumSize(160, 120);
    setFocusPolicy(Qt::StrongFocus);
    // Space until the view can draw.
    setAutoFillBackground(true);
    QPalette space = palette();
    space.setColor(QPalette::Window, view::Scene{}.background);
    setPalette(space);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    connect(d->preparer.get(), &view::ViewPreparer::finished, this, [this] {
        if (takePrepared(true))
            requestFrame();
    });
    d->preparer->start();

    // The store signals from the command thread: queue it, and one frame
    // serves a whole burst of commands.
    connect(&store, &ScenarioStore::changed, this, &EarthView::requestFrame, Qt::QueuedConnection);
    connect(&clock, &AnimationClock::timeChanged, this, &EarthView::requestFrame);

    // About 300 ms: long enough to see which way the view turns, short enough not to wait for.
    d->glide.setDuration(300);
    d->glide.setStartValue(0.0);
    d->glide.setEndValue(1.0);
    d->glide.setEasingCurve(QEasingCurve::InOutCubic);
    connect(&d->glide, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        const view::Camera step = view::interpolateCamera(d->glideFrom, d->glideTo, value.toDouble());
        if (d->camera.glide(*d->store.snapshot(), step))
            requestFrame();
        else
            d->glide.stop();  // a viewer position or a new orbit has come: theirs is the say
    });
}

EarthView::~EarthView() { d->moveTo(ViewLife::Closing); }

// Whether the renderer is here; with `wait`, after the preparation has ended.
bool EarthView::takePrepared(bool wait)
{
    if (d->life == ViewLife::Preparing && (wait || d->preparer->isFinished())) {
        d->gl = d->preparer->take();
        d->moveTo(d->gl ? ViewLife::Ready : ViewLife::Failed);
        d->preparer.reset();
    }
    return d->gl != nullptr;
}

QSurfaceFormat EarthView::surfaceFormat() { return view::ViewPreparer::surfaceFormat(); }
bool EarthView::openGLAvailable() { return view::ViewPreparer::openGLAvailable(); }
void EarthView::prepareOpenGL() { view::ViewPreparer::loadDriverAside(); }

bool EarthView::rendererReady() const { return d->gl && d->gl->renderer().ready(); }
QStringList EarthView::undefinedAidNotes() const { return d->lastNotes; }
quint64 EarthView::drawnRevision() const { return d->drawnRevision; }

std::optional<QPointF> EarthView::project(const astro::Vec3 &inertialMetres) const
{
    const view::Framing f = d->framing(size());
    return view::projectPoint(f.proj, f.display(inertialMetres));
}

std::optional<QPointF> EarthView::satelliteScreenPosition() const
{
    const view::Framing f = d->framing(size());
    if (!f.sat)
        return std::nullopt;
    return view::projectPoint(f.proj, f.display(f.sat->r));
}

void EarthView::glideTo(const view::Camera &to)
{
    d->glide.stop();
    d->glideFrom = d->camera.camera();
    d->glideTo = to;
    d->glide.start();
}

bool EarthView::look(Look look)
{
    const SnapshotPtr snap = d->store.snapshot();
    const std::optional<view::Camera> to =
        d->camera.look(static_cast<view::CameraControl::Look>(look), *snap, size(), d->clock.now());
    if (!to)
        return false;
    glideTo(*to);
    return true;
}

void EarthView::glideToScenarioView() { glideTo(d->camera.scenarioView(*d->store.snapshot())); }

bool EarthView::autoFit() const { return d->camera.autoFit(); }

void EarthView::setAutoFit(bool on)
{
    if (on == d->camera.autoFit())
        return;
    d->camera.setAutoFit(on);
    emit autoFitChanged(on);
}

QOpenGLContext *EarthView::context() const { return d->gl ? &d->gl->context() : nullptr; }

void EarthView::makeCurrent()
{
    if (takePrepared(true))
        d->gl->makeCurrentOffscreen();
}

void EarthView::doneCurrent()
{
    if (d->gl)
        d->gl->context().doneCurrent();
}

void EarthView::requestFrame()
{
    if (d->presenter)
        d->presenter->requestFrame();
}

QImage EarthView::grabFramebuffer()
{
    if (size().isEmpty() || !takePrepared(true))
        return {};
    return d->gl->picture(size(), devicePixelRatioF(), [this] { d->draw(); });
}

void EarthView::paintEvent(QPaintEvent *event)
{
    if (!d->presenter || !d->presenter->paint())
        QWidget::paintEvent(event);
}

void EarthView::showEvent(QShowEvent *event)
{
    if (d->presenter)
        d->presenter->viewShown();
    QWidget::showEvent(event);
}

void EarthView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton)
        d->camera.press(event->position().toPoint());
    event->accept();
}

void EarthView::mouseMoveEvent(QMouseEvent *event)
{
    const bool autoFitBefore = d->camera.autoFit();
    if ((event->buttons() & Qt::LeftButton) && d->camera.drag(*d->store.snapshot(), event->position().toPoint())) {
        d->movedByHand(autoFitBefore);
        requestFrame();
    }
}

void EarthView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !d->camera.release())
        return;
    // A click: the satellite under the pointer becomes the selected one.
    const SnapshotPtr snap = d->store.snapshot();
    const QString name = view::satelliteAt(*snap, d->camera.at(*snap), d->clock.now(), size(), event->position());
    const SatelliteState *selected = snap->selectedSatellite();
    if (name.isEmpty() || (selected && selected->name == name))
        return;
    d->store.modify([&](Snapshot &s) {
        s.selected = name;
        return true;
    });
}

void EarthView::mouseDoubleClickEvent(QMouseEvent *event)
{
    glideToScenarioView();
    event->accept();
}

void EarthView::enterEvent(QEnterEvent *event)
{
    emit pointerEntered();
    QWidget::enterEvent(event);
}

void EarthView::wheelEvent(QWheelEvent *event)
{
    const bool autoFitBefore = d->camera.autoFit();
    d->camera.zoom(*d->store.snapshot(), event->angleDelta().y());
    d->movedByHand(autoFitBefore);
    event->accept();
    requestFrame();
}

QWidget *createEarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent,
                         std::shared_ptr<view::EarthImagery> imagery)
{
    // Whether OpenGL 3.3 can be made here the view finds out itself, aside;
    // only a platform without native windows rules it out at once.
    if (view::ViewPreparer::platformHasNativeWindows())
        return new EarthView(store, clock, parent, std::move(imagery));
    return unavailablePanel(parent);
}

} // namespace zep
