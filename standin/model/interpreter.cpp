#include "standin/model/interpreter.h"

#include "standin/model/commandtable.h"
#include "standin/model/tokenizer.h"

#include <QHash>

namespace zep {

const QStringList &hostToolBarNames()
{
    static const QStringList names{QStringLiteral("Standard"), QStringLiteral("Animation"),
                                   QStringLiteral("View")};
    return names;
}

namespace {

const CommandEntry *findCommand(const QString &keyword)
{
    static const QHash<QString, const CommandEntry *> table = [] {
        QHash<QString, const CommandEntry *> byKeyword;
        for (const CommandFamily &family : commandFamilies()) {
            for (const CommandEntry &entry : family.commands)
                byKeyword.insert(QString::fromLatin1(entry.keyword).toLower(), &entry);
        }
        return byKeyword;
    }();
    return table.value(keyword.toLower());
}

// A family's grammar when its request word is missing: the words before it, then the choices.
QString familyUsage(const CommandEntry &family)
{
    QStringList requests;
    for (const CommandEntry &request : family.requests)
        requests.append(QLatin1StringView(request.keyword));
    return QStringLiteral("%1 %2 ...").arg(QLatin1StringView(family.usage), requests.join(u'|'));
}

QString choiceList(std::span<const CommandEntry> requests)
{
    QString list;
    for (size_t i = 0; i < requests.size(); ++i) {
        if (i > 0)
            list += i + 1 == requests.size() ? QStringLiteral(" or ") : QStringLiteral(", ");
        list += QLatin1StringView(requests[i].keyword);
    }
    return list;
}

// Picks the entry (for a family, by its request word), reads the target and
// hands the rest of the words to the handler.
CommandOutcome run(const CommandEntry &command, const QStringList &words, CommandReader &r)
{
    const CommandEntry *entry = &command;
    const bool family = !command.requests.empty();
    if (family) {
        if (words.size() < 3)
            return r.refuse(QStringLiteral("expected \"%1\"").arg(familyUsage(command)));
        entry = nullptr;
        for (const CommandEntry &request : command.requests) {
            if (isKeyword(words[2], request.keyword))
                entry = &request;
        }
        if (!entry)
            return r.refuse(QStringLiteral("unknown request %1 (%2)").arg(quoted(words[2]), choiceList(command.requests)));
    }
    r.setUsage(entry->usage);
    if (!r.target(entry->target))
        return r.refusal();
    if (family)
        r.word();  // the request word, matched above
    return entry->handler(r);
}

} // namespace

CommandInterpreter::CommandInterpreter(ScenarioStore &store) : store_(store) {}

CommandInterpreter::CommandKind CommandInterpreter::kindOf(const QString &keyword)
{
    const CommandEntry *command = findCommand(keyword);
    if (!command)
        return CommandKind::Unknown;
    if (command->notInLessons)
        return CommandKind::NotInLessons;
    return command->query ? CommandKind::Query : CommandKind::Change;
}

QString CommandInterpreter::versionText()
{
    return QStringLiteral("ZEP v7.0 (Velmora stand-in host)");
}

CommandOutcome CommandInterpreter::execute(const QString &line)
{
    const Tokens tokens = tokenize(line);
    if (!tokens.ok)
        return fail(tokens.error);

    const QStringList &words = tokens.words;
    const CommandEntry *command = findCommand(words.first());
    if (!command)
        return fail(QStringLiteral("unknown command %1").arg(quoted(words.first())));
    if (lessonMode_ && command->notInLessons)
        return fail(QStringLiteral("%1 is not allowed in a lesson").arg(words.first()));
    if (words.size() < 2)
        return fail(QStringLiteral("%1: the target path is missing").arg(words.first()));

    if (command->query) {
        const SnapshotPtr current = store_.snapshot();
        CommandReader reader(words, *current);
        reader.setLessonMode(lessonMode_);
        return run(*command, words, reader);
    }
    CommandOutcome out;
    store_.modify([&](Snapshot &next) {
        CommandReader reader(words, next);
        reader.setLessonMode(lessonMode_);
        out = run(*command, words, reader);
        return (out.ok || out.keepsEdit) && reader.changed();
    });
    return out;
}

} // namespace zep
