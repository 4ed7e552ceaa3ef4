#include "geometry/D3DVertexBuffer.h"

D3DVertexBuffer::D3DVertexBuffer(Kernel* kernel, DriverServices* driver)
    : D3DGeometryBuffer(kernel, driver) {}

bool D3DVertexBuffer::Create(unsigned count, bool dynamic, bool pointSprites) {
    // The point-sprite flag outlives a release, as the dynamic flag does not.
    return D3DGeometryBuffer::Create(count, dynamic, pointSprites ? D3DUSAGE_POINTS : 0);
}
