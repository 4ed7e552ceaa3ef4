#include "geometry/D3DIndexBuffer.h"

D3DIndexBuffer::D3DIndexBuffer(Kernel* kernel, D3DDriver* driver) : m_Buffer(kernel, driver) {}

bool D3DIndexBuffer::Create(unsigned count, bool dynamic) { return m_Buffer.Create(count, dynamic, 0); }

bool D3DIndexBuffer::Resize(unsigned count) { return m_Buffer.Resize(count); }

bool D3DIndexBuffer::Upload() { return m_Buffer.Upload(); }
