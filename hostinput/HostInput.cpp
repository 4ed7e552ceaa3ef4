// The one HostInput in place, and the system's.
#include "hostinput/HostInput.h"

#include <windows.h>

#include "host/FileSystem.h"
#include "host/Kernel.h"

namespace {

class SystemInput : public HostInput {
public:
    uint32_t TickCount() override { return static_cast<uint32_t>(GetTickCount()); }
    File* OpenReading(Kernel* kernel, const char* path) override {
        if (!kernel || !kernel->m_pFileSystem || !path) return nullptr;
        return kernel->m_pFileSystem->OpenReading(path);
    }
};

HostInput* g_pInstalled = nullptr;

}  // namespace

HostInput& HostInput::System() {
    static SystemInput system;
    return system;
}

HostInput& HostInput::Current() { return g_pInstalled ? *g_pInstalled : System(); }

HostInput* HostInput::Install(HostInput* input) {
    HostInput* previous = g_pInstalled;
    g_pInstalled = input == &System() ? nullptr : input;
    return previous;
}
