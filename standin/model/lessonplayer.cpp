#include "standin/model/lessonplayer.h"

#include "standin/model/commandreader.h"
#include "standin/model/tokenizer.h"

namespace zep {

namespace {

const char kUsage[] = "expected \"Lesson / Open \"FILE\"\" or \"Lesson * Next|Back|Close|Status\"";

LessonPlayer::Result refused(const QString &why)
{
    return {fail(why), {}};
}

// "satellite/name ..." keys belong to the satellite NAME.
QString geometryOwner(const QString &key)
{
    static const QString prefix = QStringLiteral("satellite/");
    return key.startsWith(prefix) ? key.mid(prefix.size()).section(u' ', 0, 0) : QString();
}

// What brings the bars from how they are to how they were.
std::vector<UiRequest> chromeRequests(const Snapshot::Chrome &from, const Snapshot::Chrome &to)
{
    std::vector<UiRequest> requests;
    auto request = [&](UiRequest::Kind kind, bool show, const QString &bar = {}) {
        UiRequest r;
        r.kind = kind;
        r.show = show;
        r.toolBar = bar;
        requests.push_back(r);
    };
    if (from.statusBar != to.statusBar)
        request(UiRequest::Kind::StatusBar, to.statusBar);
    if (from.menuBar != to.menuBar)
        request(UiRequest::Kind::MenuBar, to.menuBar);
    for (const QString &name : hostToolBarNames()) {
        const bool was = from.toolBars.value(name, true), shown = to.toolBars.value(name, true);
        if (was != shown)
            request(UiRequest::Kind::ToolBar, shown, name);
    }
    return requests;
}

} // namespace

Snapshot lessonBase(const Snapshot &base, const Snapshot &now, const QSet<QString> &named)
{
    Snapshot s = base;
    s.revision = now.revision;
    s.viewer.serial = now.viewer.serial;
    s.selected = now.selected;
    const auto isNamed = [&](const QString &name) { return named.contains(name.toLower()); };
    s.satellites.clear();
    for (const SatelliteState &sat : base.satellites) {
        if (isNamed(sat.name))
            s.satellites.push_back(sat);
        else if (const SatelliteState *current = now.findSatellite(sat.name))
            s.satellites.push_back(*current);
    }
    for (const SatelliteState &sat : now.satellites) {
        if (!isNamed(sat.name) && !base.findSatellite(sat.name))
            s.satellites.push_back(sat);
    }
    for (auto it = s.geometry.begin(); it != s.geometry.end();) {
        const QString owner = geometryOwner(it.key());
        it = !owner.isEmpty() && !isNamed(owner) ? s.geometry.erase(it) : std::next(it);
    }
    for (auto it = now.geometry.cbegin(); it != now.geometry.cend(); ++it) {
        const QString owner = geometryOwner(it.key());
        if (!owner.isEmpty() && !isNamed(owner))
            s.geometry.insert(it.key(), it.value());
    }
    return s;
}

QSet<QString> namedSatellites(const std::vector<LessonLine> &lines)
{
    QSet<QString> names;
    for (const LessonLine &line : lines) {
        const QStringList words = tokenize(line.text).words;
        for (qsizetype w = 1; w < words.size(); ++w) {
            const QStringList parts = words[w].split(u'/');
            for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
                if (isKeyword(parts[i], "Satellite"))
                    names.insert(parts[i + 1].section(u' ', 0, 0).toLower());
            }
        }
        // "New / */Satellite NAME" names it after the path.
        if (words.size() == 4 && isKeyword(words[0], "New") && words[2].endsWith(QStringLiteral("/Satellite"), Qt::CaseInsensitive))
            names.insert(words[3].toLower());
    }
    return names;
}

LessonPlayer::LessonPlayer(ScenarioStore &store) : store_(store) {}

bool LessonPlayer::handles(const QString &line)
{
    return line.section(u' ', 0, 0).compare(QStringLiteral("Lesson"), Qt::CaseInsensitive) == 0;
}

LessonPlayer::Result LessonPlayer::execute(const QString &line)
{
    const Tokens tokens = tokenize(line);
    if (!tokens.ok)
        return refused(tokens.error);
    const QStringList &w = tokens.words;
    if (w.size() == 4 && w[1] == u'/' && isKeyword(w[2], "Open"))
        return open(w[3]);
    if (w.size() != 3 || w[1] != u'*')
        return refused(QStringLiteral("Lesson: ") + QLatin1StringView(kUsage));
    enum { Next, Back, Close, Status };
    int request = -1;
    for (const char *word : {"Next", "Back", "Close", "Status"}) {
        ++request;
        if (isKeyword(w[2], word))
            break;
        if (request == Status)
            return refused(QStringLiteral("Lesson: unknown request %1 (Next, Back, Close or Status)").arg(quoted(w[2])));
    }
    if (!lesson_)
        return refused(QStringLiteral("Lesson: no lesson is open"));
    const int count = int(lesson_->steps.size());
    switch (request) {
    case Next:
        if (step_ >= count)
            return refused(QStringLiteral("Lesson: this is the last step (%1 of %2)").arg(step_).arg(count));
        return enter(step_ + 1);
    case Back:
        if (step_ <= 0)
            return refused(QStringLiteral("Lesson: this is the lesson's opening, before step 1"));
        return enter(step_ - 1);
    case Close:
        return close();
    default:
        return status();
    }
}

LessonPlayer::Result LessonPlayer::open(const QString &path)
{
    LessonReading reading = readLesson(path);
    if (!reading.lesson)
        return refused(reading.refusal.message());
    const SnapshotPtr now = store_.snapshot();
    if (const auto refusal = checkLesson(*reading.lesson, *now))
        return refused(refusal->message());

    Result result;
    if (!now->scenarioOpen) {
        CommandInterpreter interpreter(store_);
        const CommandOutcome opened = interpreter.execute(QStringLiteral("New / Scenario ") + reading.lesson->scenarioName);
        if (!opened.ok)
            return refused(opened.error);
        result.ui.push_back(opened.ui);
    }
    lesson_ = std::move(*reading.lesson);
    base_ = store_.snapshot();
    named_ = namedSatellites(lesson_->allCommands());
    Result entered = enter(0);
    if (!entered.out.ok) {
        close();
        return entered;
    }
    result.ui.insert(result.ui.end(), entered.ui.begin(), entered.ui.end());
    result.out = done({QString::number(lesson_->steps.size()), lesson_->title});
    result.out.scenarioChanged = true;
    return result;
}

LessonPlayer::Result LessonPlayer::enter(int step)
{
    std::vector<LessonLine> lines = lesson_->opening;
    for (int k = 0; k < step; ++k)
        lines.insert(lines.end(), lesson_->steps[k].commands.begin(), lesson_->steps[k].commands.end());

    Result result;
    QString failure;
    // Built aside and published at once, under the store's writer turn: the
    // views never see half a step.
    store_.modify([&](Snapshot &next) {
        ScenarioStore scratch;
        scratch.publish(std::make_shared<const Snapshot>(lessonBase(*base_, next, named_)));
        CommandInterpreter interpreter(scratch);
        interpreter.setLessonMode(true);
        result.ui = chromeRequests(next.chrome, base_->chrome);
        for (const LessonLine &line : lines) {
            const CommandOutcome out = interpreter.execute(line.text);
            if (!out.ok) {
                failure = LessonRefusal{lesson_->file, line.number, line.text, out.error}.message();
                return false;
            }
            if (out.ui.kind != UiRequest::Kind::None)
                result.ui.push_back(out.ui);
        }
        const quint64 revision = next.revision;
        next = *scratch.snapshot();
        next.revision = revision;
        next.lesson = {true, lesson_->title, lesson_->file, step, int(lesson_->steps.size()),
                       step > 0 ? lesson_->steps[step - 1].caption : QString()};
        return true;
    });
    if (!failure.isEmpty())
        return refused(failure);
    step_ = step;
    result.out = status().out;
    result.out.scenarioChanged = true;
    return result;
}

LessonPlayer::Result LessonPlayer::status() const
{
    const QString caption = step_ > 0 ? lesson_->steps[step_ - 1].caption : QString();
    return {done({QString::number(step_), QString::number(lesson_->steps.size()), caption}), {}};
}

LessonPlayer::Result LessonPlayer::close()
{
    lesson_.reset();
    base_.reset();
    named_.clear();
    step_ = 0;
    store_.modify([](Snapshot &next) {
        if (!next.lesson.open)
            return false;
        next.lesson = {};
        return true;
    });
    Result result{done(), {}};
    result.out.scenarioChanged = true;
    return result;
}

} // namespace zep
