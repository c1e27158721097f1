#include "standin/model/commandreader.h"

#include <cmath>

namespace zep {

namespace {

// Plain decimal text: sign, digits with an optional point, optional exponent.
// Anything else ("nan", "inf", hexadecimal, blanks) is not a number, nor is a
// value that does not fit a double.
std::optional<double> parseNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto digits = [&] {
        const qsizetype from = i;
        while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 0x80)
            ++i;
        return i - from;
    };
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    qsizetype mantissa = digits();
    if (i < n && text.at(i) == u'.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return std::nullopt;
    if (i < n && (text.at(i) == u'e' || text.at(i) == u'E')) {
        ++i;
        if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
            ++i;
        if (digits() == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<bool> parseSwitch(const QString &word)
{
    if (isKeyword(word, "On"))
        return true;
    if (isKeyword(word, "Off"))
        return false;
    return std::nullopt;
}

bool validName(const QString &name)
{
    if (name.isEmpty() || name.size() > 64)
        return false;
    for (QChar c : name) {
        if (!(c.isLetterOrNumber() || c == u'_' || c == u'-'))
            return false;
    }
    return true;
}

QString refusalFor(const char *refusal, const QString &word)
{
    return QString(QLatin1StringView(refusal)).arg(quoted(word));
}

} // namespace

bool isKeyword(const QString &word, const char *keyword)
{
    return word.compare(QLatin1StringView(keyword), Qt::CaseInsensitive) == 0;
}

QString quoted(const QString &text)
{
    // Echoed words can be long: keep messages readable.
    constexpr qsizetype kShown = 60;
    if (text.size() > kShown)
        return u'"' + text.left(kShown) + QStringLiteral("...\"");
    return u'"' + text + u'"';
}

QString dateText(astro::Instant t)
{
    return QString::fromStdString(astro::formatDate(t));
}

CommandOutcome fail(QString why)
{
    CommandOutcome out;
    out.error = std::move(why);
    return out;
}

CommandOutcome done(QStringList reply)
{
    CommandOutcome out;
    out.ok = true;
    out.reply = std::move(reply);
    return out;
}

CommandOutcome scenarioChanged()
{
    CommandOutcome out = done();
    out.scenarioChanged = true;
    return out;
}

bool CommandReader::noteRefusal(const QString &why)
{
    if (error_.isEmpty())
        error_ = why;
    return false;
}

QString CommandReader::usageText() const
{
    return QStringLiteral("expected \"%1\"").arg(QLatin1StringView(usage_));
}

CommandOutcome CommandReader::refusal() const
{
    return zep::fail(QStringLiteral("%1: %2").arg(words_.first(), error_));
}

CommandOutcome CommandReader::refuse(const QString &why)
{
    noteRefusal(why);
    return refusal();
}

std::optional<QString> CommandReader::take()
{
    if (!ok())
        return std::nullopt;
    if (cursor_ >= words_.size()) {
        noteRefusal(usageText());
        return std::nullopt;
    }
    return words_.at(cursor_++);
}

bool CommandReader::end()
{
    if (ok() && cursor_ < words_.size())
        noteRefusal(usageText());
    return ok();
}

QString CommandReader::satelliteProblem(const QString &path, int *index) const
{
    const Snapshot &s = state();
    if (!s.scenarioOpen)
        return QStringLiteral("no scenario is open");
    if (s.satellites.empty())
        return QStringLiteral("the scenario has no satellite yet");
    // "Satellite/NAME", "*/Satellite/NAME" or "Scenario/SCENARIO/Satellite/NAME".
    const QStringList parts = path.split(u'/');
    const bool scenarioFits = parts.size() == 2
        || (parts.size() == 3 && parts[0] == u'*')
        || (parts.size() == 4 && isKeyword(parts[0], "Scenario")
            && (lessonMode_ || parts[1].compare(s.scenarioName, Qt::CaseInsensitive) == 0));
    const SatelliteState *found = nullptr;
    if (scenarioFits && isKeyword(parts[parts.size() - 2], "Satellite"))
        found = s.findSatellite(parts.last());
    if (!found) {
        QStringList names;
        for (const SatelliteState &sat : s.satellites)
            names << QStringLiteral("\"Satellite/%1\"").arg(sat.name);
        if (names.size() > 4)
            names = names.mid(0, 3) << QStringLiteral("%1 more").arg(names.size() - 3);
        return QStringLiteral("no satellite %1 in \"Scenario/%2\" (it holds %3)")
            .arg(quoted(path), s.scenarioName, names.join(QStringLiteral(", ")));
    }
    if (index)
        *index = int(found - s.satellites.data());
    return {};
}

bool CommandReader::target(Target kind)
{
    const auto path = take();
    if (!path)
        return false;
    const Snapshot &s = state();
    switch (kind) {
    case Target::Application:
        if (*path != u'/')
            return noteRefusal(QStringLiteral("expected \"/\" (the application), not %1").arg(quoted(*path)));
        return true;
    case Target::Scenario:
        if (!s.scenarioOpen)
            return noteRefusal(QStringLiteral("no scenario is open"));
        if (lessonMode_ && path->startsWith(QStringLiteral("Scenario/"), Qt::CaseInsensitive) && path->size() > 9
            && !path->mid(9).contains(u'/'))
            return true;
        if (path->compare(QStringLiteral("Scenario/") + s.scenarioName, Qt::CaseInsensitive) != 0)
            return noteRefusal(
                QStringLiteral("no scenario %1 (the open one is \"Scenario/%2\")").arg(quoted(*path), s.scenarioName));
        return true;
    case Target::Satellite:
        if (const QString why = satelliteProblem(*path, &satellite_); !why.isEmpty())
            return noteRefusal(why);
        return true;
    case Target::WindowOrSatellite:
        if (*path != u'*') {
            if (const QString why = satelliteProblem(*path, &satellite_); !why.isEmpty())
                return noteRefusal(why);
            return true;
        }
        [[fallthrough]];
    case Target::Window:
        if (*path != u'*')
            return noteRefusal(QStringLiteral("expected \"*\" (the current 3-D window), not %1").arg(quoted(*path)));
        if (!s.scenarioOpen)
            return noteRefusal(QStringLiteral("there is no 3-D window: no scenario is open"));
        return true;
    }
    return false;
}

QString CommandReader::word()
{
    return take().value_or(QString());
}

QString CommandReader::name()
{
    const auto text = take();
    if (text && !validName(*text))
        noteRefusal(refusalFor("%1 is not a name (letters, digits, \"_\" and \"-\", at most 64)", *text));
    return ok() ? *text : QString();
}

bool CommandReader::keyword(const char *keyword)
{
    return oneOf({keyword}) == 0;
}

bool CommandReader::keyword(const char *keyword, const char *refusal)
{
    return oneOf({keyword}, refusal) == 0;
}

int CommandReader::oneOf(std::initializer_list<const char *> choices, const char *refusal)
{
    const auto text = take();
    if (!text)
        return -1;
    int index = 0;
    for (const char *choice : choices) {
        if (isKeyword(*text, choice))
            return index;
        ++index;
    }
    noteRefusal(refusal ? refusalFor(refusal, *text) : usageText());
    return -1;
}

std::optional<bool> CommandReader::onOff()
{
    const int index = oneOf({"Off", "On"}, "expected On or Off, not %1");
    return index < 0 ? std::nullopt : std::optional<bool>(index == 1);
}

std::optional<QColor> CommandReader::colour()
{
    const auto text = take();
    if (!text)
        return std::nullopt;
    if (!QColor::isValidColorName(*text)) {
        noteRefusal(refusalFor("%1 is not a colour", *text));
        return std::nullopt;
    }
    return QColor(*text);
}

std::optional<astro::Instant> CommandReader::date()
{
    const auto text = take();
    if (!text)
        return std::nullopt;
    const QByteArray latin = text->toLatin1();
    const auto instant = astro::parseDate(std::string_view(latin.constData(), size_t(latin.size())));
    if (!instant)
        noteRefusal(refusalFor("%1 is not a date like \"1 Jul 2005 12:00:00.00\"", *text));
    return instant;
}

std::optional<astro::Instant> CommandReader::dateAfter(const std::optional<astro::Instant> &start)
{
    const auto stop = date();
    if (!stop || !start)
        return std::nullopt;
    if (!(stop->seconds > start->seconds)) {
        noteRefusal(QStringLiteral("the stop time must come after the start time"));
        return std::nullopt;
    }
    return stop;
}

// The refusal is formatted only when it is needed: numbers arrive with every state command.
template <typename Text>
std::optional<double> CommandReader::readNumber(const Text &refusal)
{
    const auto text = take();
    if (!text)
        return std::nullopt;
    const auto value = parseNumber(*text);
    if (!value)
        noteRefusal(QString(refusal).arg(quoted(*text)));
    return value;
}

std::optional<double> CommandReader::number(const QString &refusal)
{
    return readNumber(refusal);
}

std::optional<double> CommandReader::above(double floor, const char *refusal)
{
    const auto value = readNumber(QLatin1StringView(refusal));
    if (value && !(*value > floor)) {
        noteRefusal(refusalFor(refusal, words_.at(cursor_ - 1)));
        return std::nullopt;
    }
    return value;
}

std::optional<double> CommandReader::positive(const char *refusal)
{
    return above(0, refusal);
}

std::optional<double> CommandReader::within(double low, double high, const char *refusal)
{
    const auto value = readNumber(QLatin1StringView(refusal));
    if (value && (*value < low || *value > high)) {
        noteRefusal(refusalFor(refusal, words_.at(cursor_ - 1)));
        return std::nullopt;
    }
    return value;
}

bool CommandReader::options(std::initializer_list<Option> known, const char *unknown, int atLeast)
{
    int read = 0;
    for (; more(); ++read) {
        const QString key = word();
        const Option *option = nullptr;
        for (const Option &candidate : known) {
            if (isKeyword(key, candidate.key))
                option = &candidate;
        }
        if (!option)
            return noteRefusal(refusalFor(unknown, key));
        if (bool *const *flag = std::get_if<bool *>(&option->value)) {
            const auto text = take();
            const auto on = text ? parseSwitch(*text) : std::nullopt;
            if (text && !on)
                return noteRefusal(QStringLiteral("%1 takes On or Off, not %2").arg(key, quoted(*text)));
            if (on)
                **flag = *on;
        } else if (const auto colour = this->colour()) {
            *std::get<QColor *>(option->value) = *colour;
        }
    }
    if (ok() && read < atLeast)
        return noteRefusal(usageText());
    return ok();
}

} // namespace zep
