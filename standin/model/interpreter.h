#pragma once
// The host's command object without any widget: it reads one command line,
// changes the scenario through the store, and says what the GUI has to do.
// One thread at a time calls execute() (the command thread in the host).

#include "standin/model/store.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace zep {

// The main window's tool bars, by the names the commands use.
const QStringList &hostToolBarNames();

// What a command asks of the widgets after the model accepted it.
struct UiRequest {
    enum class Kind { None, OpenScenarioWindow, StatusBar, MenuBar, ToolBar, Animate, SavePicture };
    // Kind::Animate: what the animation clock does, as its tool bar buttons would.
    enum class Clock { Start, Pause, Reset, StepForward, StepBackward };
    Kind kind = Kind::None;
    bool show = true;
    QString toolBar;  // Kind::ToolBar: a name of hostToolBarNames(), or "*" for all
    Clock clock = Clock::Pause;
    QString path;  // Kind::SavePicture: an absolute file name
};

// How the command thread has the GUI carry out a request; done() may be
// called from any thread, with an empty text on success.
class UiPort {
public:
    virtual ~UiPort() = default;
    virtual void carryOut(const UiRequest &request, std::function<void(const QString &error)> done) = 0;
};

struct CommandOutcome {
    bool ok = false;
    QStringList reply;
    QString error;          // when !ok: why, in plain words
    UiRequest ui;           // carry out on the GUI thread before replying
    bool scenarioChanged = false;  // objects, span, animation or epoch: the GUI catches up
    bool keepsEdit = false;        // a refusal that the scenario records (a refused state)
};

class CommandInterpreter {
public:
    explicit CommandInterpreter(ScenarioStore &store);

    CommandOutcome execute(const QString &line);

    // Lesson mode, for the lines of a lesson: any "Scenario/NAME" means the
    // open scenario (a lesson names its own, the host may hold another),
    // "New / Scenario NAME" does nothing while one is open, and commands not
    // for lessons are refused.
    void setLessonMode(bool on) { lessonMode_ = on; }
    bool lessonMode() const { return lessonMode_; }

    // What a line's first word names, for readers of command files and the
    // record of what changed the scenario.
    enum class CommandKind { Unknown, Query, Change, NotInLessons };
    static CommandKind kindOf(const QString &keyword);

    static QString versionText();

private:
    ScenarioStore &store_;
    bool lessonMode_ = false;
};

} // namespace zep
