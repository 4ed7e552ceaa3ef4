// The functions the host looks up by name, and the library entry point.
#include <cstdlib>
#include <new>

#include "capture/CaptureFormat.h"
#include "capture/Recorder.h"
#include "host/Kernel.h"
#include "hostinput/HostInput.h"
#include "plugin/D3DDriver.h"

#if defined(_WIN32)
#define ORVD3D_EXPORT extern "C" __declspec(dllexport)
#else
#define ORVD3D_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

RenderDevice* CreateDriver(Kernel* kernel) {
    D3DDriver* driver = new (std::nothrow) D3DDriver(kernel);
    if (!driver) return nullptr;
    if (!driver->Initialize()) {
        // Initialize has logged why.
        delete static_cast<RenderDevice*>(driver);
        return nullptr;
    }
    return driver;
}

}  // namespace

// With the capture variable set the host gets the driver wrapped in a
// recorder; without it, the plain driver.
ORVD3D_EXPORT RenderDevice* CreatePlugin(Kernel* kernel) {
    const char* capture = std::getenv(orvcapture::kCaptureVariable);
    if (capture && *capture) return orvcapture::CreateRecorded(kernel, capture, &CreateDriver);
    return CreateDriver(kernel);
}

ORVD3D_EXPORT unsigned long GetRendererVersion() { return kRendererVersion; }

ORVD3D_EXPORT void SetHostInput(HostInput* input) { HostInput::Install(input); }

#if defined(_WIN32)
// Load and unload notifications need no work.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif
