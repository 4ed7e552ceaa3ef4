// Screen quads and vertex buffers on the real runtime: what they draw, where,
// and with which colours; the stream a draw from the host's array leaves
// bound; the triangles a scene counts.
#include <string>
#include <vector>

#include "SceneDrawing.h"
#include "Scenario.h"
#include "WineSuite.h"
#include "host/IndexBuffer.h"
#include "host/ScreenQuad.h"
#include "host/VertexBuffer.h"

namespace {

using namespace winesuite;

std::string RectText(const RECT& rect) {
    return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
           std::to_string(rect.right) + " " + std::to_string(rect.bottom);
}

// What GetRect makes of rectangles the host wrote into the vertices itself,
// and of one that is not normalised.
void RecordRects(Scenario& scenario) {
    RenderDevice* device = scenario.Device();
    ScreenQuad* quad = device->CreateScreenQuad(RECT{0, 0, 1, 1}, 0xFFFFFFFFu);
    if (!quad) return;
    int index = 0;
    for (const FractionalCorner& corner : kFractionalRects) {
        ScreenVertex* vertices = quad->GetVertices();
        vertices[0].x = corner.x0;
        vertices[0].y = corner.y0;
        vertices[1].x = corner.x1;
        vertices[2].y = corner.y2;
        scenario.Fact(("rect.fractional." + std::to_string(index++)).c_str(),
                      RectText(quad->GetRect()));
    }
    quad->SetRect(RECT{200, 100, 50, 20});
    scenario.Fact("rect.unnormalised", RectText(quad->GetRect()));
    device->DestroyScreenQuad(quad);
}

}  // namespace

WINE_SCENARIO(screen_quads) {
    RenderDevice* device = scenario.Device();
    if (!OpenWindowed(scenario)) return;
    ScreenQuad* opaque = device->CreateScreenQuad(ToRect(kOpaqueQuad), kOpaqueQuadColour);
    ScreenQuad* half = device->CreateScreenQuad(ToRect(kHalfQuad), kHalfQuadColour);
    ScreenQuad* overlap = device->CreateScreenQuad(ToRect(kOverlapQuad), kOpaqueQuadColour);
    scenario.Fact("quads.made", opaque && half && overlap);
    if (opaque && half && overlap) {
        scenario.Fact("frames", scenario.DrawFrames(kGeometryClear, 2, [&](RenderDevice* d) {
            d->SetMaterial(nullptr);
            d->SetTexture(0, nullptr);  // the debug font leaves its glyphs on stage 0
            return d->RenderScreenQuad(opaque) && d->RenderScreenQuad(half) &&
                   d->RenderScreenQuad(overlap);
        }));
        scenario.Fact("triangles", device->GetTriangleCount());
        scenario.Fact("captured", scenario.Capture("quads"));
    }
    for (ScreenQuad* quad : {opaque, half, overlap}) device->DestroyScreenQuad(quad);
    RecordRects(scenario);
}

WINE_SCENARIO(vertex_buffers) {
    RenderDevice* device = scenario.Device();
    if (!OpenWindowed(scenario)) return;
    VertexBuffer* lists = MakeBuffer(device, ToVertices(kStaticTriangles, 2), false);
    VertexBuffer* dynamic = MakeBuffer(device, ToVertices(&kDynamicTriangle, 1), true);
    VertexBuffer* strip = MakeBuffer(device, ToVertices(kStrip, 4), false);
    VertexBuffer* bound = MakeBuffer(device, ToVertices(&kBoundTriangle, 1), false);
    VertexBuffer* perspective = MakeBuffer(device, ToVertices(kPerspectiveTriangles, 2), false);
    ScreenQuad* quad = device->CreateScreenQuad(ToRect(kBetweenQuad), kBetweenQuadColour);
    const bool made = lists && dynamic && strip && bound && perspective && quad;
    scenario.Fact("buffers.made", made);
    scenario.Fact("buffers.dynamic.count", dynamic ? dynamic->GetVertexCount() : 0);

    // Index buffers are made, filled and bound; no draw reads them.
    IndexBuffer* indices[] = {device->CreateIndexBuffer(6, false), device->CreateIndexBuffer(3, true)};
    for (int i = 0; i < 2; ++i) {
        const std::string key = "indices." + std::to_string(i);
        IndexBuffer* buffer = indices[i];
        scenario.Fact((key + ".made").c_str(), buffer != nullptr);
        if (!buffer) continue;
        scenario.Fact((key + ".count").c_str(), buffer->GetIndexCount());
        for (unsigned n = 0; n < buffer->GetIndexCount(); ++n)
            buffer->GetIndices()[n] = static_cast<unsigned short>(n);
        scenario.Fact((key + ".uploaded").c_str(), buffer->Upload());
        scenario.Fact((key + ".bound").c_str(), device->SetIndexBuffer(buffer));
    }
    scenario.Fact("indices.unbound", device->SetIndexBuffer(nullptr));

    if (made) {
        const std::vector<Vertex> fan = ToVertices(kFan, 4);
        const std::vector<Vertex> array = ToVertices(&kArrayTriangle, 1);
        scenario.Fact("frames.ortho", scenario.DrawFrames(kGeometryClear, 2, [&](RenderDevice* d) {
            d->SetMaterial(nullptr);
            d->SetTexture(0, nullptr);
            SetOrthographic(d);
            bool drawn = d->SetVertexBuffer(lists) && d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2);
            drawn = d->SetVertexBuffer(dynamic) && d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1) &&
                    drawn;
            // The second and fourth arguments mean nothing to the driver.
            drawn = d->SetVertexBuffer(strip) &&
                    d->RenderVertexBufferEx(PRIMITIVE_TRIANGLESTRIP, 7, 2, 9) && drawn;
            // Draws from the host's array and a screen quad between binding
            // a buffer and drawing from it.
            drawn = d->SetVertexBuffer(bound) && drawn;
            drawn = d->RenderVertices(PRIMITIVE_TRIANGLEFAN, 2, fan.data()) && drawn;
            drawn = d->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, array.data()) && drawn;
            drawn = d->RenderScreenQuad(quad) && drawn;
            return d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1) && drawn;
        }));
        scenario.Fact("triangles.ortho", device->GetTriangleCount());
        scenario.Fact("captured.ortho", scenario.Capture("ortho"));

        scenario.Fact("frames.perspective",
                      scenario.DrawFrames(kGeometryClear, 2, [&](RenderDevice* d) {
                          d->SetMaterial(nullptr);
                          d->SetTexture(0, nullptr);
                          SetOrthographic(d);
                          const Matrix3D projection = d->BuildPerspectiveMatrix(
                              kFieldOfView, static_cast<float>(kWidth) / kHeight);
                          d->SetProjectionMatrix(&projection);
                          return d->SetVertexBuffer(perspective) &&
                                 d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2);
                      }));
        scenario.Fact("triangles.perspective", device->GetTriangleCount());
        scenario.Fact("captured.perspective", scenario.Capture("perspective"));
    }

    device->SetVertexBuffer(nullptr);
    for (VertexBuffer* buffer : {lists, dynamic, strip, bound, perspective})
        if (buffer) device->DestroyVertexBuffer(buffer);
    for (IndexBuffer* buffer : indices)
        if (buffer) device->DestroyIndexBuffer(buffer);
    if (quad) device->DestroyScreenQuad(quad);
}
