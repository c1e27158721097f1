#pragma once
// QCOMPARE compares floating-point values fuzzily; the orbit rules are about
// exact single and double values, so tests compare every digit instead.

#include <QString>

inline QString exact(float value) { return QString::asprintf("%.9g", double(value)); }
inline QString exact(double value) { return QString::asprintf("%.17g", value); }

#define QCOMPARE_EXACT(actual, expected) QCOMPARE(exact(actual), exact(expected))
