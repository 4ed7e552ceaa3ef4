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

// The height of a one-line menu bar in the system's default metrics.
constexpr LONG kMenuBar = 19;

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
    if (!className || !registry.IsClassRegistered(className)) {
        Fail(scope, ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent && !registry.Exists(parent)) {
        Fail(scope, ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HWND window = registry.Create(className, windowName, MakeRect(x, y, width, height), style);
    return FinishHandle(scope, window);
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
    CallScope scope("RegisterClassExA", {Arg(windowClass)});
    if (scope.Injected()) return static_cast<ATOM>(FailInjected(scope));
    if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXA) ||
        !windowClass->lpszClassName || !windowClass->lpfnWndProc)
        return static_cast<ATOM>(Fail(scope, ERROR_INVALID_PARAMETER));
    WindowRegistry& registry = WindowRegistry::Instance();
    if (!registry.RegisterClass(windowClass->lpszClassName, windowClass->lpfnWndProc))
        return static_cast<ATOM>(Fail(scope, ERROR_CLASS_ALREADY_EXISTS));
    // Atoms of registered classes start at 0xC000.
    static ATOM s_NextAtom = 0xC000;
    const ATOM atom = s_NextAtom++;
    scope.Finish(atom);
    return atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    CallScope scope("UnregisterClassA", {Arg(className), Arg(instance)});
    if (scope.Injected()) return FailInjected(scope);
    const DWORD error = WindowRegistry::Instance().UnregisterClass(className);
    return error == ERROR_SUCCESS ? Succeed(scope, TRUE) : Fail(scope, error);
}

// The default handling of the few messages anything sends here: closing a
// window destroys it; setting its text keeps the text lParam points to (an
// empty one for none).
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_CLOSE) DestroyWindow(window);
    if (message == WM_SETTEXT) {
        orvplatform::WindowInfo* info = WindowRegistry::Instance().Find(window);
        if (!info) return FALSE;
        info->title = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return TRUE;
    }
    return 0;
}

// Headless windows receive no input, so the queue is always empty.
BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeMessage) {
    CallScope scope("PeekMessageA",
                    {Arg(message), Arg(window), filterMin, filterMax, removeMessage});
    return Succeed(scope, FALSE);
}

BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }

LRESULT WINAPI DispatchMessageA(const MSG* message) {
    if (!message) return 0;
    WNDPROC procedure = WindowRegistry::Instance().ProcedureOf(message->hwnd);
    return procedure ? procedure(message->hwnd, message->message, message->wParam,
                                 message->lParam)
                     : 0;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    CallScope scope("AdjustWindowRectEx", {Arg(rect), style, Int(menu), exStyle});
    if (scope.Injected()) return FailInjected(scope);
    if (!rect) return Fail(scope, ERROR_INVALID_PARAMETER);
    const RECT frame = WindowRegistry::FrameOf(style);
    rect->left = Clamp32(int64_t{rect->left} - frame.left);
    rect->top = Clamp32(int64_t{rect->top} - frame.top - (menu ? kMenuBar : 0));
    rect->right = Clamp32(int64_t{rect->right} + frame.right);
    rect->bottom = Clamp32(int64_t{rect->bottom} + frame.bottom);
    return Succeed(scope, TRUE);
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
    const RECT client = WindowRegistry::Instance().ClientRectOnScreen(window);
    *rect = RECT{0, 0, client.right - client.left, client.bottom - client.top};
    return Succeed(scope, TRUE);
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
    CallScope scope("ClientToScreen", {Arg(window), Arg(point)});
    if (scope.Injected()) return FailInjected(scope);
    if (!point) return Fail(scope, ERROR_INVALID_PARAMETER);
    WindowInfo info = WindowRegistry::Instance().Describe(window);
    if (!info.exists) return Fail(scope, ERROR_INVALID_WINDOW_HANDLE);
    const RECT client = WindowRegistry::Instance().ClientRectOnScreen(window);
    point->x = Clamp32(int64_t{point->x} + client.left);
    point->y = Clamp32(int64_t{point->y} + client.top);
    return Succeed(scope, TRUE);
}

}  // extern "C"

namespace orvplatform {

void SetDesktopSize(int width, int height) {
    WindowRegistry::Instance().SetDesktopSize(width, height);
}

WindowInfo GetWindowInfo(HWND window) { return WindowRegistry::Instance().Describe(window); }

}  // namespace orvplatform
