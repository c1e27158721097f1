#pragma once
// The Earth's sphere and its surface picture, independent of OpenGL.

#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

namespace zep::view {

// Unit sphere in Earth-fixed axes: x towards longitude 0, z north. Each vertex
// is x, y, z, u, v; u grows eastwards from longitude -180, v from the north
// pole (row 0 of an equirectangular picture). The seam column is duplicated
// so that u runs 0..1 without wrapping.
struct SphereMesh {
    std::vector<float> vertices;
    std::vector<std::uint32_t> indices;
    int stacks = 0, slices = 0;
};
SphereMesh makeSphere(int stacks, int slices);

// The mesh the globe is drawn with: coarse, since each pixel finds the
// sphere itself, and scaled by enclosingScale() so that it holds the sphere.
inline constexpr int kGlobeSlices = 32;
// How far the mesh must grow for its every face to lie outside the unit
// sphere: its faces are flat, so the sphere bulges through them.
double enclosingScale(const SphereMesh &mesh);

// A clean globe for when no Earth picture is installed: ocean shaded by
// latitude, ice caps, faint latitude bands every 30 degrees.
QImage proceduralGlobe(int width, int height);

// Where the Earth pictures are looked for at run time.
inline constexpr const char *kDayImagePath = "/usr/share/xplanet/images/earth.jpg";
inline constexpr const char *kNightImagePath = "/usr/share/xplanet/images/night.jpg";

} // namespace zep::view
