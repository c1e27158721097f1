#include "aids/frameswitch.h"

namespace velmora::aids {

namespace {
const QChar Q = u'"';
}

QString axesShowCommand(const QString &axesPath)
{
    return QStringLiteral("VO * SetVectorGeometry Modify ") + Q + axesPath + Q
        + QStringLiteral(" Show On ShowLabel On Color ") + Q + QStringLiteral("Yellow") + Q;
}

QString axesHideCommand(const QString &axesPath)
{
    return QStringLiteral("VO * SetVectorGeometry Modify ") + Q + axesPath + Q
        + QStringLiteral(" Show Off Color ") + Q + QStringLiteral("Yellow") + Q;
}

void switchFrame(host::HostLink &link, const std::function<int()> &selectedIndex,
                 qint16 &ShownFrameIndex)
{
    const int picked = selectedIndex();
    const bool noPick = picked < 0;
    const int frame = noPick ? ShownFrameIndex : picked;
    if (frame == 0) {
        link.SendHostCommand(axesShowCommand(kInertialAxes));
        link.SendHostCommand(axesHideCommand(kFixedAxes));
    } else {
        link.SendHostCommand(axesShowCommand(kFixedAxes));
        link.SendHostCommand(axesHideCommand(kInertialAxes));
    }
    if (noPick || link.ended())
        return;
    // Read again: the record must name what is selected when the step is sent.
    if (selectedIndex() != ShownFrameIndex) {
        link.SendHostCommand(kNextReferenceFrame);
        const int now = selectedIndex();
        if (now >= 0)
            ShownFrameIndex = qint16(now);
    }
}

} // namespace velmora::aids
