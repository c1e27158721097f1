#include "standin/app/lessonbar.h"

#include "standin/app/automationobjects.h"
#include "standin/model/lesson.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QSaveFile>
#include <QStatusBar>
#include <QToolBar>

#include <cstdio>

namespace zep {

LessonBar::LessonBar(QMainWindow &window, ScenarioStore &store, Journal &journal)
    : QObject(&window), window_(window), store_(store), journal_(journal)
{
    // Placed when the first lesson opens, in a row of its own under the
    // window's bars, which are made after this one.
    bar_ = new QToolBar(tr("Lesson"), &window);
    bar_->setObjectName(QStringLiteral("Lesson"));
    title_ = new QLabel(bar_);
    title_->setTextFormat(Qt::PlainText);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    step_ = new QLabel(bar_);
    caption_ = new QLabel(bar_);
    caption_->setTextFormat(Qt::PlainText);
    bar_->addWidget(title_);
    bar_->addSeparator();
    bar_->addWidget(step_);
    bar_->addSeparator();
    bar_->addWidget(caption_);
    bar_->addSeparator();
    // Page Up and Page Down work while the host's window is active, and only
    // while the bar shows, as its buttons do.
    back_ = bar_->addAction(tr("Back"), this, [this] { request(QStringLiteral("Back")); });
    back_->setShortcut(QKeySequence(Qt::Key_PageUp));
    back_->setToolTip(tr("The step before (Page Up)"));
    next_ = bar_->addAction(tr("Next"), this, [this] { request(QStringLiteral("Next")); });
    next_->setShortcut(QKeySequence(Qt::Key_PageDown));
    next_->setToolTip(tr("The next step (Page Down)"));
    close_ = bar_->addAction(tr("Close"), this, [this] { request(QStringLiteral("Close")); });
    close_->setToolTip(tr("End the lesson; the scene stays as it is"));
    bar_->hide();

    connect(&store_, &ScenarioStore::changed, this, &LessonBar::follow, Qt::QueuedConnection);
}

void LessonBar::extendFileMenu(QMenu *file)
{
    QAction *first = file->actions().value(0);
    auto *open = new QAction(tr("Open &Lesson..."), file);
    open->setObjectName(QStringLiteral("OpenLessonAction"));
    connect(open, &QAction::triggered, this, &LessonBar::askAndOpen);
    auto *save = new QAction(tr("Save &Commands As..."), file);
    save->setObjectName(QStringLiteral("SaveCommandsAction"));
    connect(save, &QAction::triggered, this, &LessonBar::askAndSaveCommands);
    file->insertAction(first, open);
    file->insertAction(first, save);
    file->insertSeparator(first);
}

void LessonBar::attach(Personality *personality)
{
    personality_ = personality;
    // The store's signal waits for a view to take the change; this one does not.
    connect(personality, &Personality::scenarioChanged, this, &LessonBar::follow, Qt::QueuedConnection);
}

QString LessonBar::lessonsFolder()
{
    const QString bin = QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath();
    // Run from the build tree: the lessons are still in the sources.
    if (!bin.isEmpty() && bin == QFileInfo(QStringLiteral(VELMORA_BUILD_BIN)).canonicalFilePath()
        && QFileInfo(QStringLiteral(VELMORA_SOURCE_LESSONS)).isDir())
        return QStringLiteral(VELMORA_SOURCE_LESSONS);
    // Installed: PREFIX/share/velmora/lessons, found from PREFIX/bin so that
    // a relocated prefix (a DESTDIR, an unpacked package) works too.
    const QString installed = QDir(bin).absoluteFilePath(QStringLiteral(VELMORA_LESSONS_FROM_BIN));
    if (QFileInfo(installed).isDir())
        return QDir::cleanPath(installed);
    return QDir::homePath();
}

void LessonBar::follow()
{
    const SnapshotPtr s = store_.snapshot();
    const Snapshot::LessonProgress &lesson = s->lesson;
    if (lesson.open && !placed_) {
        placed_ = true;
        window_.addToolBarBreak();
        window_.addToolBar(bar_);
    }
    if (bar_->isHidden() == lesson.open)
        bar_->setVisible(lesson.open);
    if (!lesson.open)
        return;
    title_->setText(lesson.title);
    step_->setText(tr("Step %1 of %2").arg(lesson.step).arg(lesson.count));
    caption_->setText(lesson.step > 0 ? lesson.caption
                                      : lesson.count > 0 ? tr("Next (Page Down) begins the lesson.") : QString());
    back_->setEnabled(lesson.step > 0);
    next_->setEnabled(lesson.step < lesson.count);
}

void LessonBar::send(std::function<CommandOutcome(Personality &)> run,
                     std::function<void(const CommandOutcome &)> answered)
{
    Personality *personality = personality_;
    if (!personality) {
        CommandOutcome out;
        out.error = tr("the host is not ready for lessons yet");
        answered(out);
        return;
    }
    QPointer<LessonBar> self(this);
    QMetaObject::invokeMethod(
        personality,
        [personality, run = std::move(run), answered = std::move(answered), self] {
            const CommandOutcome out = run(*personality);
            QMetaObject::invokeMethod(
                qApp, [self, answered, out] {
                    if (self)
                        answered(out);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void LessonBar::openFile(const QString &path, std::function<void(const QString &error)> answered)
{
    send([path](Personality &p) { return p.openLessonFromGui(path); },
         [answered = std::move(answered)](const CommandOutcome &out) { answered(out.ok ? QString() : out.error); });
}

void LessonBar::openAtStart(const QString &path)
{
    openFile(path, [](const QString &error) {
        if (!error.isEmpty())
            std::fprintf(stderr, "velmora-zep: lesson not opened: %s\n", qPrintable(error));
    });
}

void LessonBar::request(const QString &word)
{
    journal_.event(QStringLiteral("lesson bar"), word);
    send([line = QStringLiteral("Lesson * ") + word](Personality &p) { return p.runFromGui(line); },
         [this](const CommandOutcome &out) {
             if (!out.ok)
                 window_.statusBar()->showMessage(out.error, 5000);
         });
}

void LessonBar::askAndOpen()
{
    journal_.event(QStringLiteral("menu"), QStringLiteral("Open Lesson"));
    const QString path = QFileDialog::getOpenFileName(&window_, tr("Open Lesson"),
                                                      lastFolder_.isEmpty() ? lessonsFolder() : lastFolder_,
                                                      tr("Lessons (*.lesson);;All files (*)"));
    if (path.isEmpty())
        return;
    lastFolder_ = QFileInfo(path).absolutePath();
    QPointer<QMainWindow> window(&window_);
    openFile(path, [window](const QString &error) {
        if (error.isEmpty() || !window)
            return;
        QMessageBox box(QMessageBox::Warning, tr("Open Lesson"), tr("The lesson was not opened; none of it ran."),
                        QMessageBox::Ok, window);
        box.setInformativeText(error);
        box.exec();
    });
}

void LessonBar::askAndSaveCommands()
{
    journal_.event(QStringLiteral("menu"), QStringLiteral("Save Commands As"));
    const QStringList commands = personality_ ? personality_->recordedCommands() : QStringList();
    if (commands.isEmpty()) {
        window_.statusBar()->showMessage(tr("Nothing to save: no command has changed the scenario yet."), 5000);
        return;
    }
    const QString folder = lastFolder_.isEmpty() ? QDir::homePath() : lastFolder_;
    const QString path = QFileDialog::getSaveFileName(&window_, tr("Save Commands As"),
                                                      QDir(folder).filePath(QStringLiteral("Velmora commands.lesson")),
                                                      tr("Lessons (*.lesson);;All files (*)"));
    if (path.isEmpty())
        return;
    lastFolder_ = QFileInfo(path).absolutePath();
    const QStringList header{
        QStringLiteral("Commands saved from ZEP on %1")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
        QStringLiteral("Open it in a fresh host (File, Open Lesson..., or velmora-zep --lesson FILE)"),
        QStringLiteral("to rebuild the scene: the commands that changed it, in order.")};
    QSaveFile file(path);
    const QByteArray text = lessonText(header, commands);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        journal_.event(QStringLiteral("lesson"), QStringLiteral("commands not saved: ") + file.errorString());
        QMessageBox::warning(&window_, tr("Save Commands As"),
                             tr("The commands were not saved to %1: %2").arg(path, file.errorString()));
        return;
    }
    journal_.event(QStringLiteral("lesson"), QStringLiteral("%1 commands saved to %2").arg(commands.size()).arg(path));
    window_.statusBar()->showMessage(tr("%1 commands saved to %2").arg(commands.size()).arg(path), 5000);
}

} // namespace zep
