#pragma once
// The six orbit regimes of OrbitSelect as fixed lists of scroll-bar writes.

#include "orbit/elements.h"

#include <QStringList>

#include <span>

namespace velmora::orbit {

struct ScrollWrite {
    enum class Member { Max, Min, Value, Enabled };
    Row row;        // never the true anomaly
    Member member;
    int value;      // position, or 1/0 for Enabled
};

// The entries of OrbitSelect, in list order.
QStringList presetNames();

// The writes of the preset at a list index, in the order they must be made
// (rows top to bottom; Max, Min, Value, Enabled); empty for any other index.
std::span<const ScrollWrite> presetWrites(int listIndex);

} // namespace velmora::orbit
