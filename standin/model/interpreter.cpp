#include "standin/model/interpreter.h"

#include "standin/model/tokenizer.h"

#include <QHash>

#include <cmath>
#include <optional>

namespace zep {

const QStringList &hostToolBarNames()
{
    static const QStringList names{QStringLiteral("Standard"), QStringLiteral("Animation"),
                                   QStringLiteral("View")};
    return names;
}

namespace {

constexpr double kDegree = astro::kPi / 180.0;

bool is(const QString &word, QLatin1StringView keyword)
{
    return word.compare(keyword, Qt::CaseInsensitive) == 0;
}

CommandOutcome fail(QString why)
{
    CommandOutcome out;
    out.error = std::move(why);
    return out;
}

CommandOutcome done(QStringList reply = {})
{
    CommandOutcome out;
    out.ok = true;
    out.reply = std::move(reply);
    return out;
}

QString quoted(const QString &text)
{
    // Echoed words can be long: keep messages readable.
    constexpr qsizetype kShown = 60;
    if (text.size() > kShown)
        return u'"' + text.left(kShown) + QStringLiteral("...\"");
    return u'"' + text + u'"';
}

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
    if (is(word, QLatin1StringView("On")))
        return true;
    if (is(word, QLatin1StringView("Off")))
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

// Host-defined geometry: the Earth's, present with every scenario, and the
// satellite's, present with it.
GeometryItem builtIn(GeometryItem::Kind kind, QString path, bool show = false)
{
    GeometryItem item;
    item.kind = kind;
    item.path = std::move(path);
    item.show = show;
    item.showLabel = show;
    item.color = kind == GeometryItem::Kind::Axes ? QColor(Qt::yellow) : QColor(Qt::white);
    return item;
}

void addItem(Snapshot &s, GeometryItem item)
{
    s.geometry.insert(item.path.toLower(), std::move(item));
}

QStringList satelliteVectorNames()
{
    return {QStringLiteral("LineOfNodes"), QStringLiteral("Periapsis"), QStringLiteral("Position"),
            QStringLiteral("Velocity"), QStringLiteral("Orbit_AngMomentum")};
}

QString dateError(const QString &text)
{
    return QStringLiteral("%1 is not a date like \"1 Jul 2005 12:00:00.00\"").arg(quoted(text));
}

std::optional<astro::Instant> readDate(const QString &text)
{
    const QByteArray latin = text.toLatin1();
    return astro::parseDate(std::string_view(latin.constData(), size_t(latin.size())));
}

QString dateText(astro::Instant t)
{
    return QString::fromStdString(astro::formatDate(t));
}

} // namespace

struct CommandInterpreter::Call {
    const QStringList &w;
    const Snapshot *current = nullptr;
    Snapshot *next = nullptr;  // null for queries
    bool changed = false;

    const Snapshot &s() const { return next ? *next : *current; }
    Snapshot &edit()
    {
        changed = true;
        return *next;
    }
    QString word(qsizetype i) const { return i < w.size() ? w.at(i) : QString(); }
    QString command() const { return w.first(); }

    // "" when the target names the open scenario, else why not.
    QString scenarioTarget(qsizetype i) const
    {
        if (!s().scenarioOpen)
            return QStringLiteral("no scenario is open");
        const QString path = word(i);
        if (path.compare(QStringLiteral("Scenario/") + s().scenarioName, Qt::CaseInsensitive) != 0)
            return QStringLiteral("no scenario %1 (the open one is \"Scenario/%2\")")
                .arg(quoted(path), s().scenarioName);
        return {};
    }

    // "" when the target is the current 3-D window ("*"), which exists with the scenario.
    QString windowTarget(qsizetype i) const
    {
        if (word(i) != u'*')
            return QStringLiteral("expected \"*\" (the current 3-D window), not %1").arg(quoted(word(i)));
        if (!s().scenarioOpen)
            return QStringLiteral("there is no 3-D window: no scenario is open");
        return {};
    }

    // "" when the path names the satellite, in full ("Scenario/S/Satellite/X")
    // or short ("Satellite/X").
    QString satelliteTarget(const QString &path) const
    {
        if (!s().scenarioOpen)
            return QStringLiteral("no scenario is open");
        if (!s().hasSatellite)
            return QStringLiteral("the scenario has no satellite yet");
        const QString shortPath = QStringLiteral("Satellite/") + s().satelliteName;
        if (path.compare(shortPath, Qt::CaseInsensitive) == 0
            || path.compare(QStringLiteral("Scenario/%1/%2").arg(s().scenarioName, shortPath),
                            Qt::CaseInsensitive) == 0)
            return {};
        return QStringLiteral("no satellite %1 (the scenario holds \"Scenario/%2/%3\")")
            .arg(quoted(path), s().scenarioName, shortPath);
    }

    CommandOutcome usage(const char *form) const
    {
        return fail(QStringLiteral("%1: expected \"%2\"").arg(command(), QLatin1StringView(form)));
    }
    CommandOutcome refuse(const QString &why) const
    {
        return fail(QStringLiteral("%1: %2").arg(command(), why));
    }
};

CommandInterpreter::CommandInterpreter(ScenarioStore &store) : store_(store) {}

QString CommandInterpreter::versionText()
{
    return QStringLiteral("ZEP v7.0 (Velmora stand-in host)");
}

CommandOutcome CommandInterpreter::execute(const QString &line)
{
    const Tokens tokens = tokenize(line);
    if (!tokens.ok)
        return fail(tokens.error);

    struct Entry {
        Handler handler;
        bool query;
    };
    static const QHash<QString, Entry> table{
        {QStringLiteral("checkscenario"), {&CommandInterpreter::checkScenario, true}},
        {QStringLiteral("getzepversion"), {&CommandInterpreter::getVersion, true}},
        {QStringLiteral("gettimeperiod"), {&CommandInterpreter::getTimePeriod, true}},
        {QStringLiteral("getepoch"), {&CommandInterpreter::getEpoch, true}},
        {QStringLiteral("new"), {&CommandInterpreter::newObject, false}},
        {QStringLiteral("settimeperiod"), {&CommandInterpreter::setTimePeriod, false}},
        {QStringLiteral("animate"), {&CommandInterpreter::animate, false}},
        {QStringLiteral("setepoch"), {&CommandInterpreter::setEpoch, false}},
        {QStringLiteral("vo"), {&CommandInterpreter::visualObject, false}},
        {QStringLiteral("application"), {&CommandInterpreter::application, false}},
        {QStringLiteral("concontrol"), {&CommandInterpreter::connectionControl, false}},
        {QStringLiteral("setstate"), {&CommandInterpreter::setState, false}},
        {QStringLiteral("graphics"), {&CommandInterpreter::graphics, false}},
        {QStringLiteral("vectortool"), {&CommandInterpreter::vectorTool, false}},
    };

    const QStringList &words = tokens.words;
    const auto entry = table.constFind(words.first().toLower());
    if (entry == table.constEnd())
        return fail(QStringLiteral("unknown command %1").arg(quoted(words.first())));
    if (words.size() < 2)
        return fail(QStringLiteral("%1: the target path is missing").arg(words.first()));

    Call call{words};
    if (entry->query) {
        const SnapshotPtr current = store_.snapshot();
        call.current = current.get();
        return (this->*entry->handler)(call);
    }
    CommandOutcome out;
    store_.modify([&](Snapshot &next) {
        call.next = &next;
        out = (this->*entry->handler)(call);
        return out.ok && call.changed;
    });
    return out;
}

CommandOutcome CommandInterpreter::checkScenario(Call &c)
{
    if (c.w.size() != 2 || c.w[1] != u'/')
        return c.usage("CheckScenario /");
    return done({c.s().scenarioOpen ? QStringLiteral("1") : QStringLiteral("0")});
}

CommandOutcome CommandInterpreter::getVersion(Call &c)
{
    if (c.w.size() != 2 || c.w[1] != u'/')
        return c.usage("GetZEPVersion /");
    return done({versionText()});
}

CommandOutcome CommandInterpreter::getTimePeriod(Call &c)
{
    if (c.w.size() != 2)
        return c.usage("GetTimePeriod Scenario/NAME");
    if (const QString why = c.scenarioTarget(1); !why.isEmpty())
        return c.refuse(why);
    return done({QStringLiteral("\"%1\", \"%2\"").arg(dateText(c.s().start), dateText(c.s().stop))});
}

CommandOutcome CommandInterpreter::getEpoch(Call &c)
{
    if (c.w.size() != 2)
        return c.usage("GetEpoch Scenario/NAME");
    if (const QString why = c.scenarioTarget(1); !why.isEmpty())
        return c.refuse(why);
    return done({dateText(c.s().epoch)});
}

CommandOutcome CommandInterpreter::newObject(Call &c)
{
    if (c.w.size() != 4 || c.w[1] != u'/')
        return c.usage("New / Scenario NAME\" or \"New / Scenario/NAME/Satellite NAME");
    const QString kind = c.w[2];
    const QString name = c.w[3];
    if (!validName(name))
        return c.refuse(QStringLiteral("%1 is not a name (letters, digits, \"_\" and \"-\", at most 64)")
                            .arg(quoted(name)));

    if (is(kind, QLatin1StringView("Scenario"))) {
        if (c.s().scenarioOpen)
            return c.refuse(QStringLiteral("a scenario is already open (\"%1\"); this host holds one")
                                .arg(c.s().scenarioName));
        Snapshot &s = c.edit();
        s.scenarioOpen = true;
        s.scenarioName = name;
        // A fresh scenario spans one day from a fixed instant until told otherwise.
        s.start = *astro::parseDate("1 Jul 2005 12:00:00.00");
        s.stop = astro::Instant{s.start.seconds + 86400.0};
        s.epoch = s.start;
        s.animationStart = s.start;
        s.animationStop = s.stop;
        addItem(s, builtIn(GeometryItem::Kind::Axes, QStringLiteral("CentralBody/Earth Inertial Axes"), true));
        addItem(s, builtIn(GeometryItem::Kind::Axes, QStringLiteral("CentralBody/Earth Fixed Axes")));
        addItem(s, builtIn(GeometryItem::Kind::Vector, QStringLiteral("CentralBody/Earth VernalEquinox Vector")));
        CommandOutcome out = done();
        out.ui.kind = UiRequest::Kind::OpenScenarioWindow;
        out.scenarioChanged = true;
        return out;
    }

    const QStringList parts = kind.split(u'/');
    if (parts.size() == 3 && is(parts[0], QLatin1StringView("Scenario"))
        && is(parts[2], QLatin1StringView("Satellite"))) {
        if (!c.s().scenarioOpen)
            return c.refuse(QStringLiteral("no scenario is open"));
        if (parts[1].compare(c.s().scenarioName, Qt::CaseInsensitive) != 0)
            return c.refuse(QStringLiteral("no scenario \"Scenario/%1\" (the open one is \"Scenario/%2\")")
                                .arg(parts[1], c.s().scenarioName));
        if (c.s().hasSatellite) {
            if (c.s().satelliteName.compare(name, Qt::CaseInsensitive) == 0)
                return c.refuse(QStringLiteral("the satellite \"%1\" exists already").arg(c.s().satelliteName));
            return c.refuse(QStringLiteral("this host holds one satellite per scenario (\"%1\" exists)")
                                .arg(c.s().satelliteName));
        }
        Snapshot &s = c.edit();
        s.hasSatellite = true;
        s.satelliteName = name;
        for (const QString &vector : satelliteVectorNames())
            addItem(s, builtIn(GeometryItem::Kind::Vector,
                               QStringLiteral("Satellite/%1 %2 Vector").arg(name, vector)));
        CommandOutcome out = done();
        out.scenarioChanged = true;
        return out;
    }
    return c.refuse(QStringLiteral("cannot make a %1: expected \"Scenario\" or \"Scenario/NAME/Satellite\"")
                        .arg(quoted(kind)));
}

CommandOutcome CommandInterpreter::setTimePeriod(Call &c)
{
    if (c.w.size() != 4)
        return c.usage("SetTimePeriod Scenario/NAME \"start\" \"stop\"");
    if (const QString why = c.scenarioTarget(1); !why.isEmpty())
        return c.refuse(why);
    const auto start = readDate(c.w[2]);
    if (!start)
        return c.refuse(dateError(c.w[2]));
    const auto stop = readDate(c.w[3]);
    if (!stop)
        return c.refuse(dateError(c.w[3]));
    if (!(stop->seconds > start->seconds))
        return c.refuse(QStringLiteral("the stop time must come after the start time"));
    Snapshot &s = c.edit();
    s.start = *start;
    s.stop = *stop;
    CommandOutcome out = done();
    out.scenarioChanged = true;
    return out;
}

CommandOutcome CommandInterpreter::animate(Call &c)
{
    if (c.w.size() < 3)
        return c.usage("Animate Scenario/NAME SetValues|SetRefreshMode ...");
    if (const QString why = c.scenarioTarget(1); !why.isEmpty())
        return c.refuse(why);
    if (is(c.w[2], QLatin1StringView("SetValues"))) {
        if (c.w.size() != 7)
            return c.usage("Animate Scenario/NAME SetValues \"start\" step rate \"stop\"");
        const auto start = readDate(c.w[3]);
        if (!start)
            return c.refuse(dateError(c.w[3]));
        const auto step = parseNumber(c.w[4]);
        if (!step || *step <= 0)
            return c.refuse(QStringLiteral("the time step %1 is not a positive number of seconds").arg(quoted(c.w[4])));
        const auto rate = parseNumber(c.w[5]);
        if (!rate || *rate <= 0)
            return c.refuse(QStringLiteral("the rate %1 is not a positive number").arg(quoted(c.w[5])));
        const auto stop = readDate(c.w[6]);
        if (!stop)
            return c.refuse(dateError(c.w[6]));
        if (!(stop->seconds > start->seconds))
            return c.refuse(QStringLiteral("the stop time must come after the start time"));
        Snapshot &s = c.edit();
        s.animationStart = *start;
        s.animationStop = *stop;
        s.animationStep = *step;
        s.animationRate = *rate;
        CommandOutcome out = done();
        out.scenarioChanged = true;
        return out;
    }
    if (is(c.w[2], QLatin1StringView("SetRefreshMode"))) {
        if (c.w.size() != 4)
            return c.usage("Animate Scenario/NAME SetRefreshMode HighSpeed|RealTime");
        QString mode;
        if (is(c.w[3], QLatin1StringView("HighSpeed")))
            mode = QStringLiteral("HighSpeed");
        else if (is(c.w[3], QLatin1StringView("RealTime")))
            mode = QStringLiteral("RealTime");
        else
            return c.refuse(QStringLiteral("unknown refresh mode %1 (HighSpeed or RealTime)").arg(quoted(c.w[3])));
        c.edit().refreshMode = mode;
        return done();
    }
    return c.refuse(QStringLiteral("unknown request %1 (SetValues or SetRefreshMode)").arg(quoted(c.w[2])));
}

CommandOutcome CommandInterpreter::setEpoch(Call &c)
{
    if (c.w.size() != 3)
        return c.usage("SetEpoch Scenario/NAME \"date\"");
    if (const QString why = c.scenarioTarget(1); !why.isEmpty())
        return c.refuse(why);
    const auto epoch = readDate(c.w[2]);
    if (!epoch)
        return c.refuse(dateError(c.w[2]));
    c.edit().epoch = *epoch;
    CommandOutcome out = done();
    out.scenarioChanged = true;
    return out;
}

CommandOutcome CommandInterpreter::visualObject(Call &c)
{
    if (c.w.size() < 3)
        return c.usage("VO TARGET REQUEST ...");
    using Sub = CommandOutcome (CommandInterpreter::*)(Call &);
    static const QHash<QString, Sub> requests{
        {QStringLiteral("grids"), &CommandInterpreter::grids},
        {QStringLiteral("annotation"), &CommandInterpreter::annotation},
        {QStringLiteral("pass"), &CommandInterpreter::pass},
        {QStringLiteral("dyndatatext"), &CommandInterpreter::dataDisplay},
        {QStringLiteral("view"), &CommandInterpreter::view},
        {QStringLiteral("viewerposition"), &CommandInterpreter::viewerPosition},
        {QStringLiteral("setvectorgeometry"), &CommandInterpreter::vectorGeometry},
    };
    const auto sub = requests.constFind(c.w[2].toLower());
    if (sub == requests.constEnd())
        return c.refuse(QStringLiteral("unknown request %1").arg(quoted(c.w[2])));
    return (this->*(*sub))(c);
}

CommandOutcome CommandInterpreter::grids(Call &c)
{
    if (const QString why = c.scenarioTarget(1); !why.isEmpty())
        return c.refuse(why);
    if (c.w.size() < 6 || !is(c.w[3], QLatin1StringView("Space")) || (c.w.size() - 4) % 2 != 0)
        return c.usage("VO Scenario/NAME Grids Space [ShowECI On|Off] [ECIColor COLOR] [ShowRadial On|Off]");
    Snapshot::Grid grid = c.s().grid;
    for (qsizetype i = 4; i + 1 < c.w.size(); i += 2) {
        const QString &key = c.w[i];
        const QString &value = c.w[i + 1];
        if (is(key, QLatin1StringView("ShowECI")) || is(key, QLatin1StringView("ShowRadial"))) {
            const auto on = parseSwitch(value);
            if (!on)
                return c.refuse(QStringLiteral("%1 takes On or Off, not %2").arg(key, quoted(value)));
            (is(key, QLatin1StringView("ShowECI")) ? grid.showEci : grid.showRadial) = *on;
        } else if (is(key, QLatin1StringView("ECIColor"))) {
            if (!QColor::isValidColorName(value))
                return c.refuse(QStringLiteral("%1 is not a colour").arg(quoted(value)));
            grid.eciColor = QColor(value);
        } else {
            return c.refuse(QStringLiteral("unknown grid setting %1").arg(quoted(key)));
        }
    }
    c.edit().grid = grid;
    return done();
}

CommandOutcome CommandInterpreter::annotation(Call &c)
{
    if (const QString why = c.scenarioTarget(1); !why.isEmpty())
        return c.refuse(why);
    if (c.w.size() != 6)
        return c.usage("VO Scenario/NAME Annotation Time|Frame Show|ShowTimeStep On|Off");
    const auto on = parseSwitch(c.w[5]);
    if (!on)
        return c.refuse(QStringLiteral("expected On or Off, not %1").arg(quoted(c.w[5])));
    const bool time = is(c.w[3], QLatin1StringView("Time"));
    const bool frame = is(c.w[3], QLatin1StringView("Frame"));
    const bool show = is(c.w[4], QLatin1StringView("Show"));
    const bool timeStep = is(c.w[4], QLatin1StringView("ShowTimeStep"));
    if (!time && !frame)
        return c.refuse(QStringLiteral("unknown annotation %1 (Time or Frame)").arg(quoted(c.w[3])));
    if (!show && !(timeStep && time))
        return c.refuse(QStringLiteral("the %1 annotation has no setting %2").arg(c.w[3], quoted(c.w[4])));
    Snapshot &s = c.edit();
    if (frame)
        s.annotations.frame = *on;
    else if (show)
        s.annotations.time = *on;
    else
        s.annotations.timeStep = *on;
    return done();
}

CommandOutcome CommandInterpreter::pass(Call &c)
{
    if (const QString why = c.satelliteTarget(c.w[1]); !why.isEmpty())
        return c.refuse(why);
    if (c.w.size() != 5 || !is(c.w[3], QLatin1StringView("OrbitLead")))
        return c.usage("VO SATELLITE Pass OrbitLead All|None");
    if (is(c.w[4], QLatin1StringView("All")))
        c.edit().orbitLeadAll = true;
    else if (is(c.w[4], QLatin1StringView("None")))
        c.edit().orbitLeadAll = false;
    else
        return c.refuse(QStringLiteral("unknown orbit lead %1 (All or None)").arg(quoted(c.w[4])));
    return done();
}

CommandOutcome CommandInterpreter::dataDisplay(Call &c)
{
    if (const QString why = c.satelliteTarget(c.w[1]); !why.isEmpty())
        return c.refuse(why);
    if (c.w.size() != 7 || !is(c.w[3], QLatin1StringView("DataDisplay")) || !is(c.w[5], QLatin1StringView("Show")))
        return c.usage("VO SATELLITE DynDataText DataDisplay \"NAME\" Show On|Off");
    static const QString known = QStringLiteral("Classical Orbit Elements");
    if (c.w[4].compare(known, Qt::CaseInsensitive) != 0)
        return c.refuse(QStringLiteral("unknown data display %1 (this host has \"%2\")").arg(quoted(c.w[4]), known));
    const auto on = parseSwitch(c.w[6]);
    if (!on)
        return c.refuse(QStringLiteral("expected On or Off, not %1").arg(quoted(c.w[6])));
    Snapshot &s = c.edit();
    s.dataDisplayName = known;
    s.dataDisplayShown = *on;
    return done();
}

CommandOutcome CommandInterpreter::view(Call &c)
{
    if (const QString why = c.scenarioTarget(1); !why.isEmpty())
        return c.refuse(why);
    if (c.w.size() != 4 || !is(c.w[3], QLatin1StringView("NextReferenceFrame")))
        return c.usage("VO Scenario/NAME View NextReferenceFrame");
    Snapshot &s = c.edit();
    // Exactly two frames, so one step always switches.
    s.frame = s.frame == ReferenceFrame::Inertial ? ReferenceFrame::Fixed : ReferenceFrame::Inertial;
    return done();
}

CommandOutcome CommandInterpreter::viewerPosition(Call &c)
{
    if (const QString why = c.windowTarget(1); !why.isEmpty())
        return c.refuse(why);
    if (c.w.size() != 6)
        return c.usage("VO * ViewerPosition LATITUDE LONGITUDE RANGE");
    const auto lat = parseNumber(c.w[3]);
    const auto lon = parseNumber(c.w[4]);
    const auto range = parseNumber(c.w[5]);
    if (!lat || *lat < -90 || *lat > 90)
        return c.refuse(QStringLiteral("latitude %1 is not a number of degrees from -90 to 90").arg(quoted(c.w[3])));
    if (!lon || *lon < -360 || *lon > 360)
        return c.refuse(QStringLiteral("longitude %1 is not a number of degrees from -360 to 360").arg(quoted(c.w[4])));
    if (!range || *range <= astro::kEarthRadius)
        return c.refuse(QStringLiteral("range %1 is not a distance in metres beyond the Earth's surface")
                            .arg(quoted(c.w[5])));
    Snapshot &s = c.edit();
    s.viewer.latitudeDeg = *lat;
    s.viewer.longitudeDeg = *lon;
    s.viewer.rangeM = *range;
    ++s.viewer.serial;
    return done();
}

CommandOutcome CommandInterpreter::vectorGeometry(Call &c)
{
    if (const QString why = c.windowTarget(1); !why.isEmpty())
        return c.refuse(why);
    if (c.w.size() < 5 || (c.w.size() - 5) % 2 != 0)
        return c.usage("VO * SetVectorGeometry Add|Modify \"PATH\" [Show On|Off] [ShowLabel On|Off] [Color \"COLOR\"]");
    if (!is(c.w[3], QLatin1StringView("Add")) && !is(c.w[3], QLatin1StringView("Modify")))
        return c.refuse(QStringLiteral("expected Add or Modify, not %1").arg(quoted(c.w[3])));
    const auto found = c.s().geometry.constFind(c.w[4].toLower());
    if (found == c.s().geometry.constEnd())
        return c.refuse(QStringLiteral("no vector, axes or angle %1 in this scenario").arg(quoted(c.w[4])));
    GeometryItem item = *found;
    for (qsizetype i = 5; i + 1 < c.w.size(); i += 2) {
        const QString &key = c.w[i];
        const QString &value = c.w[i + 1];
        if (is(key, QLatin1StringView("Show")) || is(key, QLatin1StringView("ShowLabel"))) {
            const auto on = parseSwitch(value);
            if (!on)
                return c.refuse(QStringLiteral("%1 takes On or Off, not %2").arg(key, quoted(value)));
            (is(key, QLatin1StringView("Show")) ? item.show : item.showLabel) = *on;
        } else if (is(key, QLatin1StringView("Color"))) {
            if (!QColor::isValidColorName(value))
                return c.refuse(QStringLiteral("%1 is not a colour").arg(quoted(value)));
            item.color = QColor(value);
        } else {
            return c.refuse(QStringLiteral("unknown geometry setting %1").arg(quoted(key)));
        }
    }
    c.edit().geometry.insert(found.key(), item);
    return done();
}

CommandOutcome CommandInterpreter::application(Call &c)
{
    if (c.w[1] != u'/')
        return c.refuse(QStringLiteral("expected \"/\" (the application), not %1").arg(quoted(c.w[1])));
    if (c.w.size() < 4)
        return c.usage("Application / StatusBar|MenuBar Hide|Show\" or \"Application / ToolBar Hide|Show \"NAME\"");
    const bool hide = is(c.w[3], QLatin1StringView("Hide"));
    if (!hide && !is(c.w[3], QLatin1StringView("Show")))
        return c.refuse(QStringLiteral("expected Hide or Show, not %1").arg(quoted(c.w[3])));
    CommandOutcome out = done();
    out.ui.show = !hide;
    Snapshot::Chrome chrome = c.s().chrome;
    if (is(c.w[2], QLatin1StringView("StatusBar")) || is(c.w[2], QLatin1StringView("MenuBar"))) {
        if (c.w.size() != 4)
            return c.usage("Application / StatusBar|MenuBar Hide|Show");
        const bool status = is(c.w[2], QLatin1StringView("StatusBar"));
        out.ui.kind = status ? UiRequest::Kind::StatusBar : UiRequest::Kind::MenuBar;
        (status ? chrome.statusBar : chrome.menuBar) = !hide;
    } else if (is(c.w[2], QLatin1StringView("ToolBar"))) {
        if (c.w.size() != 5)
            return c.usage("Application / ToolBar Hide|Show \"NAME\"");
        out.ui.kind = UiRequest::Kind::ToolBar;
        if (c.w[4] == u'*') {
            out.ui.toolBar = QStringLiteral("*");
            for (const QString &name : hostToolBarNames())
                chrome.toolBars[name] = !hide;
        } else {
            for (const QString &name : hostToolBarNames()) {
                if (name.compare(c.w[4], Qt::CaseInsensitive) == 0)
                    out.ui.toolBar = name;
            }
            if (out.ui.toolBar.isEmpty())
                return c.refuse(QStringLiteral("no tool bar %1 (there are \"%2\", or \"*\" for all)")
                                    .arg(quoted(c.w[4]), hostToolBarNames().join(QStringLiteral("\", \""))));
            chrome.toolBars[out.ui.toolBar] = !hide;
        }
    } else {
        return c.refuse(QStringLiteral("unknown part %1 (StatusBar, MenuBar or ToolBar)").arg(quoted(c.w[2])));
    }
    c.edit().chrome = chrome;
    return out;
}

CommandOutcome CommandInterpreter::connectionControl(Call &c)
{
    if (c.w[1] != u'/' || c.w.size() < 3)
        return c.usage("ConControl / VerboseOn|VerboseOff|AckOn|AckOff ...");
    bool verbose = c.s().verbose;
    bool acknowledge = c.s().acknowledge;
    for (qsizetype i = 2; i < c.w.size(); ++i) {
        if (is(c.w[i], QLatin1StringView("VerboseOn")))
            verbose = true;
        else if (is(c.w[i], QLatin1StringView("VerboseOff")))
            verbose = false;
        else if (is(c.w[i], QLatin1StringView("AckOn")))
            acknowledge = true;
        else if (is(c.w[i], QLatin1StringView("AckOff")))
            acknowledge = false;
        else
            return c.refuse(QStringLiteral("unknown setting %1").arg(quoted(c.w[i])));
    }
    Snapshot &s = c.edit();
    s.verbose = verbose;
    s.acknowledge = acknowledge;
    return done();
}

CommandOutcome CommandInterpreter::setState(Call &c)
{
    if (const QString why = c.satelliteTarget(c.w[1]); !why.isEmpty())
        return c.refuse(why);
    if (c.w.size() != 15)
        return c.usage("SetState SATELLITE Classical TwoBody \"start\" \"stop\" step J2000 \"epoch\" a e i argp raan M");
    if (!is(c.w[2], QLatin1StringView("Classical")))
        return c.refuse(QStringLiteral("only Classical elements are understood, not %1").arg(quoted(c.w[2])));
    if (!is(c.w[3], QLatin1StringView("TwoBody")))
        return c.refuse(QStringLiteral("only the TwoBody propagator is available, not %1").arg(quoted(c.w[3])));
    const auto start = readDate(c.w[4]);
    if (!start)
        return c.refuse(dateError(c.w[4]));
    const auto stop = readDate(c.w[5]);
    if (!stop)
        return c.refuse(dateError(c.w[5]));
    if (!(stop->seconds > start->seconds))
        return c.refuse(QStringLiteral("the stop time must come after the start time"));
    const auto step = parseNumber(c.w[6]);
    if (!step || *step <= 0)
        return c.refuse(QStringLiteral("the time step %1 is not a positive number of seconds").arg(quoted(c.w[6])));
    if (!is(c.w[7], QLatin1StringView("J2000")))
        return c.refuse(QStringLiteral("only the J2000 frame is understood, not %1").arg(quoted(c.w[7])));
    const auto epoch = readDate(c.w[8]);
    if (!epoch)
        return c.refuse(dateError(c.w[8]));

    static const char *const fields[] = {"semi-major axis", "eccentricity", "inclination",
                                         "argument of perigee", "RAAN", "mean anomaly"};
    double value[6];
    for (int k = 0; k < 6; ++k) {
        const auto v = parseNumber(c.w[9 + k]);
        if (!v)
            return c.refuse(QStringLiteral("the %1 %2 is not a finite decimal number; the orbit stays as it was")
                                .arg(QLatin1StringView(fields[k]), quoted(c.w[9 + k])));
        value[k] = *v;
    }
    astro::Elements el;
    el.a = value[0];
    el.e = value[1];
    el.i = value[2] * kDegree;
    el.argp = value[3] * kDegree;
    el.raan = value[4] * kDegree;
    el.meanAnomaly = value[5] * kDegree;
    if (const auto why = astro::checkElements(el))
        return c.refuse(QString::fromStdString(*why) + QStringLiteral("; the orbit stays as it was"));

    Snapshot &s = c.edit();
    s.hasOrbit = true;
    s.elements = el;
    s.elementsEpoch = *epoch;
    s.orbitStart = *start;
    s.orbitStop = *stop;
    s.orbitStep = *step;
    return done();
}

CommandOutcome CommandInterpreter::graphics(Call &c)
{
    if (const QString why = c.satelliteTarget(c.w[1]); !why.isEmpty())
        return c.refuse(why);
    if (c.w.size() == 4 && is(c.w[2], QLatin1StringView("SetAttrType"))) {
        if (!is(c.w[3], QLatin1StringView("Basic")))
            return c.refuse(QStringLiteral("only the Basic attribute type is available, not %1").arg(quoted(c.w[3])));
        c.edit().attributeType = QStringLiteral("Basic");
        return done();
    }
    if (c.w.size() == 5 && is(c.w[2], QLatin1StringView("Basic")) && is(c.w[3], QLatin1StringView("Color"))) {
        if (!QColor::isValidColorName(c.w[4]))
            return c.refuse(QStringLiteral("%1 is not a colour").arg(quoted(c.w[4])));
        c.edit().satelliteColor = QColor(c.w[4]);
        return done();
    }
    return c.usage("Graphics SATELLITE SetAttrType Basic\" or \"Graphics SATELLITE Basic Color COLOR");
}

CommandOutcome CommandInterpreter::vectorTool(Call &c)
{
    if (const QString why = c.windowTarget(1); !why.isEmpty())
        return c.refuse(why);
    if (c.w.size() < 6 || !is(c.w[3], QLatin1StringView("Create")))
        return c.usage("VectorTool * OWNER Create Vector|Angle NAME ...");

    // The owner as geometry paths spell it.
    QString owner;
    const QString &ownerWord = c.w[2];
    if (is(ownerWord, QLatin1StringView("Earth")) || is(ownerWord, QLatin1StringView("CentralBody/Earth")))
        owner = QStringLiteral("CentralBody/Earth");
    else if (c.satelliteTarget(ownerWord).isEmpty())
        owner = QStringLiteral("Satellite/") + c.s().satelliteName;
    else
        return c.refuse(QStringLiteral("no owner %1 (Earth or the satellite)").arg(quoted(ownerWord)));

    const QString &name = c.w[5];
    if (!validName(name))
        return c.refuse(QStringLiteral("%1 is not a name (letters, digits, \"_\" and \"-\", at most 64)").arg(quoted(name)));

    GeometryItem item;
    item.userDefined = true;
    item.color = Qt::white;
    if (is(c.w[4], QLatin1StringView("Vector"))) {
        if (c.w.size() != 12 || c.w[6].compare(QStringLiteral("Fixed in Axes"), Qt::CaseInsensitive) != 0
            || !is(c.w[7], QLatin1StringView("Cartesian")))
            return c.usage("VectorTool * OWNER Create Vector NAME \"Fixed in Axes\" Cartesian X Y Z \"AXES\"");
        double xyz[3];
        for (int k = 0; k < 3; ++k) {
            const auto v = parseNumber(c.w[8 + k]);
            if (!v)
                return c.refuse(QStringLiteral("component %1 is not a finite decimal number").arg(quoted(c.w[8 + k])));
            xyz[k] = *v;
        }
        if (xyz[0] == 0 && xyz[1] == 0 && xyz[2] == 0)
            return c.refuse(QStringLiteral("a vector of length zero has no direction"));
        const auto axes = c.s().geometry.constFind(c.w[11].toLower() + QStringLiteral(" axes"));
        if (axes == c.s().geometry.constEnd() || axes->kind != GeometryItem::Kind::Axes)
            return c.refuse(QStringLiteral("no axes %1").arg(quoted(c.w[11])));
        item.kind = GeometryItem::Kind::Vector;
        item.path = QStringLiteral("%1 %2 Vector").arg(owner, name);
        item.fixedComponents = {xyz[0], xyz[1], xyz[2]};
        item.axes = axes->path;
    } else if (is(c.w[4], QLatin1StringView("Angle"))) {
        if ((c.w.size() != 9 && c.w.size() != 10)
            || c.w[6].compare(QStringLiteral("Between Vectors"), Qt::CaseInsensitive) != 0)
            return c.usage("VectorTool * OWNER Create Angle NAME \"Between Vectors\" \"V1\" \"V2\" [\"V3\"]");
        for (qsizetype k = 7; k < c.w.size(); ++k) {
            const auto vector = c.s().geometry.constFind(c.w[k].toLower());
            if (vector == c.s().geometry.constEnd() || vector->kind != GeometryItem::Kind::Vector)
                return c.refuse(QStringLiteral("no vector %1").arg(quoted(c.w[k])));
            item.betweenVectors.append(vector->path);
        }
        item.kind = GeometryItem::Kind::Angle;
        item.path = QStringLiteral("%1 %2 Angle").arg(owner, name);
    } else {
        return c.refuse(QStringLiteral("can create a Vector or an Angle, not %1").arg(quoted(c.w[4])));
    }

    const QString key = item.path.toLower();
    const auto existing = c.s().geometry.constFind(key);
    if (existing != c.s().geometry.constEnd()) {
        const bool same = existing->userDefined && existing->kind == item.kind
                          && existing->betweenVectors == item.betweenVectors
                          && existing->axes == item.axes
                          && existing->fixedComponents.x == item.fixedComponents.x
                          && existing->fixedComponents.y == item.fixedComponents.y
                          && existing->fixedComponents.z == item.fixedComponents.z;
        if (same)
            return done();  // the same definition again changes nothing
        return c.refuse(QStringLiteral("%1 exists already with another definition").arg(quoted(existing->path)));
    }
    c.edit().geometry.insert(key, item);
    CommandOutcome out = done();
    out.scenarioChanged = true;
    return out;
}

} // namespace zep
