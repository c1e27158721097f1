#pragma once
// The Orbits menu and its tool bar buttons: keep the selected satellite's
// orbit for comparison, clear the kept ones, and show the transfer from the
// newest kept orbit to the selected satellite's. They edit the scenario as
// the Keep and Transfer commands do; what cannot be done is said in the
// status bar. GUI thread only.

#include "standin/model/journal.h"
#include "standin/model/store.h"

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace zep {

class CompareMenu : public QObject {
    Q_OBJECT
public:
    CompareMenu(QMainWindow &window, ScenarioStore &store, Journal &journal);

    void extend(QMenu *menu);
    void addButtons(QToolBar *bar);

private:
    // Runs an edit of the newest snapshot; its text, if any, says why nothing changed.
    void act(const QString &name, const std::function<QString(Snapshot &)> &edit);
    void follow();

    QMainWindow &window_;
    ScenarioStore &store_;
    Journal &journal_;
    QAction *keep_ = nullptr, *clear_ = nullptr, *show_ = nullptr, *hide_ = nullptr;
};

} // namespace zep
