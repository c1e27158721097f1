#include "host/scenario.h"

namespace velmora::host {

void PrepareScenario(HostLink &) {}

} // namespace velmora::host
