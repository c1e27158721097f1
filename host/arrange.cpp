#include "host/arrange.h"

namespace velmora::host {

void ArrangeHostWindows(HostLink &) {}

} // namespace velmora::host
