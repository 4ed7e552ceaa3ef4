// The two functions the host looks up by name, and the library entry point.
#include <new>

#include "host/Kernel.h"
#include "plugin/D3DDriver.h"

#if defined(_WIN32)
#define ORVD3D_EXPORT extern "C" __declspec(dllexport)
#else
#define ORVD3D_EXPORT extern "C" __attribute__((visibility("default")))
#endif

ORVD3D_EXPORT RenderDevice* CreatePlugin(Kernel* kernel) {
    D3DDriver* driver = new (std::nothrow) D3DDriver(kernel);
    if (!driver) return nullptr;
    if (!driver->Initialize()) {
        // Initialize has logged why.
        delete static_cast<RenderDevice*>(driver);
        return nullptr;
    }
    return driver;
}

ORVD3D_EXPORT unsigned long GetRendererVersion() { return kRendererVersion; }

#if defined(_WIN32)
// Load and unload notifications need no work.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif
