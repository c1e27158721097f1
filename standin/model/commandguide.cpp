// The command list of docs/scripting.md: `velmora-zep --command-table` prints
// it, and the guide's test compares it and runs every example.

#include "standin/model/commandguide.h"

#include "standin/model/commandtable.h"

#include <QRegularExpression>

namespace zep {

namespace {

const CommandFamily kFamilies[] = {
    {"Scenario, time and orbit", scenarioCommands()},
    {"Views", viewCommands()},
    {"Kept orbits and transfers", compareCommands()},
    {"Targets", targetCommands()},
    {"The host and its window", applicationCommands()},
};

const char *const kOpening[] = {
    "New / Scenario Demo",
    "New / */Satellite LEO",
    "SetState */Satellite/LEO Classical TwoBody \"1 Jul 2005 12:00:00.00\" \"2 Jul 2005 12:00:00.00\" 60 J2000 "
    "\"1 Jul 2005 12:00:00.00\" 6778137 0 51.6 0 0 0",
    "New / */Satellite GEO",
    "SetState */Satellite/GEO Classical TwoBody \"1 Jul 2005 12:00:00.00\" \"2 Jul 2005 12:00:00.00\" 60 J2000 "
    "\"1 Jul 2005 12:00:00.00\" 42164137 0 0 0 0 0",
};

CommandExample describe(const CommandEntry &entry, const QString &name)
{
    // A usage of several forms reads "FORM\", \"FORM\" or \"FORM" so that the
    // refusal quoting it reads right; the guide shows each form on its own.
    static const QRegularExpression between(QStringLiteral("\"(, | or )\""));
    return {name, QString::fromLatin1(entry.usage).split(between),
            QString::fromLatin1(entry.example ? entry.example : "")};
}

QList<CommandExample> examplesOf(const CommandFamily &family)
{
    QList<CommandExample> rows;
    for (const CommandEntry &entry : family.commands) {
        const QString keyword = QString::fromLatin1(entry.keyword);
        if (entry.requests.empty())
            rows.append(describe(entry, keyword));
        for (const CommandEntry &request : entry.requests)
            rows.append(describe(request, keyword + u' ' + QLatin1StringView(request.keyword)));
    }
    return rows;
}

} // namespace

std::span<const CommandFamily> commandFamilies()
{
    return kFamilies;
}

std::span<const char *const> exampleOpening()
{
    return kOpening;
}

QList<CommandExample> commandExamples()
{
    QList<CommandExample> all;
    for (const CommandFamily &family : commandFamilies())
        all += examplesOf(family);
    return all;
}

QString commandListMarkdown()
{
    QString text = QStringLiteral("The examples run in this order, after these opening lines:\n\n");
    for (const char *line : exampleOpening())
        text += QStringLiteral("    %1\n").arg(QLatin1StringView(line));
    for (const CommandFamily &family : commandFamilies()) {
        text += QStringLiteral("\n### %1\n\n").arg(QLatin1StringView(family.title));
        for (const CommandExample &row : examplesOf(family)) {
            text += QStringLiteral("- **%1**\n").arg(row.name);
            for (const QString &form : row.grammar)
                text += QStringLiteral("  - `%1`\n").arg(form);
            text += QStringLiteral("  - example: `%1`\n").arg(row.example);
        }
    }
    return text;
}

QStringList exampleScript()
{
    QStringList lines;
    for (const char *line : exampleOpening())
        lines.append(QString::fromLatin1(line));
    for (const CommandExample &command : commandExamples())
        lines.append(command.example);
    return lines;
}

} // namespace zep
