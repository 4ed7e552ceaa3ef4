// Win32 declarations for the Linux build: the types, constants and functions of
// USER, GDI and KERNEL32 that this code base calls, with the names, signatures
// and numeric values of the Windows SDK. On Windows the system header is used
// instead and this file is never seen.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define APIENTRY
#define CALLBACK
#define STDMETHODCALLTYPE
#define CONST const
#define VOID void

#if defined(ORV_WIN32_BUILD)
#define ORV_WIN32_API __attribute__((visibility("default")))
#else
#define ORV_WIN32_API
#endif

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef unsigned int UINT;
typedef int INT;
typedef int BOOL;
typedef float FLOAT;
typedef char CHAR;
typedef short SHORT;
typedef unsigned short USHORT;
typedef int32_t HRESULT;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef void* PVOID;
typedef void* HANDLE;
typedef DWORD COLORREF;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef LONG* LPLONG;
typedef INT* LPINT;
typedef UINT* LPUINT;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef intptr_t INT_PTR;

#define DECLARE_HANDLE(name) \
    struct name##__ {        \
        int unused;          \
    };                       \
    typedef struct name##__* name
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HFONT);
DECLARE_HANDLE(HBITMAP);
DECLARE_HANDLE(HMONITOR);
DECLARE_HANDLE(HINSTANCE);
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HICON);
DECLARE_HANDLE(HBRUSH);
typedef HICON HCURSOR;
typedef WORD ATOM;
typedef void* HGDIOBJ;
typedef HINSTANCE HMODULE;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *LPRECT;
typedef const RECT* LPCRECT;

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *LPPOINT;

typedef struct tagSIZE {
    LONG cx;
    LONG cy;
} SIZE, *LPSIZE;

typedef struct tagPALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
} PALETTEENTRY, *LPPALETTEENTRY;

typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER;

typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;
typedef GUID IID;
typedef const IID& REFIID;
typedef const GUID& REFGUID;

typedef struct _RGNDATAHEADER {
    DWORD dwSize;
    DWORD iType;
    DWORD nCount;
    DWORD nRgnSize;
    RECT rcBound;
} RGNDATAHEADER;
typedef struct _RGNDATA {
    RGNDATAHEADER rdh;
    char Buffer[1];
} RGNDATA;

// ---- COM -------------------------------------------------------------------
#define S_OK ((HRESULT)0L)
#define S_FALSE ((HRESULT)1L)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define MAKE_HRESULT(sev, fac, code) \
    ((HRESULT)(((uint32_t)(sev) << 31) | ((uint32_t)(fac) << 16) | ((uint32_t)(code))))

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    ~IUnknown() = default;
};

// ---- KERNEL32 --------------------------------------------------------------
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define ERROR_SUCCESS 0L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
#define ERROR_CLASS_HAS_WINDOWS 1412L

extern "C" {
ORV_WIN32_API DWORD WINAPI GetTickCount(void);
ORV_WIN32_API DWORD WINAPI GetLastError(void);
ORV_WIN32_API void WINAPI SetLastError(DWORD error);
ORV_WIN32_API int WINAPI MulDiv(int number, int numerator, int denominator);
ORV_WIN32_API HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
}

// ---- USER32 ----------------------------------------------------------------
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080

#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_OVERLAPPEDWINDOW \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_OWNDC 0x0020

#define WM_SETTEXT 0x000C
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagWNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
} WNDCLASSEXA;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *LPMSG;

extern "C" {
ORV_WIN32_API ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass);
ORV_WIN32_API BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance);
ORV_WIN32_API LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
ORV_WIN32_API BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin,
                                       UINT filterMax, UINT removeMessage);
ORV_WIN32_API BOOL WINAPI TranslateMessage(const MSG* message);
ORV_WIN32_API LRESULT WINAPI DispatchMessageA(const MSG* message);
ORV_WIN32_API BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
ORV_WIN32_API HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName,
                                          DWORD style, int x, int y, int width, int height,
                                          HWND parent, HMENU menu, HINSTANCE instance,
                                          LPVOID param);
ORV_WIN32_API BOOL WINAPI DestroyWindow(HWND window);
ORV_WIN32_API BOOL WINAPI IsWindow(HWND window);
ORV_WIN32_API BOOL WINAPI IsWindowVisible(HWND window);
ORV_WIN32_API BOOL WINAPI ShowWindow(HWND window, int command);
ORV_WIN32_API BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx,
                                       int cy, UINT flags);
ORV_WIN32_API BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height,
                                     BOOL repaint);
ORV_WIN32_API HWND WINAPI GetDesktopWindow(void);
ORV_WIN32_API BOOL WINAPI GetWindowRect(HWND window, LPRECT rect);
ORV_WIN32_API BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
ORV_WIN32_API BOOL WINAPI ClientToScreen(HWND window, LPPOINT point);
}

// ---- GDI32 -----------------------------------------------------------------
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))

#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define MM_TEXT 1
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004
#define TA_LEFT 0
#define TA_TOP 0
#define BI_RGB 0L
#define DIB_RGB_COLORS 0
#define CLR_INVALID 0xFFFFFFFF
#define GDI_ERROR 0xFFFFFFFFL
#define HGDI_ERROR ((HGDIOBJ)-1)

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER;

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO;

#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
} BITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagTEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
} TEXTMETRICA, *LPTEXTMETRICA;

extern "C" {
ORV_WIN32_API HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation,
                                       int weight, DWORD italic, DWORD underline,
                                       DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                                       DWORD clipPrecision, DWORD quality,
                                       DWORD pitchAndFamily, LPCSTR faceName);
ORV_WIN32_API HDC WINAPI CreateCompatibleDC(HDC dc);
ORV_WIN32_API BOOL WINAPI DeleteDC(HDC dc);
ORV_WIN32_API HBITMAP WINAPI CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage,
                                              VOID** bits, HANDLE section, DWORD offset);
ORV_WIN32_API HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
ORV_WIN32_API BOOL WINAPI DeleteObject(HGDIOBJ object);
ORV_WIN32_API int WINAPI SetMapMode(HDC dc, int mode);
ORV_WIN32_API int WINAPI GetDeviceCaps(HDC dc, int index);
ORV_WIN32_API BOOL WINAPI GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics);
ORV_WIN32_API COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour);
ORV_WIN32_API COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour);
ORV_WIN32_API UINT WINAPI SetTextAlign(HDC dc, UINT align);
ORV_WIN32_API BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size);
ORV_WIN32_API BOOL WINAPI ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect,
                                      LPCSTR text, UINT length, const INT* dx);
}
