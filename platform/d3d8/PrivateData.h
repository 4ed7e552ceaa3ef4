// Application data attached to a resource or surface by GUID
// (SetPrivateData / GetPrivateData / FreePrivateData).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace orvd3d8 {

class PrivateData {
public:
    PrivateData() = default;
    PrivateData(const PrivateData&) = delete;
    PrivateData& operator=(const PrivateData&) = delete;
    ~PrivateData();

    HRESULT Set(REFGUID guid, const void* data, DWORD size, DWORD flags);
    HRESULT Get(REFGUID guid, void* data, DWORD* size) const;
    HRESULT Free(REFGUID guid);

private:
    struct Entry {
        GUID guid;
        std::vector<uint8_t> bytes;
        IUnknown* object = nullptr;  // D3DSPD_IUNKNOWN: a reference is kept
    };
    Entry* Find(REFGUID guid);
    const Entry* Find(REFGUID guid) const;
    static void Clear(Entry& entry);

    std::vector<Entry> m_Entries;
};

}  // namespace orvd3d8
