#include "standin/view/samplescene.h"

namespace zep::view {

astro::Instant sampleStart()
{
    // Days from 2000-01-01 to 2005-07-01: 5 years of which 2000 and 2004 leap, plus Jan..Jun 2005.
    return astro::Instant{((5 * 365 + 2) + (31 + 28 + 31 + 30 + 31 + 30)) * 86400.0 + 12 * 3600.0};
}

Snapshot sampleScene(const SampleOptions &o)
{
    Snapshot s;
    s.revision = 1;
    s.scenarioOpen = true;
    s.scenarioName = QStringLiteral("Velmora");
    s.start = s.epoch = sampleStart();
    s.stop = astro::Instant{s.start.seconds + 3 * 86400};
    s.grid.showEci = true;
    s.grid.eciColor = Qt::green;
    s.grid.showRadial = true;
    s.annotations = {false, false, false};
    SatelliteState sat;
    sat.name = QStringLiteral("Satellite");
    sat.hasOrbit = true;
    sat.elements = o.elements;
    sat.elementsEpoch = s.start;
    sat.color = o.satelliteColor;
    sat.orbitLeadAll = true;
    sat.dataDisplayShown = true;
    sat.dataDisplayName = QStringLiteral("Classical Orbit Elements");
    s.satellites.push_back(sat);
    s.frame = o.frame;
    s.viewer = {30, 0, 1e8, 1};

    auto add = [&](GeometryItem::Kind kind, const QString &path, bool show, const QColor &color,
                   QStringList between = {}, astro::Vec3 fixed = {}) {
        GeometryItem g;
        g.kind = kind;
        g.path = path;
        g.show = show;
        g.showLabel = true;
        g.color = color;
        g.betweenVectors = std::move(between);
        g.fixedComponents = fixed;
        s.geometry.insert(path.toLower(), g);
    };
    using K = GeometryItem::Kind;
    add(K::Axes, QStringLiteral("CentralBody/Earth Inertial Axes"), o.inertialAxes && !o.aids, Qt::yellow);
    add(K::Axes, QStringLiteral("CentralBody/Earth Fixed Axes"), o.fixedAxes && !o.aids, Qt::yellow);
    const QString ve = QStringLiteral("CentralBody/Earth VernalEquinox Vector");
    const QString z = QStringLiteral("CentralBody/Earth Inertial_Z Vector");
    const QString nodes = QStringLiteral("Satellite/Satellite LineOfNodes Vector");
    const QString peri = QStringLiteral("Satellite/Satellite Periapsis Vector");
    const QString pos = QStringLiteral("Satellite/Satellite Position Vector");
    const QString h = QStringLiteral("Satellite/Satellite Orbit_AngMomentum Vector");
    add(K::Vector, ve, o.aids, Qt::white);
    add(K::Vector, z, o.aids, Qt::white, {}, {0, 0, 1});
    add(K::Vector, nodes, o.aids, Qt::white);
    add(K::Vector, peri, o.aids, Qt::white);
    add(K::Vector, pos, o.aids, Qt::white);
    add(K::Vector, h, o.aids, Qt::white);
    add(K::Angle, QStringLiteral("Satellite/Satellite RAAN Angle"), o.aids, Qt::yellow, {ve, nodes, z});
    add(K::Angle, QStringLiteral("Satellite/Satellite Argument_of_Perigee Angle"), o.aids, Qt::red, {nodes, peri, h});
    add(K::Angle, QStringLiteral("Satellite/Satellite Inclination Angle"), o.aids, Qt::blue, {z, h});
    return s;
}

} // namespace zep::view
