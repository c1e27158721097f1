#include "standin/app/comparemenu.h"

#include "standin/model/compare.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

namespace zep {

CompareMenu::CompareMenu(QMainWindow &window, ScenarioStore &store, Journal &journal)
    : QObject(&window), window_(window), store_(store), journal_(journal)
{
    // From the command thread: queued, and read from the newest snapshot.
    connect(&store_, &ScenarioStore::changed, this, &CompareMenu::follow, Qt::QueuedConnection);
}

void CompareMenu::extend(QMenu *menu)
{
    auto add = [&](const QString &text, const char *object, const QString &journal, auto edit) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QLatin1String(object));
        connect(action, &QAction::triggered, this, [this, journal, edit] { act(journal, edit); });
        return action;
    };
    keep_ = add(tr("&Keep Orbit"), "KeepOrbitAction", QStringLiteral("Keep Orbit"), [](Snapshot &s) {
        const SatelliteState *sat = s.selectedSatellite();
        return sat ? keepOrbit(s, SatelliteState(*sat)) : tr("There is no satellite to keep the orbit of.");
    });
    keep_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    keep_->setToolTip(tr("Keep a faded copy of the selected satellite's orbit to compare with (Ctrl+K)"));
    clear_ = add(tr("&Clear Kept Orbits"), "ClearKeptAction", QStringLiteral("Clear Kept Orbits"), [](Snapshot &s) {
        s.keptOrbits.clear();
        return QString();
    });
    menu->addSeparator();
    show_ = add(tr("Show &Transfer"), "ShowTransferAction", QStringLiteral("Show Transfer"), [](Snapshot &s) {
        const SatelliteState *sat = s.selectedSatellite();
        if (s.keptOrbits.empty() || !sat || !sat->drawable())
            return tr("Keep an orbit first, then give the selected satellite the orbit to go to.");
        const KeptOrbit &kept = s.keptOrbits.back();
        auto plan = planTransfer(QStringLiteral("Kept %1").arg(kept.number), kept.elements, sat->name, sat->elements);
        if (const QString *why = std::get_if<QString>(&plan))
            return tr("No transfer: %1.").arg(*why);
        s.transfer = std::get<TransferPlan>(std::move(plan));
        return QString();
    });
    show_->setToolTip(tr("The two-burn transfer from the newest kept orbit to the selected satellite's, and its cost"));
    hide_ = add(tr("&Hide Transfer"), "HideTransferAction", QStringLiteral("Hide Transfer"), [](Snapshot &s) {
        s.transfer.reset();
        return QString();
    });
    follow();
}

void CompareMenu::addButtons(QToolBar *bar)
{
    bar->addSeparator();
    for (QAction *action : {keep_, clear_, show_})
        bar->addAction(action);
}

void CompareMenu::act(const QString &name, const std::function<QString(Snapshot &)> &edit)
{
    journal_.event(QStringLiteral("menu"), name);
    QString why;
    store_.modify([&](Snapshot &s) {
        why = edit(s);
        return why.isEmpty();
    });
    if (!why.isEmpty())
        window_.statusBar()->showMessage(why, 6000);
}

void CompareMenu::follow()
{
    const SnapshotPtr s = store_.snapshot();
    const SatelliteState *sat = s->selectedSatellite();
    const bool orbit = sat && sat->drawable();
    keep_->setEnabled(orbit);
    clear_->setEnabled(!s->keptOrbits.empty());
    show_->setEnabled(orbit && !s->keptOrbits.empty());
    hide_->setEnabled(s->transfer.has_value());
}

} // namespace zep
