#include "geometry/D3DIndexBuffer.h"

D3DIndexBuffer::D3DIndexBuffer(Kernel* kernel, DriverServices* driver)
    : D3DGeometryBuffer(kernel, driver) {}

bool D3DIndexBuffer::Create(unsigned count, bool dynamic) {
    return D3DGeometryBuffer::Create(count, dynamic, 0);
}
