#include "host/Window.h"

#include <cstdint>

namespace {

constexpr const char* kClassName = "OrvKernelWindow";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;

// The host passes coordinates as unsigned long; their low 32 bits are the
// signed screen coordinate, whatever the width of unsigned long.
int Signed(unsigned long value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

// Sizes beyond what a window can have are clamped rather than wrapped.
int Size(unsigned long value) { return value > INT32_MAX ? INT32_MAX : static_cast<int>(value); }

// The outer size of a window whose client area is width x height.
SIZE OuterSize(unsigned long width, unsigned long height) {
    RECT rect{0, 0, Size(width), Size(height)};
    if (!AdjustWindowRectEx(&rect, kStyle, FALSE, 0)) return SIZE{rect.right, rect.bottom};
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// The window lives as long as the kernel: closing it from its frame would
// leave Direct3D drawing into a destroyed window, so the request is ignored.
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

// The class is registered once per process, with the program as its module.
bool RegisterWindowClass() {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateApplicationWindow(const char* title, unsigned long width, unsigned long height) {
    if (!RegisterWindowClass()) return nullptr;
    const SIZE outer = OuterSize(width, height);
    return CreateWindowExA(0, kClassName, title, kStyle, 0, 0, outer.cx, outer.cy, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

Window::Window(const char* title, unsigned long width, unsigned long height)
    : m_hWnd(CreateApplicationWindow(title, width, height)) {}

Window::~Window() {
    if (m_hWnd) DestroyWindow(m_hWnd);
}

HWND Window::GetHWND() const { return m_hWnd; }

void Window::Resize(unsigned long width, unsigned long height) {
    const SIZE outer = OuterSize(width, height);
    SetWindowPos(m_hWnd, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER);
}

void Window::Reposition(unsigned long x, unsigned long y) {
    SetWindowPos(m_hWnd, nullptr, Signed(x), Signed(y), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

bool Window::PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
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
