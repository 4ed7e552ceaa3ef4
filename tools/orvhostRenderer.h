// The renderer as a host holds it: the plug-in library, loaded from beside
// the program, and the device it creates, destroyed through its virtual
// destructor before the library goes.
#pragma once

#include <string>

#include "host/Kernel.h"
#include "host/RenderDevice.h"
#include "orvhostPlatform.h"

namespace orvhost {

class Renderer {
public:
    explicit Renderer(Kernel* kernel) : m_pKernel(kernel) {}
    ~Renderer() { Destroy(); }
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Loads the library and creates the device; says why on standard error
    // when it cannot.
    bool Load(const std::string& path);
    // Loads the library and checks its version, without creating the device
    // (a program that creates it otherwise, such as a replay).
    bool Open(const std::string& path);
    // An export of the loaded library; null when it has none.
    void* Symbol(const char* name) const { return m_Library.Symbol(name); }
    // Deletes the device (the library stays loaded).
    void Destroy();

    RenderDevice* operator->() const { return m_pDevice; }
    RenderDevice* Device() const { return m_pDevice; }
    unsigned long Version() const { return m_Version; }

private:
    Kernel* m_pKernel;
    SharedLibrary m_Library;
    RenderDevice* m_pDevice = nullptr;
    unsigned long m_Version = 0;
};

}  // namespace orvhost
