#include "standin/view/drawbatches.h"

#include <algorithm>
#include <utility>

namespace zep::view {

namespace {

// A draw's vertices within the scene's: too short to show anything when fewer
// than a line (or a point) needs.
std::pair<int, int> span(const Draw &d, size_t vertexCount)
{
    return {std::max(d.first, 0), std::min(d.first + d.count, int(vertexCount))};
}

} // namespace

std::vector<ColouredVertex> colouredVertices(const Scene &scene)
{
    const size_t vertexCount = scene.vertices.size() / 3;
    std::vector<ColouredVertex> out(vertexCount);
    for (size_t k = 0; k < vertexCount; ++k)
        out[k] = {scene.vertices[3 * k], scene.vertices[3 * k + 1], scene.vertices[3 * k + 2], {}};
    for (const Draw &d : scene.draws) {
        const QColor c = d.color.toRgb();
        const std::array<std::uint8_t, 4> rgba{std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue()),
                                               std::uint8_t(c.alpha())};
        const auto [first, end] = span(d, vertexCount);
        for (int k = first; k < end; ++k)
            out[size_t(k)].rgba = rgba;
    }
    return out;
}

DrawBatches batchDraws(const Scene &scene, int firstDraw, int endDraw, Depth depth)
{
    DrawBatches out;
    const size_t vertexCount = scene.vertices.size() / 3;

    firstDraw = std::clamp(firstDraw, 0, int(scene.draws.size()));
    endDraw = endDraw < 0 ? int(scene.draws.size()) : std::clamp(endDraw, firstDraw, int(scene.draws.size()));
    for (int n = firstDraw; n < endDraw; ++n) {
        const Draw &d = scene.draws[size_t(n)];
        const bool point = d.primitive == Primitive::Points;
        const bool depthWrite = d.depthWrite && depth == Depth::AsDrawn;
        const auto [first, end] = span(d, vertexCount);
        if (end - first < (point ? 1 : 2))
            continue;

        const Primitive kind = point ? Primitive::Points : Primitive::Lines;
        if (out.batches.empty() || out.batches.back().primitive != kind || out.batches.back().size != d.size
            || out.batches.back().depthWrite != depthWrite)
            out.batches.push_back({kind, d.size, depthWrite, int(out.indices.size()), 0});
        switch (d.primitive) {
        case Primitive::Points:
            for (int k = first; k < end; ++k)
                out.indices.push_back(std::uint32_t(k));
            break;
        case Primitive::Lines:
            for (int k = first; k + 1 < end; k += 2)
                out.indices.insert(out.indices.end(), {std::uint32_t(k), std::uint32_t(k + 1)});
            break;
        case Primitive::LineStrip:
            for (int k = first; k + 1 < end; ++k)
                out.indices.insert(out.indices.end(), {std::uint32_t(k), std::uint32_t(k + 1)});
            break;
        }
        out.batches.back().count = int(out.indices.size()) - out.batches.back().firstIndex;
    }
    return out;
}

} // namespace zep::view
