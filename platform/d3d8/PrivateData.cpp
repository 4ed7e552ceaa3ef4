#include "PrivateData.h"

#include <d3d8.h>

#include "ComSupport.h"

#include <cstring>

namespace orvd3d8 {

PrivateData::~PrivateData() {
    for (Entry& entry : m_Entries) Clear(entry);
}

void PrivateData::Clear(Entry& entry) {
    if (entry.object) entry.object->Release();
    entry.object = nullptr;
}

PrivateData::Entry* PrivateData::Find(REFGUID guid) {
    for (Entry& entry : m_Entries)
        if (SameGuid(entry.guid, guid)) return &entry;
    return nullptr;
}

const PrivateData::Entry* PrivateData::Find(REFGUID guid) const {
    for (const Entry& entry : m_Entries)
        if (SameGuid(entry.guid, guid)) return &entry;
    return nullptr;
}

HRESULT PrivateData::Set(REFGUID guid, const void* data, DWORD size, DWORD flags) {
    if (!data && size != 0) return D3DERR_INVALIDCALL;
    if ((flags & D3DSPD_IUNKNOWN) && (size != sizeof(IUnknown*) || !data))
        return D3DERR_INVALIDCALL;
    Free(guid);
    Entry entry;
    entry.guid = guid;
    if (flags & D3DSPD_IUNKNOWN) {
        std::memcpy(&entry.object, data, sizeof(IUnknown*));
        if (entry.object) entry.object->AddRef();
    } else {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        entry.bytes.assign(bytes, bytes + size);
    }
    m_Entries.push_back(std::move(entry));
    return D3D_OK;
}

HRESULT PrivateData::Get(REFGUID guid, void* data, DWORD* size) const {
    if (!size) return D3DERR_INVALIDCALL;
    const Entry* entry = Find(guid);
    if (!entry) return D3DERR_NOTFOUND;
    DWORD needed = entry->object ? static_cast<DWORD>(sizeof(IUnknown*))
                                 : static_cast<DWORD>(entry->bytes.size());
    if (!data || *size < needed) {
        *size = needed;
        return data ? D3DERR_MOREDATA : D3D_OK;
    }
    *size = needed;
    if (entry->object) {
        entry->object->AddRef();
        std::memcpy(data, &entry->object, sizeof(IUnknown*));
    } else if (needed) {
        std::memcpy(data, entry->bytes.data(), needed);
    }
    return D3D_OK;
}

HRESULT PrivateData::Free(REFGUID guid) {
    for (auto it = m_Entries.begin(); it != m_Entries.end(); ++it)
        if (SameGuid(it->guid, guid)) {
            Clear(*it);
            m_Entries.erase(it);
            return D3D_OK;
        }
    return D3DERR_NOTFOUND;
}

}  // namespace orvd3d8
