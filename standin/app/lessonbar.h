#pragma once
// Lessons from the host's own window: File, "Open Lesson..." and "Save
// Commands As...", and the lesson bar, which shows while a lesson is open
// ("Step N of M", the caption, Back and Next on Page Up and Page Down, Close)
// and follows the snapshot like everything else. Lesson lines never run on the
// GUI thread: each request goes to the Personality on the command thread and
// its outcome comes back here. GUI thread only.

#include "standin/model/interpreter.h"
#include "standin/model/journal.h"
#include "standin/model/store.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QToolBar;

namespace zep {

class Personality;

class LessonBar : public QObject {
    Q_OBJECT
public:
    LessonBar(QMainWindow &window, ScenarioStore &store, Journal &journal);

    // Before the menu's first item.
    void extendFileMenu(QMenu *file);
    // Once the Personality exists; until then the lesson items do nothing.
    void attach(Personality *personality);

    QToolBar *bar() const { return bar_; }

    // --lesson FILE: a refusal is one line on stderr and the host goes on.
    void openAtStart(const QString &path);
    void openFile(const QString &path, std::function<void(const QString &error)> answered);
    void request(const QString &word);  // Next, Back or Close

    // Where the Open dialog starts: the installed lessons beside the
    // program, else the source tree's when it runs from its build tree.
    static QString lessonsFolder();

public slots:
    void follow();

private:
    // Runs on the command thread, then answered on this one.
    void send(std::function<CommandOutcome(Personality &)> run, std::function<void(const CommandOutcome &)> answered);
    void askAndOpen();
    void askAndSaveCommands();

    QMainWindow &window_;
    ScenarioStore &store_;
    Journal &journal_;
    QPointer<Personality> personality_;
    QToolBar *bar_ = nullptr;
    QLabel *title_ = nullptr, *step_ = nullptr, *caption_ = nullptr;
    QAction *back_ = nullptr, *next_ = nullptr, *close_ = nullptr;
    QString lastFolder_;
    bool placed_ = false;
};

} // namespace zep
