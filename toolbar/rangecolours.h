#pragma once
// The value boxes' two text colours, taken from the palette in use so that a
// box reads on a light and a dark theme alike: in range the palette's own
// text colour, out of range a red that stands out from the box's field.

#include <QColor>
#include <QPalette>

namespace velmora::toolbar {

// The contrast that text needs to be read (4.5:1 between the two colours).
inline constexpr double kLegibleContrast = 4.5;

// The red nearest pure red that reaches kLegibleContrast on the palette's
// Base: darker on a light field, lighter on a dark one.
QColor OutOfRangeColour(const QPalette &palette);

} // namespace velmora::toolbar
