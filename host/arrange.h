#pragma once
// Closes the host's stray windows and lays out its bars and view.

#include "host/hostlink.h"

namespace velmora::host {

void ArrangeHostWindows(HostLink &link);

} // namespace velmora::host
