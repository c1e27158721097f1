#include "standin/app/hostwindow.h"

#include "standin/app/animationbar.h"
#include "standin/app/cameramenu.h"
#include "standin/app/comparemenu.h"
#include "standin/app/graphicswindows.h"
#include "standin/app/lessonbar.h"
#include "standin/view/earthview.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QTimer>

namespace zep {

namespace {

QString welcomePage()
{
    return QStringLiteral(
        "<h2>Welcome to ZEP</h2>"
        "<p>This is the Velmora stand-in host: a 3-D orbit viewer that the Velmora Toolbar "
        "drives over the session bus.</p>"
        "<p>Open a scenario with the command <tt>New / Scenario NAME</tt>; its 3-D window shows the "
        "Earth, the satellite and its orbit. The <b>Animation</b> tool bar plays the scenario time.</p>"
        "<p>View menu: <b>1</b> resets the camera, <b>4</b> shows every bar and tiles the windows.</p>");
}

} // namespace

HostWindow::HostWindow(ScenarioStore &store, AnimationClock &clock, Journal &journal, QWidget *parent)
    : QMainWindow(parent), store_(store), clock_(clock), journal_(journal)
{
    setWindowTitle(QStringLiteral("ZEP"));
    setObjectName(QStringLiteral("ZEPMainWindow"));
    // Roomy for the 3-D view, but never taller or wider than the desktop.
    QSize size(1280, 1024);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(size);

    area_ = new QMdiArea(this);
    area_->setObjectName(QStringLiteral("DocumentArea"));
    setCentralWidget(area_);
    documents_ = new DocumentWindows(area_);
    connect(documents_, &DocumentWindows::closing, this, [this](QMdiSubWindow *window) {
        if (window == scenarioWindow_)
            scenarioWindow_.clear();
    });
    graphics_ = new GraphicsWindows(*this, store_, clock_, journal_);

    buildMenus();
    buildToolBars();

    timeLabel_ = new QLabel(this);
    statusBar()->addPermanentWidget(timeLabel_);
    statusBar()->showMessage(tr("Ready"));

    browser_ = new QTreeWidget;
    browser_->setHeaderLabel(tr("Objects"));
    documents_->add(browser_, QStringLiteral("Object Browser"));

    messages_ = new QPlainTextEdit;
    messages_->setReadOnly(true);
    messages_->setMaximumBlockCount(500);
    messages_->appendPlainText(tr("ZEP stand-in host ready."));
    documents_->add(messages_, QStringLiteral("Messages"));

    auto *welcome = new QTextBrowser;
    welcome->setHtml(welcomePage());
    documents_->add(welcome, QStringLiteral("HTML Viewer - Welcome"));
    documents_->tile();

    connect(&clock_, &AnimationClock::timeChanged, this, &HostWindow::updateTimeLabel);
    refreshScenario();
}

// The camera items follow the document area, which announces its windows
// going as the widget tears down, after this window is no longer itself.
HostWindow::~HostWindow()
{
    delete cameraMenu_;
}

void HostWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("E&xit"), this, &QWidget::close);

    viewMenu_ = menuBar()->addMenu(tr("&View"));
    viewMenu_->setObjectName(QStringLiteral("ViewMenu"));
    QAction *reset = viewMenu_->addAction(tr("&1 Reset View"), this, [this] {
        journal_.event(QStringLiteral("menu"), QStringLiteral("Reset View"));
        resetView();
    });
    reset->setObjectName(QStringLiteral("ResetViewAction"));
    QAction *tidy = viewMenu_->addAction(tr("&4 Show all bars and tile"), this, [this] {
        journal_.event(QStringLiteral("menu"), QStringLiteral("Show all bars and tile"));
        showAllAndTile();
    });
    tidy->setObjectName(QStringLiteral("ShowAllAction"));
    cameraMenu_ = new CameraMenu(*this, store_, journal_);
    cameraMenu_->extend(viewMenu_, tidy);

    compareMenu_ = new CompareMenu(*this, store_, journal_);
    compareMenu_->extend(menuBar()->addMenu(tr("&Orbits")));

    QMenu *window = menuBar()->addMenu(tr("&Window"));
    window->addAction(tr("&Tile"), documents_, &DocumentWindows::tile);
    window->addAction(tr("&Cascade"), documents_, &DocumentWindows::cascade);
    graphics_->extendMenus(file, window);
    lessons_ = new LessonBar(*this, store_, journal_);
    lessons_->extendFileMenu(file);
}

void HostWindow::buildToolBars()
{
    for (const QString &name : hostToolBarNames()) {
        QToolBar *bar = addToolBar(name);
        bar->setObjectName(name);
        toolBars_.append(bar);
    }
    QToolBar *standard = toolBar(QStringLiteral("Standard"));
    standard->addAction(tr("Tile"), documents_, &DocumentWindows::tile);
    standard->addAction(tr("Cascade"), documents_, &DocumentWindows::cascade);

    animation_ = new AnimationBar(toolBar(QStringLiteral("Animation")), area_, clock_, this);

    QToolBar *view = toolBar(QStringLiteral("View"));
    view->addAction(tr("Reset View"), this, &HostWindow::resetView);
    compareMenu_->addButtons(view);
}

QToolBar *HostWindow::toolBar(const QString &name) const
{
    for (QToolBar *bar : toolBars_) {
        if (bar->objectName() == name)
            return bar;
    }
    return nullptr;
}

QString HostWindow::setMainWindowState(int state)
{
    const auto wanted = windowStateFromCode(state);
    if (!wanted)
        return badWindowState(state);
    // A hidden host keeps its state for when it is shown.
    setWindowState((windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized)) | *wanted);
    return {};
}

void HostWindow::activateHost()
{
    // Bringing the host to the front means showing it if it was hidden.
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void HostWindow::carryOut(const UiRequest &request, std::function<void(const QString &)> done)
{
    QMetaObject::invokeMethod(
        this, [this, request, done = std::move(done)] { done(applyUi(request)); }, Qt::QueuedConnection);
}

QString HostWindow::applyUi(const UiRequest &request)
{
    switch (request.kind) {
    case UiRequest::Kind::None:
        return {};
    case UiRequest::Kind::OpenScenarioWindow:
        openScenarioWindow();
        refreshScenario();
        return {};
    case UiRequest::Kind::StatusBar:
        statusBar()->setVisible(request.show);
        return {};
    case UiRequest::Kind::MenuBar:
        menuBar()->setVisible(request.show);
        return {};
    case UiRequest::Kind::ToolBar:
        for (QToolBar *bar : toolBars_) {
            if (request.toolBar == u'*' || bar->objectName() == request.toolBar)
                bar->setVisible(request.show);
        }
        return {};
    case UiRequest::Kind::Animate:
        return animation_->apply(request.clock);
    case UiRequest::Kind::SavePicture: {
        const QString why = graphics_->savePicture(request.path);
        journal_.event(QStringLiteral("picture"), why.isEmpty() ? QStringLiteral("saved ") + request.path : why);
        return why;
    }
    }
    return QStringLiteral("the host cannot carry out this request");
}

void HostWindow::openScenarioWindow()
{
    if (!scenarioWindow_)
        graphics_->openScenarioWindows();
}

void HostWindow::prepareViews()
{
    imagery_->prepare();
    EarthView::prepareOpenGL();
    // What showing the window would do first (styles, layouts, the native
    // window), done while the host is hidden and waits for its first request.
    QTimer::singleShot(0, this, [this] {
        for (QWidget *w : findChildren<QWidget *>())
            w->ensurePolished();
        ensurePolished();
        if (layout())
            layout()->activate();
        winId();
    });
}

void HostWindow::refreshScenario()
{
    const SnapshotPtr s = store_.snapshot();
    animation_->followScenario(*s);
    updateTimeLabel();

    if (!browser_)
        return;
    browser_->clear();
    if (!s->scenarioOpen)
        return;
    auto *scenario = new QTreeWidgetItem(browser_, {QStringLiteral("Scenario/") + s->scenarioName});
    for (const SatelliteState &sat : s->satellites)
        new QTreeWidgetItem(scenario, {QStringLiteral("Satellite/") + sat.name});
    auto *tools = new QTreeWidgetItem(scenario, {tr("Vectors, axes and angles")});
    for (const GeometryItem &item : s->geometry)
        new QTreeWidgetItem(tools, {item.path});
    browser_->expandAll();
}

void HostWindow::noteRefusal(const QString &command, const QString &why)
{
    if (messages_)
        messages_->appendPlainText(tr("Refused: %1 (%2)").arg(Journal::printable(command), why));
}

void HostWindow::resetView()
{
    store_.modify([](Snapshot &s) {
        ++s.viewer.serial;  // the view re-places its camera on a new serial
        return true;
    });
    cameraMenu_->glideToScenarioView();  // the one in front glides there
}

void HostWindow::setAllBarsVisible()
{
    for (QToolBar *bar : toolBars_)
        bar->setVisible(true);
    menuBar()->setVisible(true);
    statusBar()->setVisible(true);
    store_.modify([](Snapshot &s) {
        s.chrome.menuBar = true;
        s.chrome.statusBar = true;
        for (const QString &name : hostToolBarNames())
            s.chrome.toolBars[name] = true;
        return true;
    });
}

void HostWindow::showAllAndTile()
{
    setAllBarsVisible();
    documents_->tile();
}

void HostWindow::updateTimeLabel()
{
    const SnapshotPtr s = store_.snapshot();
    timeLabel_->setText(s->scenarioOpen ? QString::fromStdString(astro::formatDate(clock_.now()))
                                        : tr("No scenario"));
}

void HostWindow::closeEvent(QCloseEvent *event)
{
    // While an automation client holds the host, closing only hides it.
    if (!userControl_) {
        hide();
        event->ignore();
        return;
    }
    clock_.pause();
    event->accept();
}

} // namespace zep
