#include "BufferStorage.h"

namespace orvd3d8 {

HRESULT BufferStorage::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    const bool dynamic = (m_Usage & D3DUSAGE_DYNAMIC) != 0;
    if (!dynamic && (flags & (D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE))) return D3DERR_INVALIDCALL;
    const uint64_t length = m_Bytes.size();
    if (offset > length || uint64_t{offset} + size > length) return D3DERR_INVALIDCALL;
    // Nested locks are allowed; each needs its own Unlock.
    ++m_Locks;
    *data = m_Bytes.data() + offset;
    return D3D_OK;
}

HRESULT BufferStorage::Unlock() {
    if (m_Locks == 0) return D3DERR_INVALIDCALL;
    --m_Locks;
    return D3D_OK;
}

}  // namespace orvd3d8
