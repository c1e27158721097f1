#pragma once
// The scenario as the toolbar leaves it after start-up, for demos, tests and
// benchmarks of the view: grid on, inertial axes shown, the data display on,
// and optionally the geometry aids.

#include "standin/model/snapshot.h"

namespace zep::view {

struct SampleOptions {
    astro::Elements elements{6582e3, 0, 0, 0, 0, 0};
    QColor satelliteColor = Qt::white;
    bool aids = false;           // vectors and angles shown (frame axes hidden then)
    bool inertialAxes = true;
    bool fixedAxes = false;
    ReferenceFrame frame = ReferenceFrame::Inertial;
};

Snapshot sampleScene(const SampleOptions &o = {});
// 1 Jul 2005 12:00:00 UTC, the scenario's start.
astro::Instant sampleStart();

} // namespace zep::view
