#include "standin/app/animationbar.h"

#include "standin/model/snapshot.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QShortcut>
#include <QSlider>
#include <QStyle>
#include <QToolBar>

#include <algorithm>
#include <cmath>

namespace zep {

AnimationBar::AnimationBar(QToolBar *bar, QMdiArea *area, AnimationClock &clock, QObject *parent)
    : QObject(parent), clock_(clock), area_(area)
{
    // A horizontal slider has no place in a bar standing on its end.
    bar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    const QStyle *style = bar->style();
    addControl(bar, style->standardIcon(QStyle::SP_MediaSkipBackward), tr("Reset"), Qt::Key_Home, &AnimationClock::reset);
    addControl(bar, style->standardIcon(QStyle::SP_MediaSeekBackward), tr("Step back"), Qt::Key_Left,
               &AnimationClock::stepBackward);
    play_ = addControl(bar, style->standardIcon(QStyle::SP_MediaPlay), tr("Play"), Qt::Key_Space, &AnimationClock::play);
    pause_ = addControl(bar, style->standardIcon(QStyle::SP_MediaPause), tr("Pause"), Qt::Key_Space,
                        &AnimationClock::pause);
    addControl(bar, style->standardIcon(QStyle::SP_MediaSeekForward), tr("Step forward"), Qt::Key_Right,
               &AnimationClock::stepForward);
    bar->addSeparator();
    addControl(bar, {}, tr("Slower"), Qt::Key_Minus, &AnimationClock::slower);
    speed_ = new QLabel(bar);
    speed_->setObjectName(QStringLiteral("AnimationSpeed"));
    speed_->setToolTip(tr("Time step: a multiple of the scenario's animation step"));
    speed_->setMinimumWidth(speed_->fontMetrics().horizontalAdvance(QStringLiteral("x1000")) + 8);
    speed_->setAlignment(Qt::AlignCenter);
    bar->addWidget(speed_);
    addControl(bar, {}, tr("Faster"), Qt::Key_Plus, &AnimationClock::faster);
    bar->addSeparator();

    slider_ = new QSlider(Qt::Horizontal, bar);
    slider_->setObjectName(QStringLiteral("TimeSlider"));
    slider_->setToolTip(tr("Scenario time across the animation period: drag to move it"));
    slider_->setMinimumWidth(240);
    // Clicking the slider must leave the focus, and so the keys, with the graphics window.
    slider_->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(slider_);
    time_ = new QLabel(bar);
    time_->setObjectName(QStringLiteral("AnimationTime"));
    time_->setMinimumWidth(time_->fontMetrics().horizontalAdvance(QStringLiteral("30 Sep 2000 00:00:00.00")) + 12);
    time_->setAlignment(Qt::AlignCenter);
    bar->addWidget(time_);

    connect(slider_, &QSlider::valueChanged, this,
            [this](int position) { clock_.setSliderPosition(position, sliderSteps()); });
    // Dragging holds play, so that the time stays under the pointer.
    connect(slider_, &QSlider::sliderPressed, this, [this] {
        resumeAfterDrag_ = clock_.playing();
        clock_.pause();
    });
    connect(slider_, &QSlider::sliderReleased, this, [this] {
        if (resumeAfterDrag_ && clock_.now().seconds < clock_.timeline().stop().seconds)
            clock_.play();
        resumeAfterDrag_ = false;
    });

    addKey(Qt::Key_Home, &AnimationClock::reset);
    addKey(Qt::Key_Left, &AnimationClock::stepBackward);
    addKey(Qt::Key_Space, &AnimationClock::togglePlay);
    addKey(Qt::Key_Right, &AnimationClock::stepForward);
    addKey(Qt::Key_Minus, &AnimationClock::slower);
    addKey(Qt::Key_Plus, &AnimationClock::faster);
    addKey(Qt::Key_Equal, &AnimationClock::faster);  // "+" without Shift

    connect(&clock_, &AnimationClock::timeChanged, this, &AnimationBar::showTime);
    connect(area_, &QMdiArea::subWindowActivated, this, &AnimationBar::updateEnabled);
    showTime();
}

QAction *AnimationBar::addControl(QToolBar *bar, const QIcon &icon, const QString &text, const QKeySequence &key,
                                  void (AnimationClock::*slot)())
{
    QAction *action = bar->addAction(icon, text, &clock_, slot);
    // The key belongs to the graphics windows (addKey), so it is named here only.
    action->setToolTip(tr("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
    controls_.append(action);
    return action;
}

void AnimationBar::addKey(const QKeySequence &key, void (AnimationClock::*slot)())
{
    // On the document area, so a key typed into a text field elsewhere stays
    // there; enabled only while a graphics window is the active one.
    auto *shortcut = new QShortcut(key, area_);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    shortcut->setAutoRepeat(key != QKeySequence(Qt::Key_Space));
    connect(shortcut, &QShortcut::activated, &clock_, slot);
    keys_.append(shortcut);
}

bool AnimationBar::isGraphicsWindow(const QMdiSubWindow *window)
{
    if (!window)
        return false;
    const QString caption = window->windowTitle();
    return caption.startsWith(QLatin1StringView("3D Graphics ")) || caption.startsWith(QLatin1StringView("2D Graphics "))
        || caption.startsWith(QLatin1StringView("XY Plot "));
}

void AnimationBar::followScenario(const Snapshot &s)
{
    scenarioOpen_ = s.scenarioOpen;
    if (s.scenarioOpen)
        clock_.setPeriod(s.animationStart, s.animationStop, s.animationStep);
    showTime();
}

QString AnimationBar::apply(UiRequest::Clock action)
{
    if (!scenarioOpen_)
        return QStringLiteral("no scenario is open");
    switch (action) {
    case UiRequest::Clock::Start: clock_.play(); break;
    case UiRequest::Clock::Pause: clock_.pause(); break;
    case UiRequest::Clock::Reset: clock_.reset(); break;
    case UiRequest::Clock::StepForward: clock_.stepForward(); break;
    case UiRequest::Clock::StepBackward: clock_.stepBackward(); break;
    }
    return {};
}

int AnimationBar::sliderSteps() const
{
    const Timeline &t = clock_.timeline();
    const double steps = std::ceil((t.stop().seconds - t.start().seconds) / t.step());
    return int(std::clamp(steps, 1.0, double(kMaxSliderSteps)));
}

void AnimationBar::showTime()
{
    const Timeline &t = clock_.timeline();
    speed_->setText(QStringLiteral("x%1").arg(t.speed()));
    time_->setText(scenarioOpen_ ? QString::fromStdString(astro::formatDate(t.now())) : tr("No scenario"));
    if (!slider_->isSliderDown()) {
        const int steps = sliderSteps();
        const QSignalBlocker quiet(slider_);
        slider_->setMaximum(steps);
        slider_->setPageStep(std::max(1, steps / 20));
        slider_->setValue(t.sliderPosition(steps));
    }
    updateEnabled();
}

void AnimationBar::updateEnabled()
{
    for (QAction *action : controls_)
        action->setEnabled(scenarioOpen_);
    play_->setEnabled(scenarioOpen_ && !clock_.playing());
    pause_->setEnabled(scenarioOpen_ && clock_.playing());
    slider_->setEnabled(scenarioOpen_);
    const bool keys = scenarioOpen_ && isGraphicsWindow(area_->activeSubWindow());
    for (QShortcut *key : keys_)
        key->setEnabled(keys);
}

} // namespace zep
