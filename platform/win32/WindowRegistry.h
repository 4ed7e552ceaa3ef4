// The headless windows behind the USER32 stand-ins: the registered window
// classes, one record per window keyed by handle, plus the desktop. A window's
// rectangle is its outer one; its style's frame and caption, measured as the
// system draws them, surround the client area.
#pragma once

#include <orv/PlatformControl.h>

#include <map>
#include <string>

namespace orvwin32 {

class WindowRegistry {
public:
    static WindowRegistry& Instance();

    // Class names compare without regard to case, as the system's do.
    bool RegisterClass(const char* name, WNDPROC procedure);
    bool IsClassRegistered(const char* name) const;
    // ERROR_SUCCESS, or why the class cannot go.
    DWORD UnregisterClass(const char* name);
    WNDPROC ProcedureOf(HWND window) const;

    HWND Create(const char* className, const char* title, const RECT& rect, DWORD style);
    bool Destroy(HWND window);

    // How far the frame of a window of `style` reaches beyond its client
    // area on each side (all values zero or positive).
    static RECT FrameOf(DWORD style);
    // The client area of `window` in screen coordinates; empty for an unknown
    // handle.
    RECT ClientRectOnScreen(HWND window) const;

    // The record of a window made by Create; null for any other handle,
    // the desktop included.
    orvplatform::WindowInfo* Find(HWND window);
    // Create's windows and the desktop.
    bool Exists(HWND window) const;

    HWND Desktop() const;
    bool IsDesktop(HWND window) const { return window == Desktop(); }
    void SetDesktopSize(int width, int height);
    RECT DesktopRect() const;

    // Everything known of `window`, the desktop included; `exists` false
    // for an unknown handle.
    orvplatform::WindowInfo Describe(HWND window) const;

    // Back to the initial desktop. Windows stay: they belong to whoever
    // created them (a live host kernel, say) and end with DestroyWindow.
    void Reset();

private:
    WindowRegistry();

    std::map<std::string, WNDPROC> m_Classes;  // by lower-case name
    std::map<HWND, orvplatform::WindowInfo> m_Windows;
    uintptr_t m_NextHandle;
    int m_DesktopWidth;
    int m_DesktopHeight;
};

}  // namespace orvwin32
