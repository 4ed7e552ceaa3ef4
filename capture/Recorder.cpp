#include "capture/Recorder.h"

#include <memory>
#include <new>

#include "capture/SessionRecorder.h"
#include "host/Kernel.h"

namespace orvcapture {

RenderDevice* CreateRecorded(Kernel* kernel, const char* path, RenderDevice* (*create)(Kernel*)) {
    std::unique_ptr<SessionRecorder> session(new (std::nothrow) SessionRecorder);
    if (!session || !session->Open(path)) {
        if (kernel) kernel->LogMessage("Failed to open the capture file %s.", path);
        return create(kernel);
    }
    session->InstallInput();
    RenderDevice* device = create(kernel);
    SessionRecorder& recorder = *session;
    return recorder.Begin(device, std::move(session));
}

}  // namespace orvcapture
