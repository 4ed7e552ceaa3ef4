// Geometry: vertex and index buffers, the draw operations and screen quads.
#include "host/ScreenQuad.h"
#include "plugin/D3DDriver.h"

bool D3DDriver::RenderVertexBuffer(PrimitiveType, unsigned) { return false; }
bool D3DDriver::RenderVertexBufferEx(PrimitiveType, int, unsigned, int) { return false; }
bool D3DDriver::RenderVertices(PrimitiveType, unsigned, const Vertex*) { return false; }
bool D3DDriver::RenderScreenQuad(ScreenQuad*) { return false; }

VertexBuffer* D3DDriver::CreateVertexBuffer(unsigned, bool, bool) { return nullptr; }
bool D3DDriver::DestroyVertexBuffer(VertexBuffer*) { return false; }
bool D3DDriver::SetVertexBuffer(VertexBuffer*) { return false; }
IndexBuffer* D3DDriver::CreateIndexBuffer(unsigned, bool) { return nullptr; }
bool D3DDriver::DestroyIndexBuffer(IndexBuffer*) { return false; }
bool D3DDriver::SetIndexBuffer(IndexBuffer*) { return false; }

ScreenQuad* D3DDriver::CreateScreenQuad(RECT, unsigned long) { return nullptr; }

bool D3DDriver::DestroyScreenQuad(ScreenQuad* quad) {
    delete quad;
    return true;
}
