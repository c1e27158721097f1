#include "desktop/keydelivery.h"

namespace velmora::desktop {

std::optional<QList<KeyStroke>> parseKeySequence(const QString &keys)
{
    QList<KeyStroke> strokes;
    KeyStroke next;
    bool pending = false;
    for (const QChar c : keys) {
        if (c == u'%' || c == u'^' || c == u'+') {
            (c == u'%' ? next.alt : c == u'^' ? next.control : next.shift) = true;
            pending = true;
            continue;
        }
        if (c.category() == QChar::Other_Control)
            return std::nullopt;
        next.key = c;
        strokes.append(next);
        next = {};
        pending = false;
    }
    if (pending)
        return std::nullopt;
    return strokes;
}

} // namespace velmora::desktop
