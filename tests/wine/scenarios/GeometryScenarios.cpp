// Screen quads and vertex buffers on the real runtime: what they draw and
// where, the stream a draw from the host's array leaves bound, the triangles
// a scene counts.
#include <vector>

#include "SceneDrawing.h"
#include "Scenario.h"
#include "WineSuite.h"
#include "host/ScreenQuad.h"
#include "host/VertexBuffer.h"

using namespace winesuite;

WINE_SCENARIO(geometry) {
    RenderDevice* device = scenario.Device();
    if (!OpenWindowed(scenario)) return;
    ScreenQuad* quads[] = {device->CreateScreenQuad(ToRect(kOpaqueQuad), kOpaqueQuadColour),
                           device->CreateScreenQuad(ToRect(kHalfQuad), kHalfQuadColour),
                           device->CreateScreenQuad(ToRect(kOverlapQuad), kOpaqueQuadColour),
                           device->CreateScreenQuad(ToRect(kBetweenQuad), kBetweenQuadColour)};
    VertexBuffer* lists = MakeBuffer(device, ToVertices(kStaticTriangles, 2), false);
    VertexBuffer* dynamic = MakeBuffer(device, ToVertices(&kDynamicTriangle, 1), true);
    VertexBuffer* strip = MakeBuffer(device, ToVertices(kStrip, 4), false);
    VertexBuffer* bound = MakeBuffer(device, ToVertices(&kBoundTriangle, 1), false);
    if (quads[0] && quads[1] && quads[2] && quads[3] && lists && dynamic && strip && bound) {
        scenario.Frame("quads", kGeometryClear, [&](RenderDevice* d) {
            d->SetMaterial(nullptr);
            d->SetTexture(0, nullptr);  // the debug font leaves its glyphs on stage 0
            return d->RenderScreenQuad(quads[0]) && d->RenderScreenQuad(quads[1]) &&
                   d->RenderScreenQuad(quads[2]);
        });

        const std::vector<Vertex> fan = ToVertices(kFan, 4);
        const std::vector<Vertex> array = ToVertices(&kArrayTriangle, 1);
        scenario.Frame("ortho", kGeometryClear, [&](RenderDevice* d) {
            d->SetMaterial(nullptr);
            d->SetTexture(0, nullptr);
            SetOrthographic(d);
            bool drawn = d->SetVertexBuffer(lists) && d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2);
            drawn = d->SetVertexBuffer(dynamic) && d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1) &&
                    drawn;
            // The second and fourth arguments mean nothing to the driver.
            drawn = d->SetVertexBuffer(strip) &&
                    d->RenderVertexBufferEx(PRIMITIVE_TRIANGLESTRIP, 7, 2, 9) && drawn;
            // Array draws and a quad between binding a buffer and drawing it.
            drawn = d->SetVertexBuffer(bound) && drawn;
            drawn = d->RenderVertices(PRIMITIVE_TRIANGLEFAN, 2, fan.data()) && drawn;
            drawn = d->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, array.data()) && drawn;
            drawn = d->RenderScreenQuad(quads[3]) && drawn;
            return d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1) && drawn;
        });
    }
    device->SetVertexBuffer(nullptr);
    for (VertexBuffer* buffer : {lists, dynamic, strip, bound})
        if (buffer) device->DestroyVertexBuffer(buffer);
    for (ScreenQuad* quad : quads)
        if (quad) device->DestroyScreenQuad(quad);
}
