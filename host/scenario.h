#pragma once
// Brings the freshly connected host into the state the toolbar works on.

#include "host/hostlink.h"

namespace velmora::host {

void PrepareScenario(HostLink &link);

} // namespace velmora::host
