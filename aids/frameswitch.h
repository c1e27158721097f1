#pragma once
// Which reference frame the host's 3-D view shows, and its axes.
//
// The host's view can only be stepped to its next frame, never told a frame,
// so the toolbar keeps its own record (ShownFrameIndex) of what the view shows
// and steps it only when the user's pick differs from that record.

#include "host/hostlink.h"

#include <QString>

#include <functional>

namespace velmora::aids {

inline const QString kInertialAxes = QStringLiteral("CentralBody/Earth Inertial Axes");
inline const QString kFixedAxes = QStringLiteral("CentralBody/Earth Fixed Axes");
inline const QString kNextReferenceFrame =
    QStringLiteral("VO Scenario/Velmora View NextReferenceFrame");

QString axesShowCommand(const QString &axesPath);
QString axesHideCommand(const QString &axesPath);

// The frame handling of FrameSelect. `selectedIndex` reads the combo's current
// entry index (0 "Earth Inertial", 1 "Earth Fixed", -1 none).
//
// With no entry selected (typed text in the combo) there is no pick: the axes
// of the recorded frame are shown and the view is not stepped, so the record
// keeps naming the frame the view really shows.
void switchFrame(host::HostLink &link, const std::function<int()> &selectedIndex,
                 qint16 &ShownFrameIndex);

} // namespace velmora::aids
