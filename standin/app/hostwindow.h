#pragma once
// The host's main window: menu bar, tool bars, status bar and a document area
// holding the auxiliary windows and the scenario's 3-D window. GUI thread only.
//
// The "View" menu (Alt+V) is what a hand-over types into:
//   "&1 Reset View"            puts the 3-D camera back where the last
//                              ViewerPosition command placed it;
//   "&4 Show all bars and tile" shows every tool bar, the menu bar and the
//                              status bar, and tiles the document windows.
// Between them the camera's items (cameramenu.h).

#include "standin/app/documentwindows.h"
#include "standin/model/clock.h"
#include "standin/model/interpreter.h"
#include "standin/model/journal.h"
#include "standin/model/store.h"
#include "standin/view/earthimagery.h"

#include <QMainWindow>
#include <QPointer>
#include <QPlainTextEdit>
#include <QTreeWidget>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace zep {

class AnimationBar;
class CameraMenu;
class CompareMenu;
class GraphicsWindows;
class LessonBar;

class HostWindow : public QMainWindow, public UiPort {
    Q_OBJECT
public:
    HostWindow(ScenarioStore &store, AnimationClock &clock, Journal &journal, QWidget *parent = nullptr);
    ~HostWindow() override;

    void carryOut(const UiRequest &request, std::function<void(const QString &error)> done) override;

    QString setMainWindowState(int state);
    void activateHost();

    bool userControl() const { return userControl_; }
    void setUserControl(bool on) { userControl_ = on; }

    DocumentWindows &documents() const { return *documents_; }
    QToolBar *toolBar(const QString &name) const;
    QMenu *viewMenu() const { return viewMenu_; }
    QMdiSubWindow *scenarioWindow() const { return scenarioWindow_; }
    // The 3-D window that "*" names; the newest one made.
    void setScenarioWindow(QMdiSubWindow *window) { scenarioWindow_ = window; }
    GraphicsWindows &graphics() const { return *graphics_; }
    LessonBar &lessons() const { return *lessons_; }
    // The Earth's pictures, loaded once for every view of the Earth.
    const std::shared_ptr<view::EarthImagery> &imagery() const { return imagery_; }
    // Loads what the first view needs while the host is still hidden.
    void prepareViews();

public slots:
    void refreshScenario();
    void noteRefusal(const QString &command, const QString &why);
    void resetView();
    void showAllAndTile();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QString applyUi(const UiRequest &request);
    void openScenarioWindow();
    void buildMenus();
    void buildToolBars();
    void updateTimeLabel();
    void setAllBarsVisible();

    ScenarioStore &store_;
    AnimationClock &clock_;
    Journal &journal_;
    QMdiArea *area_ = nullptr;
    QMenu *viewMenu_ = nullptr;
    QList<QToolBar *> toolBars_;
    // Auxiliary windows can be closed (and deleted) at any time.
    QPointer<QTreeWidget> browser_;
    QPointer<QPlainTextEdit> messages_;
    QLabel *timeLabel_ = nullptr;
    QPointer<QMdiSubWindow> scenarioWindow_;
    AnimationBar *animation_ = nullptr;
    GraphicsWindows *graphics_ = nullptr;  // a child
    CameraMenu *cameraMenu_ = nullptr;     // a child
    CompareMenu *compareMenu_ = nullptr;   // a child
    LessonBar *lessons_ = nullptr;         // a child
    DocumentWindows *documents_ = nullptr; // a child of the area
    std::shared_ptr<view::EarthImagery> imagery_ = std::make_shared<view::EarthImagery>();
    bool userControl_ = false;
};

} // namespace zep
