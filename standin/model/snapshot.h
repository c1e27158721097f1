#pragma once
// The scenario as the view draws it: an immutable value that the command
// thread publishes and the GUI thread reads, one per paint.

#include "standin/astro/match.h"
#include "standin/astro/orbit.h"
#include "standin/astro/time.h"
#include "standin/astro/transfer.h"

#include <QColor>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace zep {

enum class ReferenceFrame { Inertial = 0, Fixed = 1 };

// One vector, angle or axes set of the view's geometry tools.
struct GeometryItem {
    enum class Kind { Axes, Vector, Angle };
    Kind kind = Kind::Vector;
    QString path;            // as the commands name it, e.g. "Satellite/Satellite Position Vector"
    bool show = false;
    bool showLabel = false;
    QColor color = Qt::white;
    QStringList betweenVectors;  // angles: the vectors' paths, in the given order
    astro::Vec3 fixedComponents; // user vectors "Fixed in Axes ... Cartesian x y z"
    QString axes;                // user vectors: the axes' path, e.g. "CentralBody/Earth Inertial Axes"
    bool userDefined = false;    // made by a VectorTool command, not built into the host
};

inline constexpr int kMaxSatellites = 64;
inline constexpr int kMaxKeptOrbits = 8;

struct SatelliteState {
    QString name;
    QColor color = Qt::white;
    bool hasOrbit = false;
    astro::Elements elements;  // at elementsEpoch
    astro::Instant elementsEpoch;
    astro::Instant orbitStart, orbitStop;  // the span the state command gave
    double orbitStep = 60;                 // s
    // Why the newest state command for it was refused, in the interpreter's
    // words ("eccentricity 1.5 must be below 1"); empty once one is accepted.
    // The views say it, since they go on showing the old orbit.
    QString stateRefusal;
    QString attributeType = QStringLiteral("Basic");
    // Whole orbits from the start: with several on show, a quarter of each
    // ahead of its satellite does not tell which orbit is which.
    bool orbitLeadAll = true;
    bool dataDisplayShown = false;
    QString dataDisplayName;
    // An orbit to match: the 3-D view hides it until the targets are revealed.
    bool target = false;

    // An accepted orbit is always an ellipse; this guards readers of older shapes.
    bool drawable() const { return hasOrbit && !astro::checkElements(elements); }
};

// A faded copy of an orbit, left behind for comparison ("Kept 3").
struct KeptOrbit {
    int number = 0;
    QString satellite;
    QColor color;
    astro::Elements elements;
    astro::Instant epoch;
};

struct TransferPlan {
    QString from, to;  // as the command named them
    astro::Transfer cost;
};

struct Snapshot {
    quint64 revision = 0;

    bool scenarioOpen = false;
    QString scenarioName;
    astro::Instant start, stop, epoch;
    astro::Instant animationStart, animationStop;
    double animationStep = 60;    // s
    double animationRate = 1;
    QString refreshMode;

    struct Grid {
        bool showEci = false;
        QColor eciColor = Qt::green;
        bool showRadial = false;
    } grid;
    struct Annotations {
        bool time = true;
        bool timeStep = true;
        bool frame = true;
    } annotations;

    // In the order they were made.
    std::vector<SatelliteState> satellites;
    int satellitesMade = 0;  // picks each new one's colour
    // Picked in the GUI; the views fall back when it is empty or gone.
    QString selected;
    std::vector<KeptOrbit> keptOrbits;  // oldest first
    int keptSerial = 0;                 // the number the next kept orbit takes
    std::optional<TransferPlan> transfer;
    // How close counts as a match, and whether the targets' orbits show.
    astro::MatchTolerance targetTolerance;
    bool targetRevealed = false;
    // The first target other than the satellite; null when there is none.
    const SatelliteState *targetFor(const SatelliteState &sat) const;

    const SatelliteState *findSatellite(const QString &name) const;
    // The picked one, else the toolbar's "Satellite", else the first; null
    // when there is none.
    const SatelliteState *selectedSatellite() const;

    ReferenceFrame frame = ReferenceFrame::Inertial;
    struct Viewer {
        double latitudeDeg = 30;
        double longitudeDeg = 0;
        double rangeM = 1e8;
        quint64 serial = 0;        // bumps on every ViewerPosition command
    } viewer;

    // Keyed by the lower-cased path.
    QMap<QString, GeometryItem> geometry;

    // The main window's bars as the commands left them; the GUI follows.
    struct Chrome {
        bool statusBar = true;
        bool menuBar = true;
        QMap<QString, bool> toolBars;  // by the bar's name as the host spells it
    } chrome;

    bool verbose = true;
    bool acknowledge = true;

    // The lesson being played, for the lesson bar; step 0 is its opening.
    struct LessonProgress {
        bool open = false;
        QString title;
        QString file;
        int step = 0;
        int count = 0;
        QString caption;  // the step's; empty at step 0
    } lesson;
};

using SnapshotPtr = std::shared_ptr<const Snapshot>;

} // namespace zep
