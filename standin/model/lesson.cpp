#include "standin/model/lesson.h"

#include "standin/model/commandreader.h"
#include "standin/model/interpreter.h"
#include "standin/model/store.h"
#include "standin/model/tokenizer.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace zep {

namespace {

LessonReading refuse(const QString &file, int line, const QString &text, const QString &why)
{
    LessonReading reading;
    reading.refusal = {file, line, text, why};
    return reading;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString withoutBlanks(const QString &line)
{
    qsizetype from = 0, to = line.size();
    while (from < to && isBlank(line.at(from)))
        ++from;
    while (to > from && isBlank(line.at(to - 1)))
        --to;
    return line.mid(from, to - from);
}

// `Step "caption"`: the caption may hold any text but a double quote.
std::optional<QString> stepCaption(const QString &line, QString *why)
{
    const QString rest = line.mid(4);
    if (!rest.startsWith(QStringLiteral(" \"")) || rest.size() < 3) {
        *why = QStringLiteral("expected Step \"caption\"");
        return std::nullopt;
    }
    const qsizetype close = rest.indexOf(u'"', 2);
    if (close < 0) {
        *why = QStringLiteral("the caption's quote is not closed");
        return std::nullopt;
    }
    if (close != rest.size() - 1) {
        *why = QStringLiteral("expected Step \"caption\" and nothing after it");
        return std::nullopt;
    }
    const QString caption = withoutBlanks(rest.mid(2, close - 2));
    if (caption.isEmpty()) {
        *why = QStringLiteral("the step's caption is empty");
        return std::nullopt;
    }
    return caption;
}

bool isStepLine(const QString &line)
{
    return line.startsWith(QStringLiteral("Step"), Qt::CaseInsensitive) && (line.size() == 4 || isBlank(line.at(4)));
}

// Why a command line cannot be in a lesson, or "".
QString commandProblem(const QStringList &words)
{
    const QString &keyword = words.first();
    if (keyword.compare(QStringLiteral("Lesson"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("a lesson cannot open or move another lesson");
    switch (CommandInterpreter::kindOf(keyword)) {
    case CommandInterpreter::CommandKind::Unknown:
        return QStringLiteral("unknown command %1").arg(quoted(keyword));
    case CommandInterpreter::CommandKind::NotInLessons:
        return QStringLiteral("%1 is not allowed in a lesson").arg(keyword);
    case CommandInterpreter::CommandKind::Query:
    case CommandInterpreter::CommandKind::Change:
        break;
    }
    return {};
}

} // namespace

std::vector<LessonLine> LessonScript::allCommands() const
{
    std::vector<LessonLine> lines = opening;
    for (const LessonStep &step : steps)
        lines.insert(lines.end(), step.commands.begin(), step.commands.end());
    return lines;
}

QString LessonRefusal::message() const
{
    if (line <= 0)
        return QStringLiteral("%1: %2").arg(file, why);
    return QStringLiteral("%1:%2: %3: %4").arg(file).arg(line).arg(text, why);
}

LessonReading readLesson(const QString &path)
{
    // A FIFO or a device would block the reader or never end.
    const QFileInfo info(path);
    if (!info.exists())
        return refuse(path, 0, {}, QStringLiteral("no such file"));
    if (!info.isFile())
        return refuse(path, 0, {}, QStringLiteral("not a regular file"));
    if (info.size() > kMaxLessonBytes)
        return refuse(path, 0, {}, QStringLiteral("larger than 1 MiB (%1 bytes)").arg(info.size()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(path, 0, {}, file.errorString());
    // It may have grown since it was looked at.
    const QByteArray bytes = file.read(kMaxLessonBytes + 1);
    if (bytes.size() > kMaxLessonBytes)
        return refuse(path, 0, {}, QStringLiteral("larger than 1 MiB"));
    if (file.error() != QFileDevice::NoError)
        return refuse(path, 0, {}, file.errorString());
    return parseLesson(path, bytes);
}

LessonReading parseLesson(const QString &file, const QByteArray &bytes)
{
    if (bytes.size() > kMaxLessonBytes)
        return refuse(file, 0, {}, QStringLiteral("larger than 1 MiB (%1 bytes)").arg(bytes.size()));
    LessonScript lesson;
    lesson.file = file;
    lesson.title = QFileInfo(file).completeBaseName();
    bool titled = false, begun = false, named = false;

    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))  // a byte order mark some editors write
        rest = rest.sliced(3);
    for (int number = 1; !rest.isEmpty(); ++number) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView raw = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (raw.size() > kMaxLessonLineBytes)
            return refuse(file, number, QString::fromUtf8(raw.first(40)) + QStringLiteral("..."),
                          QStringLiteral("the line is longer than 64 KiB (%1 bytes)").arg(raw.size()));
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder.decode(raw);
        if (decoder.hasError())
            return refuse(file, number, decoded, QStringLiteral("the line is not UTF-8 text"));
        const QString line = withoutBlanks(decoded);

        if (line.isEmpty())
            continue;
        if (line.startsWith(u'#')) {
            const QString comment = withoutBlanks(line.mid(1));
            if (!titled && !begun && !comment.isEmpty())
                lesson.title = comment;
            titled = titled || !comment.isEmpty();
            continue;
        }
        begun = true;
        if (isStepLine(line)) {
            QString why;
            const auto caption = stepCaption(line, &why);
            if (!caption)
                return refuse(file, number, line, why);
            lesson.steps.push_back({number, *caption, {}});
            continue;
        }
        const Tokens tokens = tokenize(line);
        if (!tokens.ok)
            return refuse(file, number, line, tokens.error);
        if (const QString why = commandProblem(tokens.words); !why.isEmpty())
            return refuse(file, number, line, why);
        const QStringList &w = tokens.words;
        if (!named && w.size() == 4 && w[1] == u'/' && isKeyword(w[2], "Scenario")) {
            lesson.scenarioName = w[3];
            named = true;
        }
        (lesson.steps.empty() ? lesson.opening : lesson.steps.back().commands).push_back({number, line});
    }
    if (!begun)
        return refuse(file, 0, {}, QStringLiteral("the lesson holds no command and no step"));
    LessonReading reading;
    reading.lesson = std::move(lesson);
    return reading;
}

std::optional<LessonRefusal> checkLesson(const LessonScript &lesson, const Snapshot &base)
{
    ScenarioStore scratch;
    scratch.publish(std::make_shared<const Snapshot>(base));
    CommandInterpreter interpreter(scratch);
    if (!base.scenarioOpen) {
        const CommandOutcome opened = interpreter.execute(QStringLiteral("New / Scenario ") + lesson.scenarioName);
        if (!opened.ok)
            return LessonRefusal{lesson.file, 0, {}, opened.error};
    }
    interpreter.setLessonMode(true);
    for (const LessonLine &line : lesson.allCommands()) {
        const CommandOutcome out = interpreter.execute(line.text);
        if (!out.ok)
            return LessonRefusal{lesson.file, line.number, line.text, out.error};
    }
    return std::nullopt;
}

QByteArray lessonText(const QStringList &header, const QStringList &commands)
{
    QByteArray text;
    for (const QString &line : header)
        text += "# " + line.toUtf8() + '\n';
    text += '\n';
    for (const QString &command : commands)
        text += command.toUtf8() + '\n';
    return text;
}

} // namespace zep
