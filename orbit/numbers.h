#pragma once
// The number rules shared by the state command and the value boxes: how a
// single-precision element becomes text, how a box text becomes a number, and
// how an element becomes a scroll position. All of it ignores the user's locale.

#include <QString>
#include <QStringView>

#include <optional>

namespace velmora::orbit {

// At most 7 significant digits, trailing zeros dropped, "E+07"/"E-05" form when
// the decimal exponent is 7 or more or below -4, "." always, -0 written "0".
// The 7 digits are rounded from the exact binary value, ties to even.
// Not finite values never reach it from the model; they are written "0" too
// rather than leak "inf" or "nan" into a command.
QString SingleToText(float value);

// Optional sign, digits with at most one ".", at least one digit, optional
// exponent ("E" or "e", optional sign, digits). Blanks and tabs around the
// number are forgiven; blanks inside, thousands separators, ",", "inf", "nan",
// hexadecimal and non-ASCII digits are not numbers. A number beyond the double
// range is not a number; one too small to hold reads as (signed) zero.
std::optional<double> readDouble(QStringView text);

// Same grammar, correctly rounded straight to single precision (not through
// double, which could round twice). Beyond the single range is not a number.
std::optional<float> readSingle(QStringView text);

// Nearest integer, ties to even; nothing when x is not finite or the result
// does not fit a 32-bit signed integer.
std::optional<qint32> RoundPosition(double x);

// A double rounded to single precision, or nothing when it is not finite or
// rounds beyond the single range (where a plain cast would give infinity).
std::optional<float> toSingle(double x);

} // namespace velmora::orbit
