#pragma once
// The scripting guide's command list, printed from the interpreter's own
// tables so that the guide cannot drift from what the host accepts.

#include <QString>
#include <QStringList>

namespace zep {

struct CommandExample {
    QString name;     // "SetState", or "Animate Start" for a family's request
    QStringList grammar;  // the usage, one line per form
    QString example;  // empty when the table gives none
};

// Every command that runs (a family's requests, not the family), in the
// guide's order.
QList<CommandExample> commandExamples();

// The markdown between the guide's command-list markers, ending in a newline.
QString commandListMarkdown();

// The guide's opening lines, then every example, in the order they run.
QStringList exampleScript();

} // namespace zep
