// The host programs' platform seam on Linux, over the stand-in runtime.
#include <dlfcn.h>
#include <limits.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "orvhostPlatform.h"

namespace orvhost {

namespace {

// The directory of this program, with a trailing '/'; "" when unknown.
std::string ProgramDirectory() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return "";
    self[length] = '\0';
    std::string directory(self);
    directory.erase(directory.rfind('/') + 1);
    return directory;
}

}  // namespace

std::string PluginPath() {
    const std::string directory = ProgramDirectory();
    return directory.empty() ? ORVD3D_LIBRARY_NAME : directory + "../lib/" ORVD3D_LIBRARY_NAME;
}

std::string ExamplesPath() { return ProgramDirectory() + "../examples"; }

bool MakeDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
    return directory.empty() ? name : directory + "/" + name;
}

void StopCallJournal() { orvplatform::EnableJournal(false); }

bool TakeDirect3DCalls(std::vector<std::string>* lines) {
    // Values past 32 bits are addresses: every other argument is a 32-bit
    // number or a float's bits.
    constexpr uint64_t kMostNumber = 0xFFFFFFFFu;
    for (const orvplatform::Call& call : orvplatform::Journal()) {
        if (call.api.compare(0, 9, "IDirect3D") != 0 && call.api != "Direct3DCreate8") continue;
        std::string line = call.api + "(";
        for (size_t n = 0; n < call.args.size(); ++n) {
            char value[24] = "*";
            if (call.args[n] <= kMostNumber) std::snprintf(value, sizeof value, "%" PRIu64, call.args[n]);
            line += (n ? ", " : "") + std::string(value);
        }
        char result[24];
        std::snprintf(result, sizeof result, ") = 0x%08" PRIx32,
                      static_cast<uint32_t>(call.result));
        lines->push_back(line + result);
    }
    orvplatform::ClearJournal();
    return true;
}

double ThreadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void PauseMilliseconds(unsigned milliseconds) { usleep(milliseconds * 1000u); }

SharedLibrary::~SharedLibrary() {
    if (m_pHandle) dlclose(m_pHandle);
}

bool SharedLibrary::Open(const std::string& path, std::string* error) {
    m_pHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_pHandle && error) *error = dlerror();
    return m_pHandle != nullptr;
}

void* SharedLibrary::Symbol(const char* name) const {
    return m_pHandle ? dlsym(m_pHandle, name) : nullptr;
}

bool CaptureClientArea(HWND window, Image* image) {
    RECT client;
    POINT origin = {0, 0};
    if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin)) return false;
    if (client.right <= 0 || client.bottom <= 0) return false;
    const orvd3d8::Image desktop = orvd3d8::DesktopImage(0);
    image->width = client.right;
    image->height = client.bottom;
    image->argb.assign(static_cast<size_t>(client.right) * static_cast<size_t>(client.bottom), 0);
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            const int screenX = origin.x + x, screenY = origin.y + y;
            if (screenX >= 0 && screenY >= 0 && screenX < desktop.width && screenY < desktop.height)
                image->argb[static_cast<size_t>(y) * static_cast<size_t>(image->width) +
                            static_cast<size_t>(x)] = desktop.At(screenX, screenY);
        }
    return true;
}

}  // namespace orvhost
