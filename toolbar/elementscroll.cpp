#include "toolbar/elementscroll.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionSlider>

#include <algorithm>

namespace velmora::toolbar {

namespace {

// Counts a write of ours for as long as it runs, even when a handler nested in
// it writes again.
class ProgramWrite {
public:
    explicit ProgramWrite(int &depth) : depth_(depth) { ++depth_; }
    ~ProgramWrite() { --depth_; }
    ProgramWrite(const ProgramWrite &) = delete;
    ProgramWrite &operator=(const ProgramWrite &) = delete;

private:
    int &depth_;
};

// The wait before a held arrow or track starts repeating: that of the
// toolkit's own scroll bars.
constexpr int kRepeatDelayMs = 500;

} // namespace

ElementScrollBar::ElementScrollBar(QWidget *parent) : QScrollBar(Qt::Horizontal, parent)
{
    setSingleStep(1);
    // A plain QScrollBar takes no focus; the rows are in the tab order.
    setFocusPolicy(Qt::StrongFocus);
    // Qt 6.4's QScrollBar inverts either the wheel and Page Down/Down (off) or
    // Right/Left (on, its default). Kept on for the wheel; the keys are mapped
    // in keyPressEvent.
    setInvertedControls(true);
    setTracking(true);
    min_ = minimum();
    max_ = maximum();
    connect(this, &QAbstractSlider::valueChanged, this, &ElementScrollBar::onValueChanged);
    connect(this, &QAbstractSlider::sliderPressed, this, &ElementScrollBar::onSliderPressed);
    connect(this, &QAbstractSlider::sliderReleased, this, &ElementScrollBar::onSliderReleased);
    repeat_.setSingleShot(true);
    connect(&repeat_, &QTimer::timeout, this, &ElementScrollBar::repeatStep);
}

bool ElementScrollBar::SetValue(int position)
{
    if (position < minimum() || position > maximum())
        return false;
    ProgramWrite write(programWrites_);
    setValue(position);
    return true;
}

void ElementScrollBar::SetMin(int min)
{
    min_ = min;
    applyLimits();
}

void ElementScrollBar::SetMax(int max)
{
    max_ = max;
    applyLimits();
}

void ElementScrollBar::applyLimits()
{
    ProgramWrite write(programWrites_);
    setRange(std::min(min_, max_), std::max(min_, max_));
}

QRect ElementScrollBar::PartRect(QStyle::SubControl part) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, part, this);
}

void ElementScrollBar::mousePressEvent(QMouseEvent *event)
{
    stopRepeat();
    QScrollBar::mousePressEvent(event);
    // The press has taken its one step. QScrollBar's own repeat runs on a fixed
    // interval whatever the handlers cost; ours waits for each step.
    const SliderAction action = repeatAction();
    if (action == SliderNoAction)
        return;
    setRepeatAction(SliderNoAction);
    held_ = action;
    heldPart_ = partAt(event->position().toPoint());
    pointer_ = event->position().toPoint();
    repeat_.start(kRepeatDelayMs);
}

void ElementScrollBar::mouseMoveEvent(QMouseEvent *event)
{
    QScrollBar::mouseMoveEvent(event);
    if (repeatAction() != SliderNoAction)
        setRepeatAction(SliderNoAction);   // QScrollBar re-arms on coming back
    pointer_ = event->position().toPoint();
}

void ElementScrollBar::mouseReleaseEvent(QMouseEvent *event)
{
    stopRepeat();
    QScrollBar::mouseReleaseEvent(event);
}

void ElementScrollBar::hideEvent(QHideEvent *event)
{
    stopRepeat();
    QScrollBar::hideEvent(event);
}

void ElementScrollBar::stopRepeat()
{
    repeat_.stop();
    held_ = SliderNoAction;
    heldPart_ = QStyle::SC_None;
}

QStyle::SubControl ElementScrollBar::partAt(QPoint pos) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option, pos, this);
}

void ElementScrollBar::repeatStep()
{
    if (held_ == SliderNoAction || !isEnabled()) {
        stopRepeat();
        return;
    }
    // Off the held part (or the thumb has reached the pointer on the track):
    // wait, without stepping, until the pointer is back.
    if (partAt(pointer_) == heldPart_) {
        const int before = value();
        triggerAction(held_);   // runs Change and everything it sends, to the end
        if (value() == before) {
            stopRepeat();       // at a limit: nothing more to step
            return;
        }
        if (held_ == SliderNoAction)
            return;             // released inside the handling
    }
    repeat_.start(partAt(pointer_) == heldPart_ ? 0 : 20);
}

void ElementScrollBar::keyPressEvent(QKeyEvent *event)
{
    SliderAction action = SliderNoAction;
    switch (event->key()) {
    case Qt::Key_Right: case Qt::Key_Down: action = SliderSingleStepAdd; break;
    case Qt::Key_Left: case Qt::Key_Up: action = SliderSingleStepSub; break;
    case Qt::Key_PageDown: action = SliderPageStepAdd; break;
    case Qt::Key_PageUp: action = SliderPageStepSub; break;
    case Qt::Key_Home: action = SliderToMinimum; break;
    case Qt::Key_End: action = SliderToMaximum; break;
    default: QScrollBar::keyPressEvent(event); return;
    }
    triggerAction(action);
    event->accept();
}

void ElementScrollBar::onValueChanged()
{
    if (isSliderDown() && programWrites_ == 0)
        emit Scroll();
    else
        emit Change();
}

void ElementScrollBar::onSliderPressed()
{
    dragStart_ = value();
}

void ElementScrollBar::onSliderReleased()
{
    if (value() != dragStart_)
        emit Change();
}

} // namespace velmora::toolbar
