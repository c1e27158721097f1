#include "standin/view/viewlife.h"

#include <QtGlobal>

namespace zep::view {

const char *viewLifeName(ViewLife life)
{
    switch (life) {
    case ViewLife::Preparing: return "preparing";
    case ViewLife::Ready: return "ready";
    case ViewLife::Presenting: return "presenting";
    case ViewLife::Failed: return "failed";
    case ViewLife::Closing: return "closing";
    }
    return "?";
}

bool viewLifeAllows(ViewLife from, ViewLife to)
{
    switch (from) {
    case ViewLife::Preparing:
        return to == ViewLife::Ready || to == ViewLife::Failed || to == ViewLife::Closing;
    case ViewLife::Ready:
        return to == ViewLife::Presenting || to == ViewLife::Closing;
    case ViewLife::Presenting:
    case ViewLife::Failed:
        return to == ViewLife::Closing;
    case ViewLife::Closing:
        return false;
    }
    return false;
}

bool advanceViewLife(ViewLife &life, ViewLife next)
{
    if (!viewLifeAllows(life, next)) {
        qCritical("3-D view: %s cannot follow %s", viewLifeName(next), viewLifeName(life));
        return false;
    }
    life = next;
    return true;
}

} // namespace zep::view
