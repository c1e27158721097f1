#pragma once
// The View menu's camera items: fit the selected orbit, Auto Fit, the
// looks from the pole, edge-on and along the nodes, the satellite to look
// at; and the one hint in the status bar on how the mouse moves the camera.
// They act on the active 3-D window, else the newest one. GUI thread only.

#include "standin/model/clock.h"
#include "standin/model/journal.h"
#include "standin/model/store.h"
#include "standin/view/earthview.h"

#include <QObject>
#include <QStringList>

class QAction;
class QActionGroup;
class QMdiSubWindow;
class QMenu;

namespace zep {

class HostWindow;

class CameraMenu : public QObject {
    Q_OBJECT
public:
    CameraMenu(HostWindow &host, ScenarioStore &store, Journal &journal);

    // Adds the items to the View menu before `before`.
    void extend(QMenu *view, QAction *before);
    // The 3-D window the items act on: the active one, else the newest.
    EarthView *target() const;
    // The target glides back to the scenario's viewer position (which the
    // other views take at once).
    void glideToScenarioView();

private:
    void look(EarthView::Look look, const QString &name);
    void watch(QMdiSubWindow *window);
    void showAutoFit();
    void followSatellites();

    HostWindow &host_;
    ScenarioStore &store_;
    Journal &journal_;
    QAction *autoFit_ = nullptr;
    QMenu *satellites_ = nullptr;
    QActionGroup *satelliteGroup_ = nullptr;
    QStringList listed_;       // the satellites the submenu lists
    bool hintGiven_ = false;   // once per host run
};

} // namespace zep
