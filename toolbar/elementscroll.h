#pragma once
// The element scroll bar: the members the element rows are written against,
// over a horizontal QScrollBar that it holds. Positions are whole numbers
// within Min..Max. The QScrollBar is reached only through scrollBar(), for
// layout, focus and assistive names: writing its value there bypasses the
// refusal below and is never done by the rows.
//
// Notifications:
// - Change: once after every position change, whatever moved it (arrow, track,
//   keyboard, wheel, end of a drag, a program write of Value, Min or Max). It is
//   emitted inside the write, before the write returns.
// - Scroll: for every position change while the user drags the thumb. The
//   settled result of a drag is reported by one Change on release, if the
//   position differs from where the drag began.
//
// Choices of our own:
// - A Value write outside Min..Max is refused (returns false) and leaves the
//   position alone; QScrollBar would clamp it.
// - A Min or Max write that leaves the position outside the new range moves it
//   to the nearer limit at once and raises Change, so the position is always a
//   valid one.
// - A write made Quietly moves the thumb but raises nothing: the row keeps its
//   element, and the value box shows it out of range where the thumb cannot
//   follow. A display switch (the aids' half-turn limit) so never edits the
//   orbit.
// - Min and Max read back as written, also when Max lies below Min (a preset's
//   narrow range and the aids' lower maximum can meet so); the position then
//   lies between the two. QScrollBar would move the other limit, and the row
//   would keep a limit that nobody wrote.
// - Right, Down, Page Down and the wheel turned down move towards Max.
// - A click on an arrow or the track is one step. Held, the part repeats after
//   the toolkit's usual initial delay, then with no pause between steps; each
//   step is taken only once the previous one has been handled, so a slow
//   handler never meets a backlog of steps.

#include <QObject>
#include <QRect>
#include <QScrollBar>
#include <QStyle>
#include <QString>

namespace velmora::toolbar {

class SteppingScrollBar;

class ElementScrollBar : public QObject {
    Q_OBJECT
public:
    // The bar is a child widget of `parent`; this object belongs to it too.
    explicit ElementScrollBar(QWidget *parent);

    QScrollBar *scrollBar() const;

    enum class Notify { Change, Quietly };

    int Value() const;
    // false when refused (outside Min..Max)
    bool SetValue(int position, Notify notify = Notify::Change);

    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetMin(int min);
    void SetMax(int max, Notify notify = Notify::Change);
    void SetLargeChange(int step);

    bool Enabled() const;
    void SetEnabled(bool enabled);

    QString ToolTipText() const;
    void SetToolTipText(const QString &text);

    // Where a part (arrow, track, thumb) lies, in the bar's own coordinates.
    QRect PartRect(QStyle::SubControl part) const;

signals:
    void Change();
    void Scroll();

private:
    void onValueChanged();
    void onSliderPressed();
    void onSliderReleased();
    void applyLimits(Notify notify = Notify::Change);

    SteppingScrollBar *bar_;
    int min_ = 0;             // as written; the QScrollBar holds them in order
    int max_ = 0;
    int programWrites_ = 0;   // > 0 while a write of ours runs
    int quietWrites_ = 0;     // > 0 while a write of ours runs Quietly
    int dragStart_ = 0;       // position when the thumb was taken
};

} // namespace velmora::toolbar
