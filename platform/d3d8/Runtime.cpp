#include "Runtime.h"

#include <orv/PlatformControl.h>

#include <algorithm>

namespace orvd3d8 {
namespace {

constexpr uint32_t kDesktopBlack = 0xFF000000u;

void Blank(Image& image, const D3DDISPLAYMODE& mode) {
    image.width = static_cast<int>(mode.Width);
    image.height = static_cast<int>(mode.Height);
    image.pixels.assign(static_cast<size_t>(mode.Width) * mode.Height, kDesktopBlack);
}

}  // namespace

Runtime& Runtime::Get() {
    static Runtime* runtime = new Runtime();  // never destroyed: objects may outlive statics
    return *runtime;
}

Runtime::Runtime() { Restore(); }

void Runtime::Register(LiveObject* object) { m_Objects.push_back(object); }

void Runtime::Unregister(LiveObject* object) {
    auto it = std::find(m_Objects.begin(), m_Objects.end(), object);
    if (it != m_Objects.end()) m_Objects.erase(it);
}

void Runtime::AddDevice(Device8* device) { m_Devices.push_back(device); }

void Runtime::RemoveDevice(Device8* device) {
    auto it = std::find(m_Devices.begin(), m_Devices.end(), device);
    if (it != m_Devices.end()) m_Devices.erase(it);
}

bool Runtime::IsDevice(const void* device) const {
    return std::find(m_Devices.begin(), m_Devices.end(), device) != m_Devices.end();
}

AdapterConfig* Runtime::FindAdapter(UINT adapter) {
    return adapter < m_Adapters.size() ? &m_Adapters[adapter] : nullptr;
}

const AdapterConfig& Runtime::AdapterOf(UINT adapter) {
    static const AdapterConfig fallback = DefaultAdapter();
    const AdapterConfig* config = FindAdapter(adapter);
    return config ? *config : fallback;
}

void Runtime::SetAdapters(const std::vector<AdapterConfig>& adapters) {
    m_Adapters = adapters;
    m_Desktops.clear();
    SyncDesktops();
}

void Runtime::SetDisplayMode(UINT adapter, const D3DDISPLAYMODE& mode) {
    AdapterConfig* config = FindAdapter(adapter);
    if (!config) return;
    config->desktop = mode;
    SyncDesktops();
    Blank(m_Desktops[adapter], mode);
    if (adapter == 0)
        orvplatform::SetDesktopSize(static_cast<int>(mode.Width), static_cast<int>(mode.Height));
}

Image& Runtime::Desktop(UINT adapter) {
    SyncDesktops();
    if (adapter < m_Desktops.size()) return m_Desktops[adapter];
    static Image none;
    none = Image{};
    return none;
}

void Runtime::SyncDesktops() {
    m_Desktops.resize(m_Adapters.size());
    for (size_t i = 0; i < m_Adapters.size(); ++i) {
        const D3DDISPLAYMODE& mode = m_Adapters[i].desktop;
        Image& image = m_Desktops[i];
        if (image.width != static_cast<int>(mode.Width) ||
            image.height != static_cast<int>(mode.Height))
            Blank(image, mode);
    }
    if (!m_Adapters.empty())
        orvplatform::SetDesktopSize(static_cast<int>(m_Adapters[0].desktop.Width),
                                    static_cast<int>(m_Adapters[0].desktop.Height));
}

void Runtime::Restore() {
    m_CreateFails = false;
    m_RasterizerEnabled = true;
    SetAdapters({DefaultAdapter()});
}

}  // namespace orvd3d8
