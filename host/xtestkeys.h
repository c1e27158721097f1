#pragma once
// Synthesised keyboard input on an X11 desktop; kept apart so that the X11
// headers' macros stay out of the rest of the code.

#include "host/handover.h"

namespace velmora::host {

// Null unless the program runs on X11 and the server offers XTEST.
std::unique_ptr<KeySender> MakeXTestKeySender();

} // namespace velmora::host
