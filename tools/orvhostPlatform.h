// What a host program does differently on Windows and on Linux: where the
// plug-in library and the example materials are, how the library is loaded,
// making directories, pausing, and reading what a window shows on the screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "orvhostImage.h"

namespace orvhost {

// The plug-in library beside this program: in the same directory on
// Windows, in ../lib on Linux.
std::string PluginPath();
// The example materials and their textures, which the build puts beside the
// programs on Windows (examples in the program's directory) and into the
// build tree on Linux (../examples).
std::string ExamplesPath();

// Creates `path` if it does not exist; true when it exists afterwards.
bool MakeDirectory(const std::string& path);
// `directory` and `name` joined with the platform's separator.
std::string JoinPath(const std::string& directory, const std::string& name);

// The stand-in runtime on Linux records every platform call for the tests,
// without end; a host program, which draws frame after frame, switches that
// off before it loads the plug-in. Nothing to do on Windows.
void StopCallJournal();

// The Direct3D calls the stand-in runtime journalled since the journal was
// last taken or switched on, one line each in the order made, e.g.
// "IDirect3DDevice8::SetRenderState(7, 1) = 0x0", and clears the journal.
// Arguments that are addresses (above 32 bits: the stand-in's objects and the
// caller's memory on 64-bit Linux) show as "*", so that two runs whose objects
// sit at other addresses give the same lines. False on Windows, where the
// system's runtime keeps no journal.
bool TakeDirect3DCalls(std::vector<std::string>* lines);

// Processor seconds the calling thread has used (user and kernel time).
double ThreadSeconds();

// Sleeps for about `milliseconds`.
void PauseMilliseconds(unsigned milliseconds);

// A shared library, unloaded when the object goes.
class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // On failure `error` says why.
    bool Open(const std::string& path, std::string* error);
    void* Symbol(const char* name) const;

private:
    void* m_pHandle = nullptr;
};

// The client area of `window` as the screen shows it now (Windows: GDI's
// screen device context; Linux: the stand-in runtime's desktop). False when
// the window has no client area or the screen cannot be read.
bool CaptureClientArea(HWND window, Image* image);

}  // namespace orvhost
