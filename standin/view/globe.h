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

// A clean globe for when no Earth picture is installed: ocean shaded by
// latitude, ice caps, faint latitude bands every 30 degrees.
QImage proceduralGlobe(int width, int height);

// Where the Earth pictures are looked for at run time.
inline constexpr const char *kDayImagePath = "/usr/share/xplanet/images/earth.jpg";
inline constexpr const char *kNightImagePath = "/usr/share/xplanet/images/night.jpg";

} // namespace zep::view
