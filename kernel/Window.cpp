#include "host/Window.h"

#include <cstdint>

namespace {

// The host passes coordinates as unsigned long; their low 32 bits are the
// signed screen coordinate, whatever the width of unsigned long.
int Signed(unsigned long value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

// Sizes beyond what a window can have are clamped rather than wrapped.
int Size(unsigned long value) { return value > INT32_MAX ? INT32_MAX : static_cast<int>(value); }

}  // namespace

Window::Window(const char* title, unsigned long width, unsigned long height)
    : m_hWnd(CreateWindowExA(0, "OrvKernelWindow", title, WS_OVERLAPPEDWINDOW, 0, 0, Size(width),
                             Size(height), nullptr, nullptr, nullptr, nullptr)) {}

Window::~Window() {
    if (m_hWnd) DestroyWindow(m_hWnd);
}

HWND Window::GetHWND() const { return m_hWnd; }

void Window::Resize(unsigned long width, unsigned long height) {
    SetWindowPos(m_hWnd, nullptr, 0, 0, Size(width), Size(height), SWP_NOMOVE | SWP_NOZORDER);
}

void Window::Reposition(unsigned long x, unsigned long y) {
    SetWindowPos(m_hWnd, nullptr, Signed(x), Signed(y), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

unsigned long Window::GetWidth() const {
    RECT client;
    return GetClientRect(m_hWnd, &client) ? static_cast<unsigned long>(client.right) : 0;
}

unsigned long Window::GetHeight() const {
    RECT client;
    return GetClientRect(m_hWnd, &client) ? static_cast<unsigned long>(client.bottom) : 0;
}

long Window::GetX() const {
    RECT rect;
    return GetWindowRect(m_hWnd, &rect) ? rect.left : 0;
}

long Window::GetY() const {
    RECT rect;
    return GetWindowRect(m_hWnd, &rect) ? rect.top : 0;
}
