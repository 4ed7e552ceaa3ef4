// USER32 window calls over the headless window registry, and the test-side
// control of the desktop and the windows.
#include <algorithm>
#include <cstdint>

#include "WindowRegistry.h"

namespace {

using orvplatform::Arg;
using orvplatform::CallScope;
using orvplatform::WindowInfo;
using orvwin32::WindowRegistry;

uint64_t Int(int64_t value) { return static_cast<uint64_t>(value); }

// Screen coordinates are 32-bit; sums of extreme arguments saturate.
LONG Clamp32(int64_t value) {
    return static_cast<LONG>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

RECT MakeRect(int x, int y, int width, int height) {
    return RECT{x, y, Clamp32(int64_t{x} + std::max(width, 0)),
                Clamp32(int64_t{y} + std::max(height, 0))};
}

BOOL Fail(CallScope& scope, DWORD error) {
    SetLastError(error);
    scope.Finish(FALSE);
    return FALSE;
}

BOOL FailInjected(CallScope& scope) {
    return Fail(scope, static_cast<DWORD>(scope.InjectedResult()) & 0xFFFF);
}

BOOL Succeed(CallScope& scope, BOOL result) {
    scope.Finish(result);
    return result;
}

HWND FinishHandle(CallScope& scope, HWND window) {
    scope.Finish(static_cast<HRESULT>(reinterpret_cast<uintptr_t>(window)));
    return window;
}

// The record of a window the caller may change: the desktop is refused.
WindowInfo* Changeable(HWND window, DWORD* error) {
    WindowRegistry& registry = WindowRegistry::Instance();
    if (registry.IsDesktop(window)) {
        *error = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    *error = ERROR_INVALID_WINDOW_HANDLE;
    return registry.Find(window);
}

}  // namespace

extern "C" {

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    CallScope scope("CreateWindowExA",
                    {exStyle, Arg(className), Arg(windowName), style, Int(x), Int(y), Int(width),
                     Int(height), Arg(parent), Arg(menu), Arg(instance), Arg(param)});
    if (scope.Injected()) {
        FailInjected(scope);
        return nullptr;
    }
    WindowRegistry& registry = WindowRegistry::Instance();
    if (parent && !registry.Exists(parent)) {
        Fail(scope, ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HWND window = registry.Create(windowName, MakeRect(x, y, width, height),
                                  (style & WS_VISIBLE) != 0);
    return FinishHandle(scope, window);
}

BOOL WINAPI DestroyWindow(HWND window) {
    CallScope scope("DestroyWindow", {Arg(window)});
    if (scope.Injected()) return FailInjected(scope);
    DWORD error;
    if (!Changeable(window, &error)) return Fail(scope, error);
    WindowRegistry::Instance().Destroy(window);
    return Succeed(scope, TRUE);
}

BOOL WINAPI IsWindow(HWND window) {
    CallScope scope("IsWindow", {Arg(window)});
    if (scope.Injected()) return FailInjected(scope);
    return Succeed(scope, WindowRegistry::Instance().Exists(window));
}

BOOL WINAPI IsWindowVisible(HWND window) {
    CallScope scope("IsWindowVisible", {Arg(window)});
    if (scope.Injected()) return FailInjected(scope);
    return Succeed(scope, WindowRegistry::Instance().Describe(window).visible);
}

// Answers whether the window was visible before the call.
BOOL WINAPI ShowWindow(HWND window, int command) {
    CallScope scope("ShowWindow", {Arg(window), Int(command)});
    if (scope.Injected()) return FailInjected(scope);
    DWORD error;
    WindowInfo* info = Changeable(window, &error);
    if (!info) return Fail(scope, error);
    bool wasVisible = info->visible;
    info->visible = command != SW_HIDE;
    return Succeed(scope, wasVisible);
}

BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                         UINT flags) {
    CallScope scope("SetWindowPos",
                    {Arg(window), Arg(insertAfter), Int(x), Int(y), Int(cx), Int(cy), flags});
    if (scope.Injected()) return FailInjected(scope);
    DWORD error;
    WindowInfo* info = Changeable(window, &error);
    if (!info) return Fail(scope, error);
    RECT& rect = info->rect;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (!(flags & SWP_NOMOVE)) {
        rect.left = x;
        rect.top = y;
    }
    if (!(flags & SWP_NOSIZE)) {
        width = cx;
        height = cy;
    }
    rect = MakeRect(rect.left, rect.top, width, height);
    if (!(flags & SWP_NOZORDER) && insertAfter == HWND_TOP) ++info->raisedToTop;
    if (flags & SWP_SHOWWINDOW) info->visible = true;
    if (flags & SWP_HIDEWINDOW) info->visible = false;
    return Succeed(scope, TRUE);
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    CallScope scope("MoveWindow", {Arg(window), Int(x), Int(y), Int(width), Int(height),
                                   Int(repaint)});
    if (scope.Injected()) return FailInjected(scope);
    DWORD error;
    WindowInfo* info = Changeable(window, &error);
    if (!info) return Fail(scope, error);
    info->rect = MakeRect(x, y, width, height);
    return Succeed(scope, TRUE);
}

HWND WINAPI GetDesktopWindow(void) {
    CallScope scope("GetDesktopWindow", {});
    if (scope.Injected()) {
        FailInjected(scope);
        return nullptr;
    }
    return FinishHandle(scope, WindowRegistry::Instance().Desktop());
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    CallScope scope("GetWindowRect", {Arg(window), Arg(rect)});
    if (scope.Injected()) return FailInjected(scope);
    if (!rect) return Fail(scope, ERROR_INVALID_PARAMETER);
    WindowInfo info = WindowRegistry::Instance().Describe(window);
    if (!info.exists) return Fail(scope, ERROR_INVALID_WINDOW_HANDLE);
    *rect = info.rect;
    return Succeed(scope, TRUE);
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    CallScope scope("GetClientRect", {Arg(window), Arg(rect)});
    if (scope.Injected()) return FailInjected(scope);
    if (!rect) return Fail(scope, ERROR_INVALID_PARAMETER);
    WindowInfo info = WindowRegistry::Instance().Describe(window);
    if (!info.exists) return Fail(scope, ERROR_INVALID_WINDOW_HANDLE);
    *rect = RECT{0, 0, info.rect.right - info.rect.left, info.rect.bottom - info.rect.top};
    return Succeed(scope, TRUE);
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
    CallScope scope("ClientToScreen", {Arg(window), Arg(point)});
    if (scope.Injected()) return FailInjected(scope);
    if (!point) return Fail(scope, ERROR_INVALID_PARAMETER);
    WindowInfo info = WindowRegistry::Instance().Describe(window);
    if (!info.exists) return Fail(scope, ERROR_INVALID_WINDOW_HANDLE);
    point->x = Clamp32(int64_t{point->x} + info.rect.left);
    point->y = Clamp32(int64_t{point->y} + info.rect.top);
    return Succeed(scope, TRUE);
}

}  // extern "C"

namespace orvplatform {

void SetDesktopSize(int width, int height) {
    WindowRegistry::Instance().SetDesktopSize(width, height);
}

WindowInfo GetWindowInfo(HWND window) { return WindowRegistry::Instance().Describe(window); }

}  // namespace orvplatform
