// The 3-D view: grids, annotations, the satellite's display, the camera, and
// the geometry (vectors, axes, angles) it draws.

#include "standin/astro/orbit.h"
#include "standin/model/commandtable.h"

namespace zep {

namespace {

CommandOutcome grids(CommandReader &r)
{
    r.keyword("Space");
    Snapshot::Grid grid = r.state().grid;
    r.options({{"ShowECI", &grid.showEci}, {"ECIColor", &grid.eciColor}, {"ShowRadial", &grid.showRadial}},
              "unknown grid setting %1", 1);
    if (!r.end())
        return r.refusal();
    r.edit().grid = grid;
    return done();
}

CommandOutcome annotation(CommandReader &r)
{
    enum { Time, Frame };
    enum { Show, ShowTimeStep };
    const int part = r.oneOf({"Time", "Frame"}, "unknown annotation %1 (Time or Frame)");
    const int setting = part == Frame ? r.oneOf({"Show"}, "the Frame annotation has no setting %1")
                                      : r.oneOf({"Show", "ShowTimeStep"}, "the Time annotation has no setting %1");
    const auto on = r.onOff();
    if (!r.end())
        return r.refusal();
    Snapshot::Annotations &shown = r.edit().annotations;
    (part == Frame ? shown.frame : setting == Show ? shown.time : shown.timeStep) = *on;
    return done();
}

CommandOutcome pass(CommandReader &r)
{
    r.keyword("OrbitLead");
    const int lead = r.oneOf({"None", "All"}, "unknown orbit lead %1 (All or None)");
    if (!r.end())
        return r.refusal();
    r.editSatellite().orbitLeadAll = lead == 1;
    return done();
}

CommandOutcome dataDisplay(CommandReader &r)
{
    static const char *const known = "Classical Orbit Elements";
    r.keyword("DataDisplay");
    r.keyword(known, "unknown data display %1 (this host has \"Classical Orbit Elements\")");
    r.keyword("Show");
    const auto on = r.onOff();
    if (!r.end())
        return r.refusal();
    SatelliteState &sat = r.editSatellite();
    sat.dataDisplayName = QLatin1StringView(known);
    sat.dataDisplayShown = *on;
    return done();
}

CommandOutcome view(CommandReader &r)
{
    r.keyword("NextReferenceFrame");
    if (!r.end())
        return r.refusal();
    Snapshot &s = r.edit();
    // Exactly two frames, so one step always switches.
    s.frame = s.frame == ReferenceFrame::Inertial ? ReferenceFrame::Fixed : ReferenceFrame::Inertial;
    return done();
}

CommandOutcome viewerPosition(CommandReader &r)
{
    const auto lat = r.within(-90, 90, "latitude %1 is not a number of degrees from -90 to 90");
    const auto lon = r.within(-360, 360, "longitude %1 is not a number of degrees from -360 to 360");
    const auto range = r.above(astro::kEarthRadius, "range %1 is not a distance in metres beyond the Earth's surface");
    if (!r.end())
        return r.refusal();
    Snapshot::Viewer &viewer = r.edit().viewer;
    viewer.latitudeDeg = *lat;
    viewer.longitudeDeg = *lon;
    viewer.rangeM = *range;
    ++viewer.serial;
    return done();
}

CommandOutcome vectorGeometry(CommandReader &r)
{
    r.oneOf({"Add", "Modify"}, "expected Add or Modify, not %1");
    const QString path = r.word();
    const auto found = r.state().geometry.constFind(path.toLower());
    if (found == r.state().geometry.constEnd())
        return r.refuse(QStringLiteral("no vector, axes or angle %1 in this scenario").arg(quoted(path)));
    GeometryItem item = *found;
    r.options({{"Show", &item.show}, {"ShowLabel", &item.showLabel}, {"Color", &item.color}},
              "unknown geometry setting %1");
    if (!r.end())
        return r.refusal();
    r.edit().geometry.insert(found.key(), item);
    return done();
}

bool sameDefinition(const GeometryItem &a, const GeometryItem &b)
{
    return a.userDefined && a.kind == b.kind && a.betweenVectors == b.betweenVectors && a.axes == b.axes
           && a.fixedComponents.x == b.fixedComponents.x && a.fixedComponents.y == b.fixedComponents.y
           && a.fixedComponents.z == b.fixedComponents.z;
}

CommandOutcome define(CommandReader &r, const GeometryItem &item)
{
    const QString key = item.path.toLower();
    const auto existing = r.state().geometry.constFind(key);
    if (existing != r.state().geometry.constEnd()) {
        if (sameDefinition(*existing, item))
            return done();  // the same definition again changes nothing
        return r.refuse(QStringLiteral("%1 exists already with another definition").arg(quoted(existing->path)));
    }
    r.edit().geometry.insert(key, item);
    return scenarioChanged();
}

// The words after "VectorTool * OWNER Create Vector NAME".
CommandOutcome createVector(CommandReader &r, GeometryItem item)
{
    r.setUsage("VectorTool * OWNER Create Vector NAME \"Fixed in Axes\" Cartesian X Y Z \"AXES\"");
    r.keyword("Fixed in Axes");
    r.keyword("Cartesian");
    double xyz[3] = {};
    for (double &component : xyz)
        component = r.number(QStringLiteral("component %1 is not a finite decimal number")).value_or(0);
    const QString axesPath = r.word();
    if (!r.end())
        return r.refusal();
    if (xyz[0] == 0 && xyz[1] == 0 && xyz[2] == 0)
        return r.refuse(QStringLiteral("a vector of length zero has no direction"));
    const auto axes = r.state().geometry.constFind(axesPath.toLower() + QStringLiteral(" axes"));
    if (axes == r.state().geometry.constEnd() || axes->kind != GeometryItem::Kind::Axes)
        return r.refuse(QStringLiteral("no axes %1").arg(quoted(axesPath)));
    item.kind = GeometryItem::Kind::Vector;
    item.path += QStringLiteral(" Vector");
    item.fixedComponents = {xyz[0], xyz[1], xyz[2]};
    item.axes = axes->path;
    return define(r, item);
}

// The words after "VectorTool * OWNER Create Angle NAME".
CommandOutcome createAngle(CommandReader &r, GeometryItem item)
{
    r.setUsage("VectorTool * OWNER Create Angle NAME \"Between Vectors\" \"V1\" \"V2\" [\"V3\"]");
    r.keyword("Between Vectors");
    QStringList vectors{r.word(), r.word()};
    if (r.more())
        vectors.append(r.word());
    if (!r.end())
        return r.refusal();
    for (const QString &path : vectors) {
        const auto vector = r.state().geometry.constFind(path.toLower());
        if (vector == r.state().geometry.constEnd() || vector->kind != GeometryItem::Kind::Vector)
            return r.refuse(QStringLiteral("no vector %1").arg(quoted(path)));
        item.betweenVectors.append(vector->path);
    }
    item.kind = GeometryItem::Kind::Angle;
    item.path += QStringLiteral(" Angle");
    return define(r, item);
}

CommandOutcome vectorTool(CommandReader &r)
{
    // The owner as geometry paths spell it.
    const QString ownerWord = r.word();
    QString owner;
    int satellite = -1;
    if (isKeyword(ownerWord, "Earth") || isKeyword(ownerWord, "CentralBody/Earth"))
        owner = QStringLiteral("CentralBody/Earth");
    else if (r.satelliteProblem(ownerWord, &satellite).isEmpty())
        owner = QStringLiteral("Satellite/") + r.state().satellites[satellite].name;
    else if (r.ok())
        return r.refuse(QStringLiteral("no owner %1 (Earth or a satellite)").arg(quoted(ownerWord)));
    r.keyword("Create");
    enum { Vector, Angle };
    const int kind = r.oneOf({"Vector", "Angle"}, "can create a Vector or an Angle, not %1");
    GeometryItem item;
    item.userDefined = true;
    item.color = Qt::white;
    item.path = owner + u' ' + r.name();
    return kind == Vector ? createVector(r, item) : createAngle(r, item);
}

const CommandEntry kVoRequests[] = {
    {"Grids", "VO Scenario/NAME Grids Space [ShowECI On|Off] [ECIColor COLOR] [ShowRadial On|Off]",
     "VO Scenario/Demo Grids Space ShowECI On ECIColor green ShowRadial On", Target::Scenario, grids},
    {"Annotation", "VO Scenario/NAME Annotation Time|Frame Show|ShowTimeStep On|Off",
     "VO Scenario/Demo Annotation Time Show On", Target::Scenario, annotation},
    {"Pass", "VO SATELLITE Pass OrbitLead All|None",
     "VO */Satellite/LEO Pass OrbitLead All", Target::Satellite, pass},
    {"DynDataText", "VO SATELLITE DynDataText DataDisplay \"NAME\" Show On|Off",
     "VO */Satellite/LEO DynDataText DataDisplay \"Classical Orbit Elements\" Show On", Target::Satellite, dataDisplay},
    {"View", "VO Scenario/NAME View NextReferenceFrame",
     "VO Scenario/Demo View NextReferenceFrame", Target::Scenario, view},
    {"ViewerPosition", "VO * ViewerPosition LATITUDE LONGITUDE RANGE",
     "VO * ViewerPosition 30 0 100000000", Target::Window, viewerPosition},
    {"SetVectorGeometry", "VO * SetVectorGeometry Add|Modify \"PATH\" [Show On|Off] [ShowLabel On|Off] [Color \"COLOR\"]",
     "VO * SetVectorGeometry Add \"Satellite/LEO Position Vector\" Show On ShowLabel On Color \"White\"",
     Target::Window, vectorGeometry},
};

const CommandEntry kCommands[] = {
    {.keyword = "VO", .usage = "VO TARGET", .requests = kVoRequests},
    {"VectorTool", "VectorTool * OWNER Create Vector|Angle NAME ...",
     "VectorTool * Earth Create Vector Inertial_Z \"Fixed in Axes\" Cartesian 0 0 1 \"CentralBody/Earth Inertial\"",
     Target::Window, vectorTool},
};

} // namespace

std::span<const CommandEntry> viewCommands()
{
    return kCommands;
}

} // namespace zep
