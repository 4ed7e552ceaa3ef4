// Test-side control of the platform stand-ins: the journal of platform calls,
// failure injection, the millisecond clock and a reset of all stand-in state.
// The plug-in never includes this header; tests and tools do.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvplatform {

// One platform call as it reached a stand-in. `api` names the interface and
// operation ("IDirect3DDevice8::SetRenderState", "SetWindowPos", ...).
// Integer arguments are recorded as their value, pointers as their address
// (0 for null), floats as their IEEE-754 bit pattern (see FloatBits).
struct Call {
    std::string api;
    std::vector<uint64_t> args;
    HRESULT result = 0;
    bool injected = false;  // the result came from an injected failure
};

// The journal is on by default and records every call of every stand-in, for
// as long as it is on: programs that are not tests (the demo host, the
// benchmarks) switch it off, or they grow with every frame they draw.
ORV_WIN32_API const std::vector<Call>& Journal();
ORV_WIN32_API void ClearJournal();
ORV_WIN32_API void EnableJournal(bool enable);
// Calls of one operation, in order.
ORV_WIN32_API std::vector<Call> CallsOf(const std::string& api);
ORV_WIN32_API size_t CountOf(const std::string& api);
// Journal entries whose api is in `apis` (for checking the order of a few calls).
ORV_WIN32_API std::vector<Call> CallsOfAny(const std::vector<std::string>& apis);

inline uint64_t FloatBits(float value) {
    uint32_t bits;
    __builtin_memcpy(&bits, &value, sizeof bits);
    return bits;
}
inline float BitsFloat(uint64_t bits) {
    uint32_t low = static_cast<uint32_t>(bits);
    float value;
    __builtin_memcpy(&value, &low, sizeof value);
    return value;
}

// Failure injection. The n-th call (n >= 1, counted from this moment) of `api`
// returns `result` instead of doing its work. FailEveryCall makes every call
// fail until ClearFailures. Functions without an HRESULT report the failure
// their own way (null handle, FALSE, 0) and set the last error to `result`'s
// low 16 bits.
ORV_WIN32_API void FailNthCall(const std::string& api, unsigned n, HRESULT result);
ORV_WIN32_API void FailEveryCall(const std::string& api, HRESULT result);
ORV_WIN32_API void ClearFailures();
// Calls that failed by injection since the last ClearFailures or ResetAll
// (whether or not the journal was on).
ORV_WIN32_API size_t InjectedCallCount();

// The clock behind GetTickCount: real milliseconds since the library loaded
// unless a test sets it.
ORV_WIN32_API void SetTickCount(uint32_t ticks);
ORV_WIN32_API void AdvanceTickCount(uint32_t milliseconds);
ORV_WIN32_API void UseRealClock();

// Puts every stand-in back into its initial configuration: clears the
// journal and the failures, restores the real clock, and runs every reset
// hook registered by a stand-in library (the Direct3D runtime's adapters,
// the window list, ...).
ORV_WIN32_API void ResetAll();
ORV_WIN32_API void RegisterResetHook(void (*hook)());

// ---- Windows and GDI ---------------------------------------------------------
// The desktop window's size. The Direct3D runtime keeps it equal to adapter
// 0's desktop display mode; 1024 x 768 until something sets it.
ORV_WIN32_API void SetDesktopSize(int width, int height);

// What the window stand-in knows of one window. The rectangle is the outer
// one; the client area is what the style's frame leaves of it.
struct WindowInfo {
    bool exists = false;
    bool visible = false;
    RECT rect = {0, 0, 0, 0};  // on the desktop
    DWORD style = 0;
    std::string className;
    int raisedToTop = 0;       // SetWindowPos calls that brought it to the top
    std::string title;
};
ORV_WIN32_API WindowInfo GetWindowInfo(HWND window);

// GetDeviceCaps(LOGPIXELSY) of every device context; 96 by default.
ORV_WIN32_API void SetLogPixelsY(int dotsPerInch);
// The font file a GDI font was resolved to ("" for an unknown handle).
ORV_WIN32_API std::string FontFileOf(HFONT font);
// Device contexts, fonts and bitmaps created and not yet deleted (stock
// objects are not counted). GDI objects outlive ResetAll: they belong to
// whoever made them.
ORV_WIN32_API size_t LiveGdiObjectCount();
// One line per live GDI object, e.g. "bitmap 256x256 32bpp selected into 1
// device context(s)" or "device context with bitmap 1x1 32bpp".
ORV_WIN32_API std::vector<std::string> LiveGdiObjectDescriptions();

// ---- For stand-in implementations ------------------------------------------
// Every stand-in operation starts with a CallScope: it appends the call to the
// journal and answers whether an injected failure applies.
class ORV_WIN32_API CallScope {
public:
    CallScope(const char* api, std::initializer_list<uint64_t> args);
    // True when the call must fail with InjectedResult() and do nothing else.
    bool Injected() const { return m_Injected; }
    HRESULT InjectedResult() const { return m_InjectedResult; }
    // Records the result and hands it back.
    HRESULT Finish(HRESULT result);

private:
    size_t m_Index;
    bool m_Injected;
    HRESULT m_InjectedResult;
};

template <typename T>
inline uint64_t Arg(T* pointer) {
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pointer));
}
inline uint64_t Arg(float value) { return FloatBits(value); }

}  // namespace orvplatform
