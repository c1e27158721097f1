#pragma once
// What the 3-D view draws around the Earth, as plain functions of plain
// values so that it can be checked without a display: the frame on show, the
// orbit and the path ahead, the aids' directions and angle arcs, the Sun and
// the grid's spacing. All in metres, in doubles.

#include "standin/astro/orbit.h"
#include "standin/astro/time.h"

#include <QString>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace zep::view {

using astro::Vec3;

// Inertial to the frame on show: identity for inertial, the Earth's rotation
// undone for fixed.
Vec3 toDisplay(Vec3 inertial, bool fixedFrame, double gmstRad);

// The whole orbit, sampled evenly in eccentric anomaly so that the sharp turn
// at periapsis of a very eccentric orbit keeps enough points. Closed: the last
// point repeats the first.
std::vector<Vec3> inertialOrbitPath(const astro::Elements &el, int samples);
// The path ahead of the satellite from `from` over `fraction` of a period,
// sampled like the whole orbit. Earth-fixed, it is the path relative to the
// turning Earth; otherwise inertial.
std::vector<Vec3> leadPath(const astro::Elements &el, astro::Instant elementsEpoch, astro::Instant from,
                           double fraction, int samples, bool earthFixed);

// The paths above, kept between frames by what they are made from: with
// dozens of satellites on show, sampling their unchanged orbits afresh took
// most of a frame. A whole inertial orbit does not change with time, so it
// is kept as long as its elements stay; a lead path, only for the same time.
// A path not asked for since the previous beginFrame() is let go; the
// references handed out hold until then.
class OrbitPathCache {
public:
    void beginFrame();
    const std::vector<Vec3> &wholeOrbit(const astro::Elements &el, int samples);
    const std::vector<Vec3> &lead(const astro::Elements &el, astro::Instant elementsEpoch, astro::Instant from,
                                  double fraction, int samples, bool earthFixed);
    std::size_t size() const { return paths_.size(); }

private:
    // The kind (whole, lead, Earth-fixed lead), the samples, the elements,
    // the epoch, the start and the fraction.
    using Key = std::array<double, 11>;
    struct Entry {
        std::vector<Vec3> path;
        bool used = true;
    };
    template <typename Make>
    const std::vector<Vec3> &find(const Key &key, Make &&make);
    std::map<Key, Entry> paths_;
};

// Arc of `radius` from direction a to direction b. With a non-zero `sense`
// the angle is counted right-handed about it, so it may exceed 180 degrees
// (the way RAAN is counted about +z); without, the short way. Returns the
// points and the angle swept; parallel or zero inputs give no points.
// An angle that its label (see aidtext.h) would round to 0.0 or 360.0 degrees is 0 and has no
// points: a RAAN of 0 read back from a propagated state comes out a hair
// either side of zero, and counted about +z the hair below is a full turn.
struct Arc {
    std::vector<Vec3> points;
    double angle = 0;  // radians, in [0, 2 pi)
};
Arc arcBetween(Vec3 a, Vec3 b, Vec3 sense, double radius, int segments = 64);

// Direction of the Sun, inertial, unit (low-precision solar coordinates,
// about 0.01 degree, plenty for lighting).
Vec3 sunDirection(astro::Instant t);

// The six named directions of the geometry aids, from a state. A direction is
// empty when the orbit does not define it; `why` says so in words.
struct AidDirections {
    std::optional<Vec3> vernalEquinox, inertialZ, lineOfNodes, periapsis, position, angularMomentum;
    QString nodesUndefinedWhy, periapsisUndefinedWhy;
};
AidDirections aidDirections(const astro::State &s);

// Grid spacing: a round number of kilometres giving a handful of rings for a
// camera at rangeM.
double gridSpacing(double rangeM);

} // namespace zep::view
