#include "standin/app/cameramenu.h"

#include "standin/app/hostwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>

namespace zep {

CameraMenu::CameraMenu(HostWindow &host, ScenarioStore &store, Journal &journal)
    : QObject(&host), host_(host), store_(store), journal_(journal)
{
    connect(&host_.documents(), &DocumentWindows::added, this, &CameraMenu::watch);
    connect(host_.documents().area(), &QMdiArea::subWindowActivated, this, &CameraMenu::showAutoFit);
    // From the command thread: queued, and the list is read from the newest snapshot.
    connect(&store_, &ScenarioStore::changed, this, &CameraMenu::followSatellites, Qt::QueuedConnection);
}

void CameraMenu::extend(QMenu *view, QAction *before)
{
    view->insertSeparator(before);
    QAction *fit = new QAction(tr("&Fit Orbit"), view);
    fit->setObjectName(QStringLiteral("FitOrbitAction"));
    fit->setShortcut(Qt::Key_F);
    connect(fit, &QAction::triggered, this, [this] { look(EarthView::Look::Orbit, QStringLiteral("Fit Orbit")); });
    view->insertAction(before, fit);

    autoFit_ = new QAction(tr("&Auto Fit"), view);
    autoFit_->setObjectName(QStringLiteral("AutoFitAction"));
    autoFit_->setCheckable(true);
    autoFit_->setChecked(true);
    connect(autoFit_, &QAction::triggered, this, [this](bool on) {
        journal_.event(QStringLiteral("menu"), on ? QStringLiteral("Auto Fit on") : QStringLiteral("Auto Fit off"));
        if (EarthView *v = target())
            v->setAutoFit(on);
        else
            showAutoFit();
    });
    view->insertAction(before, autoFit_);
    view->insertSeparator(before);

    const struct { const char *text, *object, *journal; EarthView::Look look; } looks[] = {
        {QT_TR_NOOP("Look From North &Pole"), "LookNorthPoleAction", "Look From North Pole", EarthView::Look::NorthPole},
        {QT_TR_NOOP("Look &Edge-On"), "LookEdgeOnAction", "Look Edge-On", EarthView::Look::EdgeOn},
        {QT_TR_NOOP("Look Along Line of &Nodes"), "LookAlongNodesAction", "Look Along Line of Nodes",
         EarthView::Look::AlongNodes},
    };
    for (const auto &l : looks) {
        QAction *action = new QAction(tr(l.text), view);
        action->setObjectName(QLatin1String(l.object));
        const EarthView::Look which = l.look;
        const QString name = QLatin1String(l.journal);
        connect(action, &QAction::triggered, this, [this, which, name] { look(which, name); });
        view->insertAction(before, action);
    }
    view->insertSeparator(before);

    satellites_ = new QMenu(tr("&Satellite"), view);
    satellites_->setObjectName(QStringLiteral("SatelliteMenu"));
    satelliteGroup_ = new QActionGroup(satellites_);
    satelliteGroup_->setExclusive(true);
    view->insertMenu(before, satellites_);
    view->insertSeparator(before);
    connect(view, &QMenu::aboutToShow, this, [this] {
        showAutoFit();
        followSatellites();
    });
    followSatellites();
}

EarthView *CameraMenu::target() const
{
    if (QMdiSubWindow *active = host_.documents().area()->activeSubWindow())
        if (auto *v = qobject_cast<EarthView *>(active->widget()))
            return v;
    QMdiSubWindow *newest = host_.scenarioWindow();
    return newest ? qobject_cast<EarthView *>(newest->widget()) : nullptr;
}

void CameraMenu::glideToScenarioView()
{
    if (EarthView *v = target())
        v->glideToScenarioView();
}

void CameraMenu::look(EarthView::Look look, const QString &name)
{
    journal_.event(QStringLiteral("menu"), name);
    EarthView *v = target();
    if (!v)
        host_.statusBar()->showMessage(tr("%1: there is no 3-D window to move.").arg(name), 5000);
    else if (!v->look(look))
        host_.statusBar()->showMessage(tr("%1: the selected satellite has no orbit to look at.").arg(name), 5000);
}

void CameraMenu::watch(QMdiSubWindow *window)
{
    auto *v = qobject_cast<EarthView *>(window->widget());
    if (!v)
        return;
    connect(v, &EarthView::autoFitChanged, this, &CameraMenu::showAutoFit);
    connect(v, &EarthView::pointerEntered, this, [this] {
        if (hintGiven_)
            return;
        hintGiven_ = true;
        host_.statusBar()->showMessage(tr("Drag to turn the view, wheel to zoom, double-click to go back to the "
                                          "scenario's view; F fits the orbit."),
                                       15000);
    });
}

void CameraMenu::showAutoFit()
{
    if (!autoFit_)
        return;
    const EarthView *v = target();
    autoFit_->setEnabled(v != nullptr);
    autoFit_->setChecked(v ? v->autoFit() : true);
}

void CameraMenu::followSatellites()
{
    if (!satellites_)
        return;
    const SnapshotPtr snap = store_.snapshot();
    QStringList names;
    for (const SatelliteState &sat : snap->satellites)
        names << sat.name;
    if (names != listed_) {
        listed_ = names;
        satellites_->clear();
        for (const QString &name : names) {
            QAction *pick = satellites_->addAction(QString(name).replace(QLatin1Char('&'), QLatin1String("&&")));
            pick->setData(name);
            pick->setCheckable(true);
            satelliteGroup_->addAction(pick);
            connect(pick, &QAction::triggered, this, [this, name] {
                journal_.event(QStringLiteral("menu"), QStringLiteral("Satellite ") + name);
                store_.modify([&](Snapshot &s) {
                    s.selected = name;
                    return true;
                });
            });
        }
    }
    satellites_->setEnabled(!names.isEmpty());
    const SatelliteState *selected = snap->selectedSatellite();
    for (QAction *pick : satellites_->actions())
        pick->setChecked(selected && pick->data().toString() == selected->name);
}

} // namespace zep
