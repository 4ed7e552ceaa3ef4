#include "WindowRegistry.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace orvwin32 {
namespace {

constexpr int kInitialDesktopWidth = 1024;
constexpr int kInitialDesktopHeight = 768;
// Handles look like the system's: small, even, never reused in a process.
constexpr uintptr_t kDesktopHandle = 0x00010010;
constexpr uintptr_t kFirstWindowHandle = 0x00020020;
constexpr uintptr_t kHandleStep = 4;

// Frame widths of the system's default metrics: a sizing frame is 3 pixels
// plus 1 for a border, a dialog frame 3, a thin border 1, and a caption adds
// 19 at the top (so a 640 x 480 overlapped window has a 632 x 453 client).
constexpr LONG kSizingFrame = 3;
constexpr LONG kDialogFrame = 3;
constexpr LONG kBorder = 1;
constexpr LONG kCaption = 19;

std::string Folded(const char* name) {
    std::string folded = name ? name : "";
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

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

bool WindowRegistry::RegisterClass(const char* name, WNDPROC procedure) {
    return m_Classes.emplace(Folded(name), procedure).second;
}

bool WindowRegistry::IsClassRegistered(const char* name) const {
    return m_Classes.count(Folded(name)) == 1;
}

DWORD WindowRegistry::UnregisterClass(const char* name) {
    const std::string folded = Folded(name);
    if (m_Classes.count(folded) == 0) return ERROR_CLASS_DOES_NOT_EXIST;
    for (const auto& window : m_Windows)
        if (Folded(window.second.className.c_str()) == folded) return ERROR_CLASS_HAS_WINDOWS;
    m_Classes.erase(folded);
    return ERROR_SUCCESS;
}

WNDPROC WindowRegistry::ProcedureOf(HWND window) const {
    auto it = m_Windows.find(window);
    if (it == m_Windows.end()) return nullptr;
    auto found = m_Classes.find(Folded(it->second.className.c_str()));
    return found == m_Classes.end() ? nullptr : found->second;
}

HWND WindowRegistry::Create(const char* className, const char* title, const RECT& rect,
                            DWORD style) {
    HWND handle = reinterpret_cast<HWND>(m_NextHandle);
    m_NextHandle += kHandleStep;
    orvplatform::WindowInfo& info = m_Windows[handle];
    info.exists = true;
    info.visible = (style & WS_VISIBLE) != 0;
    info.rect = rect;
    info.style = style;
    info.className = className ? className : "";
    info.title = title ? title : "";
    return handle;
}

RECT WindowRegistry::FrameOf(DWORD style) {
    LONG side = 0;
    if (style & WS_THICKFRAME) side = kSizingFrame + ((style & WS_BORDER) ? kBorder : 0);
    else if (style & WS_DLGFRAME) side = kDialogFrame;
    else if (style & WS_BORDER) side = kBorder;
    const LONG caption = (style & WS_CAPTION) == WS_CAPTION ? kCaption : 0;
    return RECT{side, side + caption, side, side};
}

RECT WindowRegistry::ClientRectOnScreen(HWND window) const {
    const orvplatform::WindowInfo info = Describe(window);
    if (!info.exists) return RECT{0, 0, 0, 0};
    const RECT frame = IsDesktop(window) ? RECT{0, 0, 0, 0} : FrameOf(info.style);
    const auto inset = [](LONG edge, LONG by) {
        return static_cast<LONG>(std::clamp<int64_t>(int64_t{edge} + by, INT32_MIN, INT32_MAX));
    };
    RECT client{inset(info.rect.left, frame.left), inset(info.rect.top, frame.top),
                inset(info.rect.right, -frame.right), inset(info.rect.bottom, -frame.bottom)};
    // A window smaller than its frame has an empty client area.
    client.right = std::max(client.left, client.right);
    client.bottom = std::max(client.top, client.bottom);
    return client;
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
