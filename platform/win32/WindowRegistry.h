// The headless windows behind the USER32 stand-ins: one record per window,
// keyed by handle, plus the desktop. Windows have no frame, so the client
// area is the whole window rectangle.
#pragma once

#include <orv/PlatformControl.h>

#include <map>
#include <string>

namespace orvwin32 {

class WindowRegistry {
public:
    static WindowRegistry& Instance();

    HWND Create(const char* title, const RECT& rect, bool visible);
    bool Destroy(HWND window);

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

    std::map<HWND, orvplatform::WindowInfo> m_Windows;
    uintptr_t m_NextHandle;
    int m_DesktopWidth;
    int m_DesktopHeight;
};

}  // namespace orvwin32
