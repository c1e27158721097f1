// The scenario, its time span, its animation and the satellite's orbit.

#include "standin/astro/orbit.h"
#include "standin/astro/time.h"
#include "standin/model/commandtable.h"

#include <algorithm>
#include <iterator>

namespace zep {

namespace {

constexpr double kDegree = astro::kPi / 180.0;

// Host-defined geometry: the Earth's, present with every scenario, and the
// satellite's, present with it.
void addBuiltIn(Snapshot &s, GeometryItem::Kind kind, const QString &path, bool show = false)
{
    GeometryItem item;
    item.kind = kind;
    item.path = path;
    item.show = show;
    item.showLabel = show;
    item.color = kind == GeometryItem::Kind::Axes ? QColor(Qt::yellow) : QColor(Qt::white);
    s.geometry.insert(path.toLower(), item);
}

CommandOutcome getTimePeriod(CommandReader &r)
{
    if (!r.end())
        return r.refusal();
    return done({QStringLiteral("\"%1\", \"%2\"").arg(dateText(r.state().start), dateText(r.state().stop))});
}

CommandOutcome getEpoch(CommandReader &r)
{
    if (!r.end())
        return r.refusal();
    return done({dateText(r.state().epoch)});
}

CommandOutcome newScenario(CommandReader &r, const QString &name)
{
    // A lesson opens its scenario in a fresh host and works in the open one otherwise.
    if (r.state().scenarioOpen && r.lessonMode())
        return done();
    if (r.state().scenarioOpen)
        return r.refuse(QStringLiteral("a scenario is already open (\"%1\"); this host holds one").arg(r.state().scenarioName));
    Snapshot &s = r.edit();
    s.scenarioOpen = true;
    s.scenarioName = name;
    // A fresh scenario spans one day from a fixed instant until told otherwise.
    s.start = *astro::parseDate("1 Jul 2005 12:00:00.00");
    s.stop = astro::Instant{s.start.seconds + 86400.0};
    s.epoch = s.start;
    s.animationStart = s.start;
    s.animationStop = s.stop;
    addBuiltIn(s, GeometryItem::Kind::Axes, QStringLiteral("CentralBody/Earth Inertial Axes"), true);
    addBuiltIn(s, GeometryItem::Kind::Axes, QStringLiteral("CentralBody/Earth Fixed Axes"));
    addBuiltIn(s, GeometryItem::Kind::Vector, QStringLiteral("CentralBody/Earth VernalEquinox Vector"));
    CommandOutcome out = scenarioChanged();
    out.ui.kind = UiRequest::Kind::OpenScenarioWindow;
    return out;
}

// Distinct on the dark view and the map; the first is the toolbar's white.
QColor paletteColour(int index)
{
    static const QColor colours[] = {Qt::white, QColor(255, 214, 0), QColor(0, 220, 255), QColor(255, 96, 200),
                                     QColor(120, 255, 90), QColor(255, 150, 40), QColor(170, 140, 255),
                                     QColor(255, 110, 110), QColor(80, 200, 160), QColor(200, 230, 120)};
    return colours[index % std::size(colours)];
}

CommandOutcome newSatellite(CommandReader &r, const QString &scenario, const QString &name)
{
    const Snapshot &now = r.state();
    if (!now.scenarioOpen)
        return r.refuse(QStringLiteral("no scenario is open"));
    if (scenario != u'*' && !r.lessonMode() && scenario.compare(now.scenarioName, Qt::CaseInsensitive) != 0)
        return r.refuse(QStringLiteral("no scenario \"Scenario/%1\" (the open one is \"Scenario/%2\")")
                            .arg(scenario, now.scenarioName));
    // A lesson takes over a satellite of that name, such as the toolbar's.
    if (const SatelliteState *existing = now.findSatellite(name))
        return r.lessonMode() ? done() : r.refuse(QStringLiteral("the satellite \"%1\" exists already").arg(existing->name));
    if (now.satellites.size() >= size_t(kMaxSatellites))
        return r.refuse(QStringLiteral("the scenario holds at most %1 satellites; unload one first").arg(kMaxSatellites));
    Snapshot &s = r.edit();
    SatelliteState sat;
    sat.name = name;
    // Colours are not handed back on unload: a satellite keeps its colour
    // for the whole session, however the others come and go.
    sat.color = paletteColour(s.satellitesMade++);
    s.satellites.push_back(sat);
    for (const char *vector : {"LineOfNodes", "Periapsis", "Position", "Velocity", "Orbit_AngMomentum"})
        addBuiltIn(s, GeometryItem::Kind::Vector, QStringLiteral("Satellite/%1 %2 Vector").arg(name, QLatin1StringView(vector)));
    return scenarioChanged();
}

CommandOutcome newObject(CommandReader &r)
{
    const QString kind = r.word();
    const QString name = r.name();
    if (!r.end())
        return r.refusal();
    if (isKeyword(kind, "Scenario"))
        return newScenario(r, name);
    const QStringList parts = kind.split(u'/');
    if (parts.size() == 3 && isKeyword(parts[0], "Scenario") && isKeyword(parts[2], "Satellite"))
        return newSatellite(r, parts[1], name);
    if (parts.size() == 2 && parts[0] == u'*' && isKeyword(parts[1], "Satellite"))
        return newSatellite(r, parts[0], name);
    return r.refuse(QStringLiteral("cannot make a %1: expected \"Scenario\", \"Scenario/NAME/Satellite\" or \"*/Satellite\"")
                        .arg(quoted(kind)));
}

// The satellite goes with the geometry it owns; kept orbits are copies and stay.
CommandOutcome unloadObject(CommandReader &r)
{
    const QString path = r.word();
    if (!r.end())
        return r.refusal();
    int index = -1;
    if (const QString why = r.satelliteProblem(path, &index); !why.isEmpty())
        return r.refuse(why);
    Snapshot &s = r.edit();
    const QString owner = QStringLiteral("satellite/%1 ").arg(s.satellites[index].name.toLower());
    if (s.selected.compare(s.satellites[index].name, Qt::CaseInsensitive) == 0)
        s.selected.clear();
    s.satellites.erase(s.satellites.begin() + index);
    for (auto it = s.geometry.begin(); it != s.geometry.end();) {
        const bool owned = it.key().startsWith(owner)
            || std::any_of(it->betweenVectors.cbegin(), it->betweenVectors.cend(),
                           [&](const QString &vector) { return vector.toLower().startsWith(owner); });
        it = owned ? s.geometry.erase(it) : std::next(it);
    }
    return scenarioChanged();
}

CommandOutcome setTimePeriod(CommandReader &r)
{
    const auto start = r.date();
    const auto stop = r.dateAfter(start);
    if (!r.end())
        return r.refusal();
    Snapshot &s = r.edit();
    s.start = *start;
    s.stop = *stop;
    return scenarioChanged();
}

CommandOutcome setEpoch(CommandReader &r)
{
    const auto epoch = r.date();
    if (!r.end())
        return r.refusal();
    r.edit().epoch = *epoch;
    return scenarioChanged();
}

CommandOutcome setAnimationValues(CommandReader &r)
{
    const auto start = r.date();
    const auto step = r.positive("the time step %1 is not a positive number of seconds");
    const auto rate = r.positive("the rate %1 is not a positive number");
    const auto stop = r.dateAfter(start);
    if (!r.end())
        return r.refusal();
    Snapshot &s = r.edit();
    s.animationStart = *start;
    s.animationStop = *stop;
    s.animationStep = *step;
    s.animationRate = *rate;
    return scenarioChanged();
}

CommandOutcome setRefreshMode(CommandReader &r)
{
    static const char *const modes[] = {"HighSpeed", "RealTime"};
    const int mode = r.oneOf({modes[0], modes[1]}, "unknown refresh mode %1 (HighSpeed or RealTime)");
    if (!r.end())
        return r.refusal();
    r.edit().refreshMode = QLatin1StringView(modes[mode]);
    return done();
}

CommandOutcome readState(CommandReader &r)
{
    r.keyword("Classical", "only Classical elements are understood, not %1");
    r.keyword("TwoBody", "only the TwoBody propagator is available, not %1");
    const auto start = r.date();
    const auto stop = r.dateAfter(start);
    const auto step = r.positive("the time step %1 is not a positive number of seconds");
    r.keyword("J2000", "only the J2000 frame is understood, not %1");
    const auto epoch = r.date();
    static const QStringList refusals = [] {
        QStringList texts;
        for (const char *field : {"semi-major axis", "eccentricity", "inclination", "argument of perigee", "RAAN", "mean anomaly"})
            texts.append(QStringLiteral("the %1 %2 is not a finite decimal number")
                             .arg(QLatin1StringView(field)));
        return texts;
    }();
    double value[6] = {};
    for (int k = 0; k < 6; ++k)
        value[k] = r.number(refusals[k]).value_or(0);
    if (!r.end())
        return r.refusal();

    astro::Elements el;
    el.a = value[0];
    el.e = value[1];
    el.i = value[2] * kDegree;
    el.argp = value[3] * kDegree;
    el.raan = value[4] * kDegree;
    el.meanAnomaly = value[5] * kDegree;
    if (const auto why = astro::checkElements(el))
        return r.refuse(QString::fromStdString(*why));

    SatelliteState &sat = r.editSatellite();
    sat.stateRefusal.clear();
    sat.hasOrbit = true;
    sat.elements = el;
    sat.elementsEpoch = *epoch;
    sat.orbitStart = *start;
    sat.orbitStop = *stop;
    sat.orbitStep = *step;
    return done();
}

// A refusal is kept with the scenario (published only when its words change):
// the views keep the old orbit and say why the new one is not there.
CommandOutcome setState(CommandReader &r)
{
    CommandOutcome out = readState(r);
    if (out.ok)
        return out;
    if (r.satellite().stateRefusal != r.why())
        r.editSatellite().stateRefusal = r.why();
    out.error += QStringLiteral("; the orbit stays as it was");
    out.keepsEdit = true;
    return out;
}

CommandOutcome graphics(CommandReader &r)
{
    enum { SetAttrType, Basic };
    const int request = r.oneOf({"SetAttrType", "Basic"});
    if (request == SetAttrType) {
        r.keyword("Basic", "only the Basic attribute type is available, not %1");
        if (!r.end())
            return r.refusal();
        r.editSatellite().attributeType = QStringLiteral("Basic");
        return done();
    }
    r.keyword("Color");
    const auto colour = r.colour();
    if (!r.end())
        return r.refusal();
    r.editSatellite().color = *colour;
    return done();
}

// The clock belongs to the GUI, which replies once it has moved it; the
// scenario itself does not change.
CommandOutcome clockRequest(CommandReader &r, UiRequest::Clock action)
{
    if (!r.end())
        return r.refusal();
    CommandOutcome out = done();
    out.ui.kind = UiRequest::Kind::Animate;
    out.ui.clock = action;
    return out;
}

CommandOutcome startAnimation(CommandReader &r) { return clockRequest(r, UiRequest::Clock::Start); }
CommandOutcome pauseAnimation(CommandReader &r) { return clockRequest(r, UiRequest::Clock::Pause); }
CommandOutcome resetAnimation(CommandReader &r) { return clockRequest(r, UiRequest::Clock::Reset); }
CommandOutcome stepAnimationForward(CommandReader &r) { return clockRequest(r, UiRequest::Clock::StepForward); }
CommandOutcome stepAnimationBackward(CommandReader &r) { return clockRequest(r, UiRequest::Clock::StepBackward); }

const CommandEntry kAnimateRequests[] = {
    {"SetValues", "Animate Scenario/NAME SetValues \"start\" step rate \"stop\"",
     "Animate Scenario/Demo SetValues \"1 Jul 2005 12:00:00.00\" 60 1 \"2 Jul 2005 12:00:00.00\"", Target::Scenario,
     setAnimationValues},
    {"SetRefreshMode", "Animate Scenario/NAME SetRefreshMode HighSpeed|RealTime",
     "Animate Scenario/Demo SetRefreshMode HighSpeed", Target::Scenario, setRefreshMode},
    {"Start", "Animate Scenario/NAME Start",
     "Animate Scenario/Demo Start", Target::Scenario, startAnimation},
    {"Pause", "Animate Scenario/NAME Pause",
     "Animate Scenario/Demo Pause", Target::Scenario, pauseAnimation},
    {"Reset", "Animate Scenario/NAME Reset",
     "Animate Scenario/Demo Reset", Target::Scenario, resetAnimation},
    {"StepForward", "Animate Scenario/NAME StepForward",
     "Animate Scenario/Demo StepForward", Target::Scenario, stepAnimationForward},
    {"StepBackward", "Animate Scenario/NAME StepBackward",
     "Animate Scenario/Demo StepBackward", Target::Scenario, stepAnimationBackward},
};

const CommandEntry kCommands[] = {
    {.keyword = "GetTimePeriod", .usage = "GetTimePeriod Scenario/NAME", .example = "GetTimePeriod Scenario/Demo",
     .target = Target::Scenario, .handler = getTimePeriod, .query = true},
    {.keyword = "GetEpoch", .usage = "GetEpoch Scenario/NAME", .example = "GetEpoch Scenario/Demo",
     .target = Target::Scenario, .handler = getEpoch, .query = true},
    {"New", "New / Scenario NAME\" or \"New / */Satellite NAME",
     "New / */Satellite MEO", Target::Application, newObject},
    {"Unload", "Unload / */Satellite/NAME",
     "Unload / */Satellite/MEO", Target::Application, unloadObject},
    {"SetTimePeriod", "SetTimePeriod Scenario/NAME \"start\" \"stop\"",
     "SetTimePeriod Scenario/Demo \"1 Jul 2005 12:00:00.00\" \"2 Jul 2005 12:00:00.00\"", Target::Scenario,
     setTimePeriod},
    {"SetEpoch", "SetEpoch Scenario/NAME \"date\"",
     "SetEpoch Scenario/Demo \"1 Jul 2005 12:00:00.00\"", Target::Scenario, setEpoch},
    {.keyword = "Animate", .usage = "Animate Scenario/NAME", .requests = kAnimateRequests},
    {"SetState", "SetState SATELLITE Classical TwoBody \"start\" \"stop\" step J2000 \"epoch\" a e i argp raan M",
     "SetState */Satellite/LEO Classical TwoBody \"1 Jul 2005 12:00:00.00\" \"2 Jul 2005 12:00:00.00\" 60 J2000 "
     "\"1 Jul 2005 12:00:00.00\" 6778137 0 51.6 0 40 0",
     Target::Satellite, setState},
    {"Graphics", "Graphics SATELLITE SetAttrType Basic\" or \"Graphics SATELLITE Basic Color COLOR",
     "Graphics */Satellite/GEO Basic Color Yellow", Target::Satellite, graphics},
};

} // namespace

std::span<const CommandEntry> scenarioCommands()
{
    return kCommands;
}

} // namespace zep
