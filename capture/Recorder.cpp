#include "capture/Recorder.h"

namespace orvcapture {

RenderDevice* CreateRecorded(Kernel* kernel, const char*, RenderDevice* (*create)(Kernel*)) {
    return create(kernel);
}

}  // namespace orvcapture
