#include "toolbar/elementscroll.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionSlider>
#include <QTimer>

#include <algorithm>

namespace velmora::toolbar {

namespace {

// Counts a write of ours for as long as it runs, even when a handler nested in
// it writes again.
class ProgramWrite {
public:
    explicit ProgramWrite(int &depth, bool counts = true) : depth_(depth), step_(counts ? 1 : 0)
    {
        depth_ += step_;
    }
    ~ProgramWrite() { depth_ -= step_; }
    ProgramWrite(const ProgramWrite &) = delete;
    ProgramWrite &operator=(const ProgramWrite &) = delete;

private:
    int &depth_;
    const int step_;
};

// The wait before a held arrow or track starts repeating: that of the
// toolkit's own scroll bars.
constexpr int kRepeatDelayMs = 500;

} // namespace

// The held QScrollBar: a click is one step, a held part repeats one handled
// step at a time, and the keys move as the rows want.
class SteppingScrollBar : public QScrollBar {
public:
    explicit SteppingScrollBar(QWidget *parent) : QScrollBar(Qt::Horizontal, parent)
    {
        setSingleStep(1);
        // A plain QScrollBar takes no focus; the rows are in the tab order.
        setFocusPolicy(Qt::StrongFocus);
        // Qt 6.4's QScrollBar inverts either the wheel and Page Down/Down (off)
        // or Right/Left (on, its default). Kept on for the wheel; the keys are
        // mapped in keyPressEvent.
        setInvertedControls(true);
        setTracking(true);
        repeat_.setSingleShot(true);
        connect(&repeat_, &QTimer::timeout, this, [this] { repeatStep(); });
    }

    QRect partRect(QStyle::SubControl part) const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_ScrollBar, &option, part, this);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void repeatStep();
    void stopRepeat();
    QStyle::SubControl partAt(QPoint pos) const;

    QTimer repeat_;           // single shot, re-armed after each handled step
    SliderAction held_ = SliderNoAction;
    QStyle::SubControl heldPart_ = QStyle::SC_None;
    QPoint pointer_;          // last pointer position while held
};

void SteppingScrollBar::mousePressEvent(QMouseEvent *event)
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

void SteppingScrollBar::mouseMoveEvent(QMouseEvent *event)
{
    QScrollBar::mouseMoveEvent(event);
    if (repeatAction() != SliderNoAction)
        setRepeatAction(SliderNoAction);   // QScrollBar re-arms on coming back
    pointer_ = event->position().toPoint();
}

void SteppingScrollBar::mouseReleaseEvent(QMouseEvent *event)
{
    stopRepeat();
    QScrollBar::mouseReleaseEvent(event);
}

void SteppingScrollBar::hideEvent(QHideEvent *event)
{
    stopRepeat();
    QScrollBar::hideEvent(event);
}

void SteppingScrollBar::stopRepeat()
{
    repeat_.stop();
    held_ = SliderNoAction;
    heldPart_ = QStyle::SC_None;
}

QStyle::SubControl SteppingScrollBar::partAt(QPoint pos) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option, pos, this);
}

void SteppingScrollBar::repeatStep()
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

void SteppingScrollBar::keyPressEvent(QKeyEvent *event)
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

ElementScrollBar::ElementScrollBar(QWidget *parent)
    : QObject(parent), bar_(new SteppingScrollBar(parent))
{
    min_ = bar_->minimum();
    max_ = bar_->maximum();
    connect(bar_, &QAbstractSlider::valueChanged, this, &ElementScrollBar::onValueChanged);
    connect(bar_, &QAbstractSlider::sliderPressed, this, &ElementScrollBar::onSliderPressed);
    connect(bar_, &QAbstractSlider::sliderReleased, this, &ElementScrollBar::onSliderReleased);
}

QScrollBar *ElementScrollBar::scrollBar() const
{
    return bar_;
}

int ElementScrollBar::Value() const
{
    return bar_->value();
}

bool ElementScrollBar::SetValue(int position, Notify notify)
{
    if (position < bar_->minimum() || position > bar_->maximum())
        return false;
    ProgramWrite write(programWrites_);
    ProgramWrite quiet(quietWrites_, notify == Notify::Quietly);
    bar_->setValue(position);
    return true;
}

void ElementScrollBar::SetMin(int min)
{
    min_ = min;
    applyLimits();
}

void ElementScrollBar::SetMax(int max, Notify notify)
{
    max_ = max;
    applyLimits(notify);
}

void ElementScrollBar::SetLargeChange(int step)
{
    bar_->setPageStep(step);
}

void ElementScrollBar::applyLimits(Notify notify)
{
    ProgramWrite write(programWrites_);
    ProgramWrite quiet(quietWrites_, notify == Notify::Quietly);
    bar_->setRange(std::min(min_, max_), std::max(min_, max_));
}

bool ElementScrollBar::Enabled() const
{
    return bar_->isEnabled();
}

void ElementScrollBar::SetEnabled(bool enabled)
{
    bar_->setEnabled(enabled);
}

QString ElementScrollBar::ToolTipText() const
{
    return bar_->toolTip();
}

void ElementScrollBar::SetToolTipText(const QString &text)
{
    bar_->setToolTip(text);
}

QRect ElementScrollBar::PartRect(QStyle::SubControl part) const
{
    return bar_->partRect(part);
}

void ElementScrollBar::onValueChanged()
{
    if (quietWrites_ > 0)
        return;
    if (bar_->isSliderDown() && programWrites_ == 0)
        emit Scroll();
    else
        emit Change();
}

void ElementScrollBar::onSliderPressed()
{
    dragStart_ = bar_->value();
}

void ElementScrollBar::onSliderReleased()
{
    if (bar_->value() != dragStart_)
        emit Change();
}

} // namespace velmora::toolbar
