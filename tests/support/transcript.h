#pragma once
// The golden command transcript: the lines the toolbar sends to prepare the
// host at start-up, to switch the geometry aids and to hand the host over,
// written out once. The link's, the toolbar's and the aids' tests expect them;
// the stand-in host's tests run them, so the two programs cannot drift apart.
// Header only, Qt Core only: every test target can use it.

#include <QString>
#include <QStringList>

namespace velmora::testing::golden {

inline const QString kStart = QStringLiteral("1 Jul 2005 12:00:00.00");
inline const QString kStop = QStringLiteral("4 Jul 2005 12:00:00.00");

inline QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// The scenario preparation, in order.
inline QStringList scenarioPreparation()
{
    return {
        QStringLiteral("New / Scenario Velmora"),
        QStringLiteral("SetTimePeriod Scenario/Velmora ") + quoted(kStart) + u' ' + quoted(kStop),
        QStringLiteral("Animate Scenario/Velmora SetValues ") + quoted(kStart) + QStringLiteral(" 60 1 ") + quoted(kStop),
        QStringLiteral("Animate Scenario/Velmora SetRefreshMode HighSpeed"),
        QStringLiteral("SetEpoch Scenario/Velmora ") + quoted(kStart),
        QStringLiteral("VO Scenario/Velmora Grids Space ShowECI On ECIColor green ShowRadial On"),
        QStringLiteral("VO Scenario/Velmora Annotation Time Show Off"),
        QStringLiteral("VO Scenario/Velmora Annotation Time ShowTimeStep Off"),
        QStringLiteral("VO Scenario/Velmora Annotation Frame Show Off"),
        QStringLiteral("Application / Statusbar Hide"),
        QStringLiteral("New / Scenario/Velmora/Satellite Satellite"),
        QStringLiteral("VO Scenario/Velmora/Satellite/Satellite Pass OrbitLead All"),
        QStringLiteral("VO Scenario/Velmora/Satellite/Satellite DynDataText DataDisplay ")
            + quoted(QStringLiteral("Classical Orbit Elements")) + QStringLiteral(" Show On"),
        QStringLiteral("ConControl / VerboseOff AckOff"),
    };
}

// The host's bars, hidden by the window arrangement.
inline QStringList barsHidden()
{
    return {
        QStringLiteral("Application / ToolBar Hide ") + quoted(QStringLiteral("*")),
        QStringLiteral("Application / ToolBar Show ") + quoted(QStringLiteral("Animation")),
        QStringLiteral("Application / MenuBar Hide"),
        QStringLiteral("Application / StatusBar Hide"),
    };
}

// The axes of a frame, "Inertial" or "Fixed".
inline QString showAxes(const QString &frame)
{
    return QStringLiteral("VO * SetVectorGeometry Modify \"CentralBody/Earth %1 Axes\" Show On ShowLabel On Color \"Yellow\"").arg(frame);
}

inline QString hideAxes(const QString &frame)
{
    return QStringLiteral("VO * SetVectorGeometry Modify \"CentralBody/Earth %1 Axes\" Show Off Color \"Yellow\"").arg(frame);
}

inline const QString kNextFrame = QStringLiteral("VO Scenario/Velmora View NextReferenceFrame");
inline const QString kViewerPosition = QStringLiteral("Vo * ViewerPosition 30 0 100000000");

// The start-up's view after the presets: the inertial frame picked, then two
// frame steps around the viewer position, then the frame picked again.
inline QStringList startupView()
{
    return {showAxes(QStringLiteral("Inertial")), hideAxes(QStringLiteral("Fixed")),
            kNextFrame, kViewerPosition, kNextFrame,
            showAxes(QStringLiteral("Inertial")), hideAxes(QStringLiteral("Fixed"))};
}

// The thirteen commands of one switch of the geometry aids. `verb` is "Add"
// on the first use and "Modify" afterwards, `on` is "On" or "Off".
inline QStringList geometryAids(const QString &verb, const QString &on)
{
    const auto vector = [&](const QString &v, const QString &path, const QString &colour) {
        return QStringLiteral("VO * SetVectorGeometry ") + v + u' ' + quoted(path)
            + QStringLiteral(" ShowLabel On Color ") + colour + QStringLiteral(" Show ") + on;
    };
    const auto angle = [](const QString &name, const QStringList &vectors) {
        QString line = QStringLiteral("VectorTool * Satellite/Satellite Create Angle ") + name + u' '
            + quoted(QStringLiteral("Between Vectors"));
        for (const QString &v : vectors)
            line += u' ' + quoted(v);
        return line;
    };
    const QString equinox = QStringLiteral("CentralBody/Earth VernalEquinox Vector");
    const QString z = QStringLiteral("CentralBody/Earth Inertial_Z Vector");
    const QString nodes = QStringLiteral("Satellite/Satellite LineOfNodes Vector");
    const QString periapsis = QStringLiteral("Satellite/Satellite Periapsis Vector");
    const QString momentum = QStringLiteral("Satellite/Satellite Orbit_AngMomentum Vector");
    return {
        vector(QStringLiteral("Modify"), equinox, QStringLiteral("White")),
        QStringLiteral("VectorTool * Earth Create Vector Inertial_Z \"Fixed in Axes\" Cartesian 0 0 1 \"CentralBody/Earth Inertial\""),
        vector(verb, z, QStringLiteral("White")),
        vector(verb, nodes, QStringLiteral("White")),
        vector(verb, periapsis, QStringLiteral("White")),
        vector(verb, QStringLiteral("Satellite/Satellite Position Vector"), QStringLiteral("White")),
        vector(verb, momentum, QStringLiteral("White")),
        angle(QStringLiteral("RAAN"), {equinox, nodes, z}),
        vector(verb, QStringLiteral("Satellite/Satellite RAAN Angle"), QStringLiteral("Yellow")),
        angle(QStringLiteral("Argument_of_Perigee"), {nodes, periapsis, momentum}),
        vector(verb, QStringLiteral("Satellite/Satellite Argument_of_Perigee Angle"), QStringLiteral("Red")),
        angle(QStringLiteral("Inclination"), {z, momentum}),
        vector(verb, QStringLiteral("Satellite/Satellite Inclination Angle"), QStringLiteral("Blue")),
    };
}

// The hand-over's commands that undo the preparation's bars and annotations.
inline QStringList handOverRestore()
{
    return {
        QStringLiteral("Application / ToolBar Show ") + quoted(QStringLiteral("*")),
        QStringLiteral("Application / Statusbar Show"),
        QStringLiteral("Application / MenuBar Show"),
        QStringLiteral("VO Scenario/Velmora Annotation Time Show On"),
        QStringLiteral("VO Scenario/Velmora Annotation Time ShowTimeStep On"),
        QStringLiteral("VO Scenario/Velmora Annotation Frame Show On"),
    };
}

// Lines as the recording fake logs commands.
inline QStringList asLogged(const QStringList &commands)
{
    QStringList logged;
    for (const QString &c : commands)
        logged << QStringLiteral("cmd ") + c;
    return logged;
}

} // namespace velmora::testing::golden
