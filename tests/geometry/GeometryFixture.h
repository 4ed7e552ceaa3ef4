// Shared by the geometry tests: a windowed display, and read-backs of what
// the device holds in stream 0 and its index slot.
#pragma once

#include <d3d8.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "host/HostTypes.h"
#include "support/PluginHarness.h"

namespace orvtest {

inline ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

class GeometryTest : public DisplayTest {
protected:
    // What stream 0 holds, without keeping a reference.
    struct StreamZero {
        IDirect3DVertexBuffer8* buffer = nullptr;
        UINT stride = 0;
    };
    StreamZero BoundStream() const {
        StreamZero stream;
        m_pD3D->GetStreamSource(0, &stream.buffer, &stream.stride);
        if (stream.buffer) stream.buffer->Release();
        return stream;
    }
    IDirect3DIndexBuffer8* BoundIndices() const {
        IDirect3DIndexBuffer8* indices = nullptr;
        UINT base = 0;
        m_pD3D->GetIndices(&indices, &base);
        if (indices) indices->Release();
        return indices;
    }
    // The bytes of a Direct3D buffer (vertex or index).
    template <typename Buffer>
    static std::vector<uint8_t> Contents(Buffer* buffer, size_t length) {
        std::vector<uint8_t> bytes(length);
        BYTE* data = nullptr;
        if (buffer && SUCCEEDED(buffer->Lock(0, 0, &data, 0))) {
            std::memcpy(bytes.data(), data, length);
            buffer->Unlock();
        }
        return bytes;
    }
    DWORD VertexShader() const {
        DWORD shader = 0;
        m_pD3D->GetVertexShader(&shader);
        return shader;
    }
};

}  // namespace orvtest
