#pragma once
// The scene's draws as few draw calls: a run of draws in one style (lines
// or points, width, depth writing) becomes one indexed call, each vertex
// carrying its draw's colour. A software renderer spends about as long
// setting up a call as drawing a whole orbit, and a scene of many
// satellites has a call for each orbit and each marker.

#include "standin/view/scene.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zep::view {

struct ColouredVertex {
    float x = 0, y = 0, z = 0;
    std::array<std::uint8_t, 4> rgba{};  // straight alpha
};

struct DrawBatch {
    Primitive primitive = Primitive::Lines;  // Lines (pairs of indices) or Points
    float size = 1;
    bool depthWrite = true;
    int firstIndex = 0;
    int count = 0;  // indices
};

struct DrawBatches {
    std::vector<std::uint32_t> indices;  // into colouredVertices()
    std::vector<DrawBatch> batches;      // in the scene's order
};

// Scene::vertices in order, each with its draw's colour: one upload a frame
// serves every batch of it.
std::vector<ColouredVertex> colouredVertices(const Scene &scene);

// The draws first..end-1 (all of them by default); those too short to show
// anything (a line of one vertex) are left out. Without depth, no batch
// writes depth.
enum class Depth { AsDrawn, None };
DrawBatches batchDraws(const Scene &scene, int first = 0, int end = -1, Depth depth = Depth::AsDrawn);

} // namespace zep::view
