#pragma once
// The transfer's cost box, bottom right of the 3-D overlay: the burns, the
// plane change, the total and the time, what a teacher reads out.

#include "standin/model/snapshot.h"
#include "standin/view/scene.h"

#include <optional>

namespace zep::view {

// None without a transfer.
std::optional<TextBox> transferBox(const Snapshot &snap);

} // namespace zep::view
