// Small COM helpers shared by the runtime's objects.
#pragma once

#include <windows.h>

#include <cstring>
#include <initializer_list>

namespace orvd3d8 {

inline const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

inline bool SameGuid(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

// QueryInterface for an object answering to `iids` as `self`: a reference is
// added through `self` on success.
inline HRESULT QueryAmong(IUnknown* self, REFIID riid, void** object,
                          std::initializer_list<const IID*> iids) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const IID* iid : iids)
        if (SameGuid(riid, *iid)) {
            self->AddRef();
            *object = self;
            return S_OK;
        }
    return E_NOINTERFACE;
}

}  // namespace orvd3d8
