#include "aids/geometryaids.h"

#include "aids/frameswitch.h"

namespace velmora::aids {

namespace {

const QChar Q = u'"';

QString quoted(const QString &text)
{
    return Q + text + Q;
}

const QString kVernalEquinox = QStringLiteral("CentralBody/Earth VernalEquinox Vector");
const QString kInertialZ = QStringLiteral("CentralBody/Earth Inertial_Z Vector");
const QString kLineOfNodes = QStringLiteral("Satellite/Satellite LineOfNodes Vector");
const QString kPeriapsis = QStringLiteral("Satellite/Satellite Periapsis Vector");
const QString kPosition = QStringLiteral("Satellite/Satellite Position Vector");
const QString kAngMomentum = QStringLiteral("Satellite/Satellite Orbit_AngMomentum Vector");

QString suffix(const QString &colour)
{
    return QStringLiteral(" ShowLabel On Color %1 Show ").arg(colour);
}

QString visibility(const QString &verb, const QString &path, const QString &colour,
                   const QString &switchWord)
{
    return QStringLiteral("VO * SetVectorGeometry ") + verb + u' ' + quoted(path) + suffix(colour)
        + switchWord;
}

QString angle(const QString &prefix, const QStringList &vectors)
{
    QString command = prefix + quoted(QStringLiteral("Between Vectors"));
    for (const QString &v : vectors)
        command += u' ' + quoted(v);
    return command;
}

} // namespace

QStringList geometryAidCommands(const QString &verb, bool on)
{
    const QString sw = on ? QStringLiteral("On") : QStringLiteral("Off");
    const QString white = QStringLiteral("White");
    return {
        // The vernal equinox vector is the host's own: it is never added.
        visibility(QStringLiteral("Modify"), kVernalEquinox, white, sw),
        QStringLiteral("VectorTool * Earth Create Vector Inertial_Z ") + quoted(QStringLiteral("Fixed in Axes"))
            + QStringLiteral(" Cartesian 0 0 1 ") + quoted(QStringLiteral("CentralBody/Earth Inertial")),
        visibility(verb, kInertialZ, white, sw),
        visibility(verb, kLineOfNodes, white, sw),
        visibility(verb, kPeriapsis, white, sw),
        visibility(verb, kPosition, white, sw),
        visibility(verb, kAngMomentum, white, sw),
        angle(QStringLiteral("VectorTool * Satellite/Satellite Create Angle RAAN "),
              {kVernalEquinox, kLineOfNodes, kInertialZ}),
        visibility(verb, QStringLiteral("Satellite/Satellite RAAN Angle"), QStringLiteral("Yellow"), sw),
        angle(QStringLiteral("VectorTool * Satellite/Satellite Create Angle Argument_of_Perigee "),
              {kLineOfNodes, kPeriapsis, kAngMomentum}),
        visibility(verb, QStringLiteral("Satellite/Satellite Argument_of_Perigee Angle"), QStringLiteral("Red"), sw),
        angle(QStringLiteral("VectorTool * Satellite/Satellite Create Angle Inclination "),
              {kInertialZ, kAngMomentum}),
        visibility(verb, QStringLiteral("Satellite/Satellite Inclination Angle"), QStringLiteral("Blue"), sw),
    };
}

void hideFrameAxes(host::HostLink &link)
{
    link.SendHostCommand(axesHideCommand(kInertialAxes));
    link.SendHostCommand(axesHideCommand(kFixedAxes));
}

void sendGeometryAids(host::HostLink &link, const QString &verb, bool on)
{
    link.sendHostCommands(geometryAidCommands(verb, on));
}

} // namespace velmora::aids
