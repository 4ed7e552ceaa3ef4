// The runtime's global state: the adapters tests configure, every object in
// memory, the devices in creation order and each adapter's desktop pixels.
#pragma once

#include <orv/D3D8Control.h>

#include <vector>

namespace orvd3d8 {

class LiveObject;
class Device8;

class Runtime {
public:
    static Runtime& Get();

    void Register(LiveObject* object);
    void Unregister(LiveObject* object);
    const std::vector<LiveObject*>& Objects() const { return m_Objects; }

    void AddDevice(Device8* device);
    void RemoveDevice(Device8* device);
    Device8* LastDevice() const { return m_Devices.empty() ? nullptr : m_Devices.back(); }
    bool IsDevice(const void* device) const;

    std::vector<AdapterConfig>& Adapters() { return m_Adapters; }
    AdapterConfig* FindAdapter(UINT adapter);
    // The configuration a device on `adapter` works with: a device whose
    // adapter a test removed sees a default one.
    const AdapterConfig& AdapterOf(UINT adapter);
    void SetAdapters(const std::vector<AdapterConfig>& adapters);
    // Changes the adapter's current display mode; the desktop image starts
    // over in black at the new size.
    void SetDisplayMode(UINT adapter, const D3DDISPLAYMODE& mode);
    // Empty for an adapter that does not exist.
    Image& Desktop(UINT adapter);

    bool CreateFails() const { return m_CreateFails; }
    void SetCreateFails(bool fails) { m_CreateFails = fails; }
    bool RasterizerEnabled() const { return m_RasterizerEnabled; }
    void EnableRasterizer(bool enable) { m_RasterizerEnabled = enable; }

    // Default adapters, no injected creation failure.
    void Restore();

private:
    Runtime();
    void SyncDesktops();

    std::vector<LiveObject*> m_Objects;
    std::vector<Device8*> m_Devices;
    std::vector<AdapterConfig> m_Adapters;
    std::vector<Image> m_Desktops;
    bool m_CreateFails = false;
    bool m_RasterizerEnabled = true;
};

}  // namespace orvd3d8
