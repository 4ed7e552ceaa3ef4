// A window for tests that talk to the platform directly: made with a class
// the test program registers once, as a Windows program must.
#pragma once

#include <windows.h>

namespace orvtest {

inline HWND CreateTestWindow(const char* title, DWORD style, int x, int y, int width, int height) {
    static const bool s_Registered = [] {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "OrvTestWindow";
        return RegisterClassExA(&windowClass) != 0;
    }();
    if (!s_Registered) return nullptr;
    return CreateWindowExA(0, "OrvTestWindow", title, style, x, y, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

}  // namespace orvtest
