#include "standin/app/hostwindow.h"

#include "contract/zepcontract.h"
#include "standin/app/animationbar.h"
#include "standin/app/graphicswindows.h"
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

const char kIdProperty[] = "zepWindowId";

using velmora::contract::ArrangeStyle;
using velmora::contract::WindowState;

std::optional<Qt::WindowState> stateFromCode(int code)
{
    switch (WindowState(code)) {
    case WindowState::Normal: return Qt::WindowNoState;
    case WindowState::Minimised: return Qt::WindowMinimized;
    case WindowState::Maximised: return Qt::WindowMaximized;
    }
    return std::nullopt;
}

QString badState(int code)
{
    return QStringLiteral("window state %1 is not 1 (normal), 2 (minimised) or 3 (maximised)").arg(code);
}

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
    graphics_ = new GraphicsWindows(*this, store_, clock_, journal_);

    buildMenus();
    buildToolBars();

    timeLabel_ = new QLabel(this);
    statusBar()->addPermanentWidget(timeLabel_);
    statusBar()->showMessage(tr("Ready"));

    browser_ = new QTreeWidget;
    browser_->setHeaderLabel(tr("Objects"));
    addDocument(browser_, QStringLiteral("Object Browser"));

    messages_ = new QPlainTextEdit;
    messages_->setReadOnly(true);
    messages_->setMaximumBlockCount(500);
    messages_->appendPlainText(tr("ZEP stand-in host ready."));
    addDocument(messages_, QStringLiteral("Messages"));

    auto *welcome = new QTextBrowser;
    welcome->setHtml(welcomePage());
    addDocument(welcome, QStringLiteral("HTML Viewer - Welcome"));
    area_->tileSubWindows();

    connect(&clock_, &AnimationClock::timeChanged, this, &HostWindow::updateTimeLabel);
    refreshScenario();
}

HostWindow::~HostWindow() = default;

void HostWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("E&xit"), this, &QWidget::close);

    viewMenu_ = menuBar()->addMenu(tr("&View"));
    viewMenu_->setObjectName(QStringLiteral("ViewMenu"));
    QAction *reset = viewMenu_->addAction(tr("&1 Reset view"), this, [this] {
        journal_.event(QStringLiteral("menu"), QStringLiteral("Reset view"));
        resetView();
    });
    reset->setObjectName(QStringLiteral("ResetViewAction"));
    QAction *tidy = viewMenu_->addAction(tr("&4 Show all bars and tile"), this, [this] {
        journal_.event(QStringLiteral("menu"), QStringLiteral("Show all bars and tile"));
        showAllAndTile();
    });
    tidy->setObjectName(QStringLiteral("ShowAllAction"));

    QMenu *window = menuBar()->addMenu(tr("&Window"));
    window->addAction(tr("&Tile"), this, [this] { area_->tileSubWindows(); });
    window->addAction(tr("&Cascade"), this, [this] { cascadeDocuments(area_); });
    graphics_->extendMenus(file, window);
}

void HostWindow::buildToolBars()
{
    for (const QString &name : hostToolBarNames()) {
        QToolBar *bar = addToolBar(name);
        bar->setObjectName(name);
        toolBars_.append(bar);
    }
    QToolBar *standard = toolBar(QStringLiteral("Standard"));
    standard->addAction(tr("Tile"), this, [this] { area_->tileSubWindows(); });
    standard->addAction(tr("Cascade"), this, [this] { cascadeDocuments(area_); });

    animation_ = new AnimationBar(toolBar(QStringLiteral("Animation")), area_, clock_, this);

    QToolBar *view = toolBar(QStringLiteral("View"));
    view->addAction(tr("Reset view"), this, &HostWindow::resetView);
}

QToolBar *HostWindow::toolBar(const QString &name) const
{
    for (QToolBar *bar : toolBars_) {
        if (bar->objectName() == name)
            return bar;
    }
    return nullptr;
}

QMdiSubWindow *HostWindow::addDocument(QWidget *content, const QString &caption)
{
    QMdiSubWindow *window = area_->addSubWindow(content);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(caption);
    window->setProperty(kIdProperty, nextWindowId_++);
    emit documentWindowAdded(window);
    window->show();
    return window;
}

QList<QMdiSubWindow *> HostWindow::documentWindows() const
{
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *window : area_->subWindowList(QMdiArea::CreationOrder)) {
        if (window->property("zepClosing").toBool())
            continue;
        windows.append(window);
    }
    return windows;
}

bool HostWindow::isDocumentWindow(QMdiSubWindow *window) const
{
    return window && documentWindows().contains(window);
}

quint32 HostWindow::windowId(QMdiSubWindow *window) const
{
    return window ? window->property(kIdProperty).toUInt() : 0;
}

QString HostWindow::setDocumentWindowState(QMdiSubWindow *window, int state)
{
    const auto wanted = stateFromCode(state);
    if (!wanted)
        return badState(state);
    switch (*wanted) {
    case Qt::WindowMinimized: window->showMinimized(); break;
    case Qt::WindowMaximized: window->showMaximized(); break;
    default: window->showNormal(); break;
    }
    return {};
}

void HostWindow::closeDocumentWindow(QMdiSubWindow *window)
{
    // Gone from the list at once, whatever the deferred deletion does.
    window->setProperty("zepClosing", true);
    if (window == scenarioWindow_)
        scenarioWindow_.clear();
    window->close();
}

QString HostWindow::arrange(int style)
{
    switch (ArrangeStyle(style)) {
    case ArrangeStyle::Cascade: cascadeDocuments(area_); return {};
    case ArrangeStyle::TiledSideBySide: area_->tileSubWindows(); return {};
    }
    return QStringLiteral("arrange style %1 is not 1 (cascade) or 2 (tiled side by side)").arg(style);
}

int HostWindow::stateCode(Qt::WindowStates states)
{
    if (states & Qt::WindowMaximized)
        return int(WindowState::Maximised);
    if (states & Qt::WindowMinimized)
        return int(WindowState::Minimised);
    return int(WindowState::Normal);
}

QString HostWindow::setMainWindowState(int state)
{
    const auto wanted = stateFromCode(state);
    if (!wanted)
        return badState(state);
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
    if (s->hasSatellite)
        new QTreeWidgetItem(scenario, {QStringLiteral("Satellite/") + s->satelliteName});
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
    area_->tileSubWindows();
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
