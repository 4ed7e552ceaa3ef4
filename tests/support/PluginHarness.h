// Drives the plug-in the way the host does: loads the library by path,
// resolves its two exports and creates drivers with a kernel whose log lines
// the test can read.
#pragma once

#include <gtest/gtest.h>

#include <d3d8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Kernel.h"
#include "host/RenderDevice.h"

namespace orvtest {

// Argument `index` of each journal call of `api` since the journal was cleared.
inline std::vector<uint64_t> ArgsOf(const std::string& api, size_t index) {
    std::vector<uint64_t> args;
    for (const orvplatform::Call& call : orvplatform::CallsOf(api)) args.push_back(call.args.at(index));
    return args;
}

// The loaded plug-in library; loaded once per test program.
struct PluginLibrary {
    void* handle = nullptr;
    CreatePluginFunction createPlugin = nullptr;
};
const PluginLibrary& LoadPlugin();

// Base fixture: every platform stand-in reset, a fresh capturing kernel, and
// at the end no Direct3D object left alive.
class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A driver from CreatePlugin (null when it refused); destroyed at the
    // end of the test unless the test destroys it first with Destroy.
    RenderDevice* Create() {
        RenderDevice* device = LoadPlugin().createPlugin(m_pKernel.get());
        if (device) m_Devices.push_back(device);
        return device;
    }
    void Destroy(RenderDevice* device) {
        m_Devices.erase(std::remove(m_Devices.begin(), m_Devices.end(), device), m_Devices.end());
        delete device;
    }
    // Create, then a windowed display of the given size; fails the test
    // when the display cannot be set.
    RenderDevice* CreateWindowed(unsigned width = 640, unsigned height = 480) {
        RenderDevice* device = Create();
        EXPECT_TRUE(device && device->SetDisplayMode(width, height, 32, 60, 0, true));
        return device;
    }

    const std::vector<std::string>& Lines() const { return m_pKernel->GetCapturedLines(); }
    void ClearLines() { m_pKernel->ClearCapturedLines(); }
    void ClearLinesAndJournal() { ClearLines(), orvplatform::ClearJournal(); }
    // How many captured lines equal `line`.
    size_t CountLogged(const std::string& line) const { return size_t(std::count(Lines().begin(), Lines().end(), line)); }
    bool Logged(const std::string& line) const { return CountLogged(line) > 0; }

    Kernel* kernel() const { return m_pKernel.get(); }
    // Scratch directory for files a test writes (created on demand).
    static std::string OutputPath(const std::string& name);
    // Writes `bytes` (a string or a vector of bytes) as OutputPath(name); the path.
    template <typename Bytes>
    static std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = OutputPath(name);
        std::ofstream out(path, std::ios::binary);
        EXPECT_TRUE(out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()))) << path;
        return path;
    }
    // Live Direct3D objects whose description starts with `prefix`.
    static size_t LiveObjects(const char* prefix);

    std::unique_ptr<Kernel> m_pKernel;
    std::vector<RenderDevice*> m_Devices;
};

// A fixture whose tests start with a windowed 640 x 480 display: the driver
// as the host sees it, and the stand-in device behind it.
class DisplayTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        m_pRenderer = CreateWindowed();
        m_pD3D = orvd3d8::LastDevice();
        ASSERT_NE(m_pD3D, nullptr);
    }
    void TearDown() override {
        for (auto release = m_AtEnd.rbegin(); release != m_AtEnd.rend(); ++release) (*release)();
        PluginTest::TearDown();
    }
    // What `made` returns (unless null), given back with `release` at the end
    // of the test, the last made first.
    template <typename Object>
    Object* Kept(Object* made, bool (RenderDevice::*release)(Object*)) {
        if (made) m_AtEnd.push_back([this, made, release] { (m_pRenderer->*release)(made); });
        return made;
    }

    // The device's current states and vertex shader (0xDEADBEEF when they
    // cannot be read).
    template <typename Get, typename... Keys>
    DWORD Read(Get get, Keys... keys) const {
        DWORD value = 0xDEADBEEF;
        (m_pD3D->*get)(keys..., &value);
        return value;
    }
    DWORD RenderState(D3DRENDERSTATETYPE state) const { return Read(&IDirect3DDevice8::GetRenderState, state); }
    DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state) const {
        return Read(&IDirect3DDevice8::GetTextureStageState, stage, state);
    }
    DWORD VertexShader() const { return Read(&IDirect3DDevice8::GetVertexShader); }
    // What stream 0 and the index slot hold, without keeping a reference.
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
    // The first `count` elements of a Direct3D buffer (vertex or index).
    template <typename Element = uint8_t, typename Buffer>
    static std::vector<Element> Contents(Buffer* buffer, size_t count) {
        std::vector<Element> elements(count);
        BYTE* data = nullptr;
        if (buffer && SUCCEEDED(buffer->Lock(0, 0, &data, 0))) {
            std::memcpy(static_cast<void*>(elements.data()), data, count * sizeof(Element));
            buffer->Unlock();
        }
        return elements;
    }
    // One triangle of default vertices through the current material's passes.
    bool DrawTriangle() {
        const Vertex triangle[3];
        return m_pRenderer->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, triangle);
    }

    RenderDevice* m_pRenderer = nullptr;
    IDirect3DDevice8* m_pD3D = nullptr;
    std::vector<std::function<void()>> m_AtEnd;  // run by TearDown, the last first
};

}  // namespace orvtest
