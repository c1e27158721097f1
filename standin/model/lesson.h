#pragma once
// A lesson: a UTF-8 text file of the host's own commands, with "#" comments,
// blank lines and step lines `Step "caption"`. The lines before the first
// step open it; each step's lines run when the step is entered. A file is
// read whole and checked whole (every line run on a copy of the scenario)
// before any of it runs, so that a lesson never stops half way.

#include "standin/model/snapshot.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zep {

inline constexpr qint64 kMaxLessonBytes = 1024 * 1024;
inline constexpr qsizetype kMaxLessonLineBytes = 64 * 1024;

struct LessonLine {
    int number = 0;  // in the file, from 1
    QString text;    // without the blanks around it
};

struct LessonStep {
    int number = 0;  // the step line's
    QString caption;
    std::vector<LessonLine> commands;
};

struct LessonScript {
    QString file;
    // The first comment, when it comes before any command or step; else the
    // file's name without its suffix.
    QString title;
    std::vector<LessonLine> opening;
    std::vector<LessonStep> steps;
    // What a host without a scenario opens first: the lesson's own
    // "New / Scenario NAME", else "Lesson".
    QString scenarioName = QStringLiteral("Lesson");

    // Every command line, the opening first, in file order.
    std::vector<LessonLine> allCommands() const;
};

// Why a lesson was refused. line 0: the file as a whole.
struct LessonRefusal {
    QString file;
    int line = 0;
    QString text;
    QString why;

    // "FILE:LINE: LINE-TEXT: why", or "FILE: why".
    QString message() const;
};

struct LessonReading {
    std::optional<LessonScript> lesson;
    LessonRefusal refusal;  // when there is no lesson
};

// The file: refuses anything but a regular file, above kMaxLessonBytes, a
// line above kMaxLessonLineBytes, text that is not UTF-8, a line that is not
// blank, a comment, a step or a command a lesson may hold, and a lesson with
// neither a command nor a step.
LessonReading readLesson(const QString &path);
LessonReading parseLesson(const QString &file, const QByteArray &bytes);

// Runs the opening and every step in order, in lesson mode, on a copy of
// base (a scenario opened first if base has none); the first refusal.
std::optional<LessonRefusal> checkLesson(const LessonScript &lesson, const Snapshot &base);

// Commands as a lesson file that rebuilds their scene in a fresh host; the
// first line of header becomes the lesson's title.
QByteArray lessonText(const QStringList &header, const QStringList &commands);

} // namespace zep
