// The host's application window: the window Direct3D renders into.
#pragma once

#include <windows.h>

#include "KernelApi.h"

class ORVKERNEL_API Window {
public:
    Window(const char* title, unsigned long width, unsigned long height);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND GetHWND() const;
    // Sets the client area's size.
    void Resize(unsigned long width, unsigned long height);
    // Moves the window's top-left corner on the desktop. The coordinates are
    // taken as signed: a window larger than the desktop may start left of or
    // above it.
    void Reposition(unsigned long x, unsigned long y);
    // Handles the messages waiting for this thread's windows; false once the
    // application was asked to quit. Hosts call it once a frame.
    bool PumpMessages();

    // The client area's size, and the window's top-left corner.
    unsigned long GetWidth() const;
    unsigned long GetHeight() const;
    long GetX() const;
    long GetY() const;

private:
    HWND m_hWnd;
};
