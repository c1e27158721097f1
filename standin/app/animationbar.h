#pragma once
// The Animation tool bar: Reset, Step back, Play, Pause, Step forward, Slower,
// Faster, the speed, a time slider across the animation period and the time.
// The same keys work while a graphics window has the focus (Space plays or
// pauses). The Animate commands reach the clock through apply(). GUI thread only.

#include "standin/model/clock.h"
#include "standin/model/interpreter.h"

#include <QObject>

class QAction;
class QIcon;
class QKeySequence;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QShortcut;
class QSlider;
class QToolBar;

namespace zep {

struct Snapshot;

class AnimationBar : public QObject {
    Q_OBJECT
public:
    // Fills bar; the keys listen on area's graphics windows.
    AnimationBar(QToolBar *bar, QMdiArea *area, AnimationClock &clock, QObject *parent = nullptr);

    // The controls wait for a scenario, then follow its animation period.
    void followScenario(const Snapshot &s);
    // An Animate command, carried out as its button would be. "" or why not.
    QString apply(UiRequest::Clock action);

    // One slider position per animation step, up to this many.
    static constexpr int kMaxSliderSteps = 100000;
    int sliderSteps() const;

    // The windows whose focus gives the animation keys: 3-D and 2-D views, plots.
    static bool isGraphicsWindow(const QMdiSubWindow *window);

private:
    QAction *addControl(QToolBar *bar, const QIcon &icon, const QString &text, const QKeySequence &key,
                        void (AnimationClock::*slot)());
    void addKey(const QKeySequence &key, void (AnimationClock::*slot)());
    void showTime();
    void updateEnabled();

    AnimationClock &clock_;
    QMdiArea *area_;
    QList<QAction *> controls_;
    QList<QShortcut *> keys_;
    QAction *play_ = nullptr;
    QAction *pause_ = nullptr;
    QLabel *speed_ = nullptr;
    QSlider *slider_ = nullptr;
    QLabel *time_ = nullptr;
    bool scenarioOpen_ = false;
    bool resumeAfterDrag_ = false;
};

} // namespace zep
