#pragma once
// Plays a lesson on the host's scenario: the Lesson commands
//   Lesson / Open "FILE"                   replies the step count and the title
//   Lesson * Next | Back | Close | Status  Next, Back and Status reply the step,
//                                          the step count and the caption
// Entering step k restores the scenario as it was when the lesson opened and
// runs the opening and steps 1..k, so Back shows exactly what Next showed;
// satellites the lesson never names keep their current state. One thread at a
// time (the command thread in the host); no widgets.

#include "standin/model/interpreter.h"
#include "standin/model/lesson.h"

#include <QSet>

#include <vector>

namespace zep {

class LessonPlayer {
public:
    explicit LessonPlayer(ScenarioStore &store);

    struct Result {
        CommandOutcome out;
        // For the GUI, in order, without waiting: the bars and the clock as
        // the lines that ran left them.
        std::vector<UiRequest> ui;
    };

    // Whether the line is a Lesson command (its first word).
    static bool handles(const QString &line);
    Result execute(const QString &line);
    // Lesson / Open with a path the command language could not quote.
    Result open(const QString &path);

    bool isOpen() const { return lesson_.has_value(); }
    int step() const { return step_; }

private:
    Result enter(int step);
    Result status() const;
    Result close();

    ScenarioStore &store_;
    std::optional<LessonScript> lesson_;
    SnapshotPtr base_;
    QSet<QString> named_;  // lower-case names of the satellites the lesson names
    int step_ = 0;
};

// The scenario to run a step on: base, with the satellites the lesson does not
// name (and what they own) as they are now, and what only grows (the viewer's
// serial, the revision) kept from now.
Snapshot lessonBase(const Snapshot &base, const Snapshot &now, const QSet<QString> &named);

// The lower-case names of the satellites the lines name.
QSet<QString> namedSatellites(const std::vector<LessonLine> &lines);

} // namespace zep
