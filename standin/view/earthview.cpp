#include "standin/view/earthview.h"

#include <QGuiApplication>
#include <QLabel>
#include <QOffscreenSurface>
#include <QOpenGLContext>

namespace zep {

struct EarthView::Private {
    ScenarioStore &store;
    AnimationClock &clock;
    bool ready = false;
};

EarthView::EarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent)
    : QOpenGLWidget(parent), d(std::make_unique<Private>(Private{store, clock}))
{
    connect(&store, &ScenarioStore::changed, this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
    connect(&clock, &AnimationClock::timeChanged, this, qOverload<>(&QWidget::update));
}

EarthView::~EarthView() = default;

bool EarthView::openGLAvailable()
{
    return QGuiApplication::platformName() != QLatin1String("offscreen");
}

std::optional<QPointF> EarthView::project(const astro::Vec3 &) const { return std::nullopt; }
std::optional<QPointF> EarthView::satelliteScreenPosition() const { return std::nullopt; }
bool EarthView::rendererReady() const { return d->ready; }

void EarthView::initializeGL() {}
void EarthView::resizeGL(int, int) {}
void EarthView::paintGL() { d->store.takeChange(); }
void EarthView::mousePressEvent(QMouseEvent *) {}
void EarthView::mouseMoveEvent(QMouseEvent *) {}
void EarthView::mouseDoubleClickEvent(QMouseEvent *) {}
void EarthView::wheelEvent(QWheelEvent *) {}

QWidget *createEarthView(ScenarioStore &store, AnimationClock &clock, QWidget *parent)
{
    if (EarthView::openGLAvailable())
        return new EarthView(store, clock, parent);
    auto *label = new QLabel(QObject::tr("3-D view unavailable: no OpenGL on this display"), parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace zep
