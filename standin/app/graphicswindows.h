#pragma once
// The host's graphics windows: the scenario's 3-D windows, maps and XY plots,
// the menu items that make more of them, and pictures of them (save, copy). Also the
// About box, which names the Earth picture's credit. GUI thread only.

#include "standin/astro/time.h"
#include "standin/model/clock.h"
#include "standin/model/journal.h"
#include "standin/model/store.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>

class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace zep {

class HostWindow;

class GraphicsWindows : public QObject {
    Q_OBJECT
public:
    GraphicsWindows(HostWindow &host, ScenarioStore &store, AnimationClock &clock, Journal &journal);

    // A new scenario's windows: a 3-D window and, unless one is open, a map
    // beside it. Returns the 3-D window.
    QMdiSubWindow *openScenarioWindows();
    // Each becomes the window that "*" names in the view commands.
    QMdiSubWindow *newEarthWindow();
    QMdiSubWindow *newMapWindow();
    // "XY Plot N - Altitude and Speed" of the selected satellite.
    QMdiSubWindow *newPlotWindow();

    // File: Save Picture; Edit: Copy Picture; Window: New 3D/2D, New XY Plot; Help: About.
    void extendMenus(QMenu *file, QMenu *window);

    // The active graphics window, else the newest one; null when there is none.
    QMdiSubWindow *pictureWindow() const;
    QImage picture() const;
    // Empty on success, else why nothing was written.
    QString savePicture(const QString &path) const;
    bool copyPicture() const;
    // "Velmora 2005-07-01 12-00-00.png": the scenario and its time, safe as a file name.
    static QString pictureFileName(const QString &scenario, astro::Instant t);
    static QString aboutText(bool pictureInstalled);

private:
    void askAndSavePicture();
    void showAbout();

    HostWindow &host_;
    ScenarioStore &store_;
    AnimationClock &clock_;
    Journal &journal_;
    QList<QPointer<QMdiSubWindow>> windows_;  // graphics windows in creation order
    int earthNumber_ = 0;
    int mapNumber_ = 0;
    int plotNumber_ = 0;
};

} // namespace zep
