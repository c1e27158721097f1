#include "aids/frameswitch.h"

namespace velmora::aids {

namespace {
const QChar Q = u'"';
}

QString AxesShowCommand(const QString &axesPath)
{
    return QStringLiteral("VO * SetVectorGeometry Modify ") + Q + axesPath + Q
        + QStringLiteral(" Show On ShowLabel On Color ") + Q + QStringLiteral("Yellow") + Q;
}

QString AxesHideCommand(const QString &axesPath)
{
    return QStringLiteral("VO * SetVectorGeometry Modify ") + Q + axesPath + Q
        + QStringLiteral(" Show Off Color ") + Q + QStringLiteral("Yellow") + Q;
}

void SwitchFrame(host::HostLink &link, const std::function<int()> &selectedIndex,
                 qint16 &ShownFrameIndex)
{
    const int picked = selectedIndex();
    const bool noPick = picked < 0;
    const int frame = noPick ? ShownFrameIndex : picked;
    if (frame == 0) {
        link.SendHostCommand(AxesShowCommand(kInertialAxes));
        link.SendHostCommand(AxesHideCommand(kFixedAxes));
    } else {
        link.SendHostCommand(AxesShowCommand(kFixedAxes));
        link.SendHostCommand(AxesHideCommand(kInertialAxes));
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
