// The bytes of a vertex or index buffer and the rules of locking them.
#pragma once

#include <d3d8.h>

#include <cstdint>
#include <vector>

namespace orvd3d8 {

class BufferStorage {
public:
    BufferStorage(UINT length, DWORD usage) : m_Bytes(length, 0), m_Usage(usage) {}

    UINT Length() const { return static_cast<UINT>(m_Bytes.size()); }
    const uint8_t* Data() const { return m_Bytes.data(); }
    UINT LockCount() const { return m_Locks; }

    // Offset and size 0 lock the whole buffer; size 0 alone the rest of it.
    // D3DLOCK_DISCARD and D3DLOCK_NOOVERWRITE are for dynamic buffers only.
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags);
    HRESULT Unlock();

private:
    std::vector<uint8_t> m_Bytes;
    DWORD m_Usage;
    UINT m_Locks = 0;
};

}  // namespace orvd3d8
