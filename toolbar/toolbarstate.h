#pragma once
// The toolbar's per-run state: the element set and the flags the handlers
// share. One object per window, so every window (and every test) starts fresh.

#include "orbit/elements.h"

#include <QString>

namespace velmora::toolbar {

struct ToolbarState {
    bool FormLoading = false;         // start-up is running: no focus moves
    bool ValueChangeActive = false;   // ElementValue_Change runs: bar changes are its own
    qint16 ShownFrameIndex = 0;       // FrameSelect entry of the frame the host's view shows
    bool GeometryAidsFirstUse = false;// next aids switch defines them ("Add")
    QString SatelliteColor;           // colour last sent for the satellite
    double Pi = 0;
    orbit::OrbitElements Elements;
};

} // namespace velmora::toolbar
