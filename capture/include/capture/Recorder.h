// Recording a session: the plug-in's entry wraps the driver it made in a
// recording RenderDevice when the host's environment asks for it.
#pragma once

class Kernel;
class RenderDevice;

namespace orvcapture {

// Records the session into `path`: puts the recording HostInput in place,
// calls `create` (the plug-in's own CreatePlugin) and wraps what it returns.
// The capture ends when the device is destroyed. When the file cannot be
// written the plain driver is returned, with one log line.
RenderDevice* CreateRecorded(Kernel* kernel, const char* path, RenderDevice* (*create)(Kernel*));

}  // namespace orvcapture
