#include "WindowRegistry.h"

namespace orvwin32 {
namespace {

constexpr int kInitialDesktopWidth = 1024;
constexpr int kInitialDesktopHeight = 768;
// Handles look like the system's: small, even, never reused in a process.
constexpr uintptr_t kDesktopHandle = 0x00010010;
constexpr uintptr_t kFirstWindowHandle = 0x00020020;
constexpr uintptr_t kHandleStep = 4;

void ResetWindows() { WindowRegistry::Instance().Reset(); }

// Registered when the library loads, so that ResetAll restores the desktop.
[[maybe_unused]] const bool kResetHookRegistered = (orvplatform::RegisterResetHook(ResetWindows), true);

}  // namespace

WindowRegistry& WindowRegistry::Instance() {
    static WindowRegistry registry;
    return registry;
}

WindowRegistry::WindowRegistry()
    : m_NextHandle(kFirstWindowHandle),
      m_DesktopWidth(kInitialDesktopWidth),
      m_DesktopHeight(kInitialDesktopHeight) {}

HWND WindowRegistry::Create(const char* title, const RECT& rect, bool visible) {
    HWND handle = reinterpret_cast<HWND>(m_NextHandle);
    m_NextHandle += kHandleStep;
    orvplatform::WindowInfo& info = m_Windows[handle];
    info.exists = true;
    info.visible = visible;
    info.rect = rect;
    info.title = title ? title : "";
    return handle;
}

bool WindowRegistry::Destroy(HWND window) { return m_Windows.erase(window) == 1; }

orvplatform::WindowInfo* WindowRegistry::Find(HWND window) {
    auto it = m_Windows.find(window);
    return it == m_Windows.end() ? nullptr : &it->second;
}

bool WindowRegistry::Exists(HWND window) const {
    return IsDesktop(window) || m_Windows.count(window) == 1;
}

HWND WindowRegistry::Desktop() const { return reinterpret_cast<HWND>(kDesktopHandle); }

void WindowRegistry::SetDesktopSize(int width, int height) {
    m_DesktopWidth = width;
    m_DesktopHeight = height;
}

RECT WindowRegistry::DesktopRect() const { return RECT{0, 0, m_DesktopWidth, m_DesktopHeight}; }

orvplatform::WindowInfo WindowRegistry::Describe(HWND window) const {
    if (IsDesktop(window)) {
        orvplatform::WindowInfo desktop;
        desktop.exists = true;
        desktop.visible = true;
        desktop.rect = DesktopRect();
        return desktop;
    }
    auto it = m_Windows.find(window);
    return it == m_Windows.end() ? orvplatform::WindowInfo() : it->second;
}

void WindowRegistry::Reset() {
    m_DesktopWidth = kInitialDesktopWidth;
    m_DesktopHeight = kInitialDesktopHeight;
}

}  // namespace orvwin32
