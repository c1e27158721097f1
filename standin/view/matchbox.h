#pragma once
// The "Match NAME" box: how far the selected satellite's orbit is from a
// target's, element by element, and "Matched" once every one is close enough.

#include "standin/model/snapshot.h"
#include "standin/view/scene.h"

#include <optional>

namespace zep::view {

// Against the first target that is not the selected satellite; none when
// there is no such target or either has no orbit.
std::optional<TextBox> matchBox(const Snapshot &snap);

} // namespace zep::view
