#include "toolbar/elementscroll.h"

#include <QKeyEvent>
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
    QScrollBar::mousePressEvent(event);
    // QScrollBar waits 500 ms before repeating and then repeats every 50 ms;
    // these bars repeat at once.
    if (repeatAction() != SliderNoAction)
        setRepeatAction(repeatAction(), 0, 0);
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
