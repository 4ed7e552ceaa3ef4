// What the plug-in takes in from outside besides the host's calls: the
// millisecond clock and the host's files. Every clock reading and every file
// read of the plug-in goes through the one HostInput in place, so that one
// implementation can record them and another serve them again.
#pragma once

#include <cstdint>

class File;
class Kernel;

class HostInput {
public:
    virtual ~HostInput() = default;

    // The millisecond clock (GetTickCount's).
    virtual uint32_t TickCount() = 0;
    // Opens a host file for reading through the kernel's file system; null
    // when it cannot be opened. The caller closes what it gets (File::Close).
    virtual File* OpenReading(Kernel* kernel, const char* path) = 0;

    // The implementation in place: the system's unless another was installed.
    static HostInput& Current();
    // Puts `input` in place (null: the system's again); returns the one that
    // was in place, null for the system's. The caller keeps `input` alive
    // while it is in place.
    static HostInput* Install(HostInput* input);
    // The system's: GetTickCount and the kernel's file system.
    static HostInput& System();
};

// The plug-in's third export, "SetHostInput": a host program that replays a
// session puts its HostInput in place with it before CreatePlugin (null puts
// the system's back). Host and plug-in must be built by the same compiler.
extern "C" {
typedef void (*SetHostInputFunction)(HostInput* input);
}
