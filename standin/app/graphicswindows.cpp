#include "standin/app/graphicswindows.h"

#include "standin/app/hostwindow.h"
#include "standin/model/interpreter.h"
#include "standin/view/earthview.h"
#include "standin/view/globe.h"
#include "standin/view/mapview.h"
#include "standin/view/plotview.h"

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace zep {

GraphicsWindows::GraphicsWindows(HostWindow &host, ScenarioStore &store, AnimationClock &clock, Journal &journal)
    : QObject(&host), host_(host), store_(store), clock_(clock), journal_(journal)
{
}

QMdiSubWindow *GraphicsWindows::openScenarioWindows()
{
    QMdiSubWindow *earth = newEarthWindow();
    const bool haveMap = std::any_of(windows_.cbegin(), windows_.cend(), [](const QPointer<QMdiSubWindow> &w) {
        return w && qobject_cast<MapView *>(w->widget());
    });
    if (!haveMap)
        newMapWindow();
    host_.documents().area()->setActiveSubWindow(earth);
    return earth;
}

QMdiSubWindow *GraphicsWindows::newEarthWindow()
{
    QWidget *view = createEarthView(store_, clock_, nullptr, host_.imagery());
    view->setMinimumSize(320, 240);
    QMdiSubWindow *window = host_.documents().add(view, QStringLiteral("3D Graphics %1 - Earth").arg(++earthNumber_));
    window->resize(800, 600);
    windows_.append(window);
    host_.setScenarioWindow(window);
    host_.documents().area()->setActiveSubWindow(window);
    return window;
}

QMdiSubWindow *GraphicsWindows::newMapWindow()
{
    auto *map = new MapView(store_, clock_, host_.imagery());
    QMdiSubWindow *window = host_.documents().add(map, QStringLiteral("2D Graphics %1 - Map").arg(++mapNumber_));
    window->resize(640, 360);
    windows_.append(window);
    host_.documents().area()->setActiveSubWindow(window);
    return window;
}

QMdiSubWindow *GraphicsWindows::newPlotWindow()
{
    auto *plot = new PlotView(store_, clock_);
    QMdiSubWindow *window =
        host_.documents().add(plot, QStringLiteral("XY Plot %1 - Altitude and Speed").arg(++plotNumber_));
    window->resize(640, 400);
    windows_.append(window);
    host_.documents().area()->setActiveSubWindow(window);
    return window;
}

void GraphicsWindows::extendMenus(QMenu *file, QMenu *window)
{
    QAction *exit = file->actions().value(0);
    QAction *save = new QAction(tr("Save &Picture..."), file);
    connect(save, &QAction::triggered, this, &GraphicsWindows::askAndSavePicture);
    file->insertAction(exit, save);
    file->insertSeparator(exit);

    auto *edit = new QMenu(tr("&Edit"), host_.menuBar());
    edit->addAction(tr("&Copy Picture"), this, [this] {
        journal_.event(QStringLiteral("menu"), QStringLiteral("Copy Picture"));
        const bool copied = copyPicture();
        journal_.event(QStringLiteral("picture"), copied ? QStringLiteral("copied") : QStringLiteral("nothing to copy"));
        host_.statusBar()->showMessage(
            copied ? tr("Picture copied") : tr("Nothing copied: there is no graphics window to take a picture of."), 5000);
    });
    host_.menuBar()->insertMenu(host_.viewMenu()->menuAction(), edit);

    window->addSeparator();
    window->addAction(tr("New &3D Graphics Window"), this, [this] {
        journal_.event(QStringLiteral("menu"), QStringLiteral("New 3D Graphics Window"));
        newEarthWindow();
    });
    window->addAction(tr("New &2D Graphics Window"), this, [this] {
        journal_.event(QStringLiteral("menu"), QStringLiteral("New 2D Graphics Window"));
        newMapWindow();
    });
    QAction *plot = window->addAction(tr("New &XY Plot"), this, [this] {
        journal_.event(QStringLiteral("menu"), QStringLiteral("New XY Plot"));
        newPlotWindow();
    });
    plot->setObjectName(QStringLiteral("NewXYPlotAction"));

    QMenu *help = host_.menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&About ZEP"), this, &GraphicsWindows::showAbout);
}

QMdiSubWindow *GraphicsWindows::pictureWindow() const
{
    const QList<QMdiSubWindow *> open = host_.documents().list();
    QMdiSubWindow *newest = nullptr;
    for (const QPointer<QMdiSubWindow> &w : windows_) {
        if (w && open.contains(w.data()))
            newest = w;
    }
    QMdiSubWindow *active = host_.documents().area()->activeSubWindow();
    const bool activeIsGraphics = std::any_of(windows_.cbegin(), windows_.cend(),
                                              [&](const QPointer<QMdiSubWindow> &w) { return w && w == active; });
    return activeIsGraphics && open.contains(active) ? active : newest;
}

QImage GraphicsWindows::picture() const
{
    QMdiSubWindow *window = pictureWindow();
    if (!window || !window->widget())
        return {};
    // A 3-D view renders its frame for this; a map paints itself.
    if (auto *earth = qobject_cast<EarthView *>(window->widget()))
        return earth->grabFramebuffer();
    return window->widget()->grab().toImage();
}

QString GraphicsWindows::savePicture(const QString &path) const
{
    const QImage image = picture();
    if (image.isNull())
        return tr("there is no graphics window to take a picture of");
    if (!image.save(path, "PNG"))
        return tr("cannot write %1").arg(QDir::toNativeSeparators(path));
    return {};
}

bool GraphicsWindows::copyPicture() const
{
    const QImage image = picture();
    if (image.isNull())
        return false;
    QGuiApplication::clipboard()->setImage(image);
    return true;
}

QString GraphicsWindows::pictureFileName(const QString &scenario, astro::Instant t)
{
    const QDateTime epoch(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime when = epoch.addSecs(qint64(std::floor(t.seconds)));
    QString name = scenario.trimmed();
    // Nothing that a file system or a shell would read as structure.
    static const QRegularExpression unsafe(QStringLiteral(R"([/\\:*?"<>|\x00-\x1f])"));
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty() || name.startsWith(u'.'))
        name.prepend(QStringLiteral("ZEP"));
    if (!std::isfinite(t.seconds) || !when.isValid())
        return name + QStringLiteral(".png");
    return QStringLiteral("%1 %2.png").arg(name, when.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")));
}

void GraphicsWindows::askAndSavePicture()
{
    journal_.event(QStringLiteral("menu"), QStringLiteral("Save Picture"));
    if (!pictureWindow()) {
        QMessageBox::information(&host_, tr("Save Picture"), tr("There is no graphics window to take a picture of."));
        return;
    }
    const SnapshotPtr s = store_.snapshot();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString suggested = QDir(folder).filePath(
        pictureFileName(s->scenarioOpen ? s->scenarioName : QStringLiteral("ZEP"), clock_.now()));
    const QString path = QFileDialog::getSaveFileName(&host_, tr("Save Picture"), suggested, tr("PNG pictures (*.png)"));
    if (path.isEmpty())
        return;
    const QString why = savePicture(path);
    journal_.event(QStringLiteral("picture"), why.isEmpty() ? QStringLiteral("saved ") + path : why);
    if (!why.isEmpty())
        QMessageBox::warning(&host_, tr("Save Picture"), tr("The picture was not saved: %1.").arg(why));
}

QString GraphicsWindows::aboutText(bool pictureInstalled)
{
    // Its own version, and the one scripts are told, which is the host's that it stands in for.
    QString text = tr("<h3>Velmora stand-in host %1</h3><p>A 3-D orbit viewer and map "
                      "that the Velmora Toolbar drives over the session bus, in place of ZEP.</p>"
                      "<p>To scripts it answers as ZEP: the version query (<tt>GetZEPVersion /</tt>) "
                      "gives \"%2\".</p>")
                       .arg(QStringLiteral(VELMORA_VERSION), CommandInterpreter::versionText().toHtmlEscaped());
    if (pictureInstalled)
        text += tr("<p>Earth imagery: NASA Visible Earth, <a href=\"https://visibleearth.nasa.gov/\">"
                   "https://visibleearth.nasa.gov/</a>. Image courtesy of NASA.</p>"
                   "<p>NASA imagery is not copyrighted; it is free of licensing fees, and NASA asks to be "
                   "credited as its owner. The full terms: /usr/share/doc/xplanet-images/copyright.</p>");
    else
        text += tr("<p>The Earth is drawn by ZEP itself (the Earth picture %1 is not installed).</p>")
                    .arg(QString::fromLatin1(view::kDayImagePath));
    return text;
}

void GraphicsWindows::showAbout()
{
    journal_.event(QStringLiteral("menu"), QStringLiteral("About ZEP"));
    // Not modal: the host keeps answering its clients while the box is open.
    auto *box = new QMessageBox(QMessageBox::Information, tr("About ZEP"),
                                aboutText(QFileInfo::exists(QString::fromLatin1(view::kDayImagePath))),
                                QMessageBox::Ok, &host_);
    box->setObjectName(QStringLiteral("AboutBox"));
    box->setTextFormat(Qt::RichText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace zep
