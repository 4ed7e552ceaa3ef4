// Helpers the geometry and material scenarios share: the host's vertices
// from the scenes of WineSuite.h, buffers filled with them, the projection.
#pragma once

#include <vector>

#include "Scenario.h"
#include "WineSuite.h"
#include "host/RenderDevice.h"
#include "host/VertexBuffer.h"

namespace winesuite {

// Every scene vertex faces the viewer (its normal points to -z).
inline Vertex ToVertex(const SceneVertex& scene) {
    Vertex vertex;
    vertex.position = Vector3D(scene.x, scene.y, scene.z);
    vertex.normal = Vector3D(0.0f, 0.0f, -1.0f);
    vertex.diffuse = scene.colour;
    return vertex;
}

inline std::vector<Vertex> ToVertices(const SceneVertex* scene, size_t count) {
    std::vector<Vertex> vertices;
    for (size_t i = 0; i < count; ++i) vertices.push_back(ToVertex(scene[i]));
    return vertices;
}

inline std::vector<Vertex> ToVertices(const SceneTriangle* triangles, size_t count) {
    return ToVertices(&triangles[0].v[0], count * 3);
}

// A vertex buffer holding `vertices`, uploaded; null when any step failed.
inline VertexBuffer* MakeBuffer(RenderDevice* device, const std::vector<Vertex>& vertices,
                                bool dynamic) {
    VertexBuffer* buffer =
        device->CreateVertexBuffer(static_cast<unsigned>(vertices.size()), dynamic, false);
    if (!buffer) return nullptr;
    Vertex* target = buffer->GetVertices();
    for (size_t i = 0; i < vertices.size(); ++i) target[i] = vertices[i];
    if (!buffer->Upload()) {
        device->DestroyVertexBuffer(buffer);
        return nullptr;
    }
    return buffer;
}

// The orthographic projection of the whole client area, world and view the
// identity.
inline void SetOrthographic(RenderDevice* device) {
    const Matrix3D projection = device->BuildOrthoMatrix(static_cast<float>(kWidth),
                                                         static_cast<float>(kHeight));
    device->SetProjectionMatrix(&projection);
    const Matrix3D identity;
    device->SetWorldMatrix(&identity);
    device->SetViewMatrix(&identity);
}

// The 640 x 480 windowed mode; records whether it was set.
inline bool OpenWindowed(Scenario& scenario) {
    const bool set = scenario.Device()->SetDisplayMode(kWidth, kHeight, 32, 60, 0, true);
    scenario.Fact("display.set", set);
    return set;
}

inline RECT ToRect(const QuadRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace winesuite
