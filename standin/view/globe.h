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

// The levels of detail the globe is drawn at, coarsest first; each has half
// as many stacks as slices.
inline constexpr int kSphereSlices[] = {32, 64, 128};
// The coarsest level whose outline, for a sphere of that radius on screen
// (device pixels), strays less than 0.4 px from the circle; the finest when
// none does or the radius is unknown (0). A small Earth is then a few
// thousand triangles, which a software renderer sets up for every frame.
int sphereSlicesFor(double pixelRadius);

// A clean globe for when no Earth picture is installed: ocean shaded by
// latitude, ice caps, faint latitude bands every 30 degrees.
QImage proceduralGlobe(int width, int height);

// Where the Earth pictures are looked for at run time.
inline constexpr const char *kDayImagePath = "/usr/share/xplanet/images/earth.jpg";
inline constexpr const char *kNightImagePath = "/usr/share/xplanet/images/night.jpg";

} // namespace zep::view
