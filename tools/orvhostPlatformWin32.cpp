// The host programs' platform seam on Windows.
#include <windows.h>

#include "orvhostPlatform.h"

namespace orvhost {

namespace {

// The directory of this program, with a trailing separator; "" when unknown.
std::string ProgramDirectory() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "";
    std::string directory(self, length);
    directory.erase(directory.find_last_of("\\/") + 1);
    return directory;
}

}  // namespace

std::string PluginPath() { return ProgramDirectory() + ORVD3D_LIBRARY_NAME; }

std::string ExamplesPath() { return ProgramDirectory() + "examples"; }

bool MakeDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
    return directory.empty() ? name : directory + "\\" + name;
}

void StopCallJournal() {}

bool TakeDirect3DCalls(std::vector<std::string>*) { return false; }

double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0.0;
    // FILETIMEs count 100-nanosecond intervals.
    constexpr double kSecondsPerTick = 1e-7;
    const auto ticks = [](const FILETIME& time) {
        return static_cast<double>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) * kSecondsPerTick;
}

void PauseMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

SharedLibrary::~SharedLibrary() {
    if (m_pHandle) FreeLibrary(static_cast<HMODULE>(m_pHandle));
}

bool SharedLibrary::Open(const std::string& path, std::string* error) {
    m_pHandle = LoadLibraryA(path.c_str());
    if (!m_pHandle && error) *error = "LoadLibrary error " + std::to_string(GetLastError());
    return m_pHandle != nullptr;
}

void* SharedLibrary::Symbol(const char* name) const {
    if (!m_pHandle) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_pHandle), name));
}

// Copies the window's client area from the screen device context, which holds
// what was presented even where the runtime's front-buffer read-back does not.
bool CaptureClientArea(HWND window, Image* image) {
    RECT client;
    POINT origin = {0, 0};
    if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin)) return false;
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return false;

    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = memory ? CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0)
                            : nullptr;
    bool copied = false;
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY) != 0;
        GdiFlush();
        if (copied) {
            const auto* pixels = static_cast<const uint32_t*>(bits);
            image->width = width;
            image->height = height;
            image->argb.assign(pixels, pixels + static_cast<size_t>(width) * height);
            for (uint32_t& pixel : image->argb) pixel |= 0xFF000000u;
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return copied;
}

}  // namespace orvhost
