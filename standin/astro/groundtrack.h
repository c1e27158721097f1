#pragma once
// Where the satellite is over the Earth: the sub-satellite point and the
// ground track for a flat map. Pure functions on plain values, no Qt.

#include "standin/astro/orbit.h"
#include "standin/astro/time.h"

#include <vector>

namespace zep::astro {

// Geocentric latitude on a spherical Earth, as the viewer's globe is a
// sphere: the angle of the position above the equator, not the geodetic
// latitude of an ellipsoid. Degrees; longitude in [-180, 180), east positive.
struct GeoPoint {
    double latitudeDeg = 0;
    double longitudeDeg = 0;
};

// One unbroken stretch of track. A polyline that ends at the date line ends
// exactly at longitude +180 or -180 and the next one starts on the other edge.
using GeoPolyline = std::vector<GeoPoint>;

struct TimeSpan {
    Instant begin;
    Instant end;
};

// Position and velocity at t of an orbit given by elements at their epoch.
State stateAt(const Elements &el, Instant epoch, Instant t);

// The point below an Earth-inertial position at t. The centre itself has no
// direction and maps to latitude 0, longitude 0.
GeoPoint subSatellitePoint(const Vec3 &inertial, Instant t);

// The span a map shows around now: one revolution either side, the
// revolution capped at kMaxTrackHalfSpan so that very high orbits do not
// draw weeks of track. Empty (begin == end == now) for invalid elements.
inline constexpr double kMaxTrackHalfSpan = 86400.0;  // s
TimeSpan groundTrackSpan(const Elements &el, Instant now);

// Sub-satellite points of the orbit from t0 to t1 (both included), split at
// the date line so that no segment runs across the map. Samples are spaced
// so that the satellite's orbital angle plus the Earth's turn stays within
// a degree per sample (smooth at perigee and over slow apogees alike), and
// never more than kMaxTrackPoints in all: longer spans get coarser.
// Empty for invalid elements or when t1 is not after t0.
inline constexpr int kMaxTrackPoints = 20000;
std::vector<GeoPolyline> groundTrack(const Elements &el, Instant epoch, Instant t0, Instant t1);

// The points groundTrack() joins, each with its time (s since the epoch of
// Instant), in time order: a view that keeps them can cut any stretch of
// the span out of them again without propagating anew.
struct TrackSample {
    double t = 0;
    GeoPoint at;
};
std::vector<TrackSample> trackSamples(const Elements &el, Instant epoch, Instant t0, Instant t1);

// Splits a sequence of points at the date line: between two neighbours more
// than 180 degrees apart in longitude the track went the short way round, so
// the crossing latitude is interpolated and the line ends on one edge and
// resumes on the other.
std::vector<GeoPolyline> splitAtDateLine(const std::vector<GeoPoint> &points);

} // namespace zep::astro
