// GDI32 text calls over FreeType and fontconfig: memory device contexts,
// DIB sections, fonts and anti-aliased text drawn into the selected bitmap.
//
// Deleting an object that is selected into a device context fails (FALSE,
// ERROR_BUSY) and leaves it alive, as GDI does for selected bitmaps; select
// something else first or delete the device context, which lets go of its
// selections. Deleting a stock object succeeds and does nothing.
#include "GdiObjectTable.h"

#include <orv/PlatformControl.h>

#include <cstring>
#include <type_traits>

namespace {

using orvplatform::Arg;
using orvplatform::CallScope;
using orvwin32::GdiBitmap;
using orvwin32::GdiDeviceContext;
using orvwin32::GdiFont;
using orvwin32::GdiObjectTable;

constexpr DWORD kErrorInvalidHandle = 6;
constexpr DWORD kErrorNotEnoughMemory = 8;
constexpr DWORD kErrorBusy = 170;
constexpr size_t kFaceNameSize = 32;  // LF_FACESIZE, the terminator included

uint64_t Int(int64_t value) { return static_cast<uint64_t>(value); }

template <typename T>
HRESULT ResultOf(T value) {
    if constexpr (std::is_pointer_v<T>)
        return static_cast<HRESULT>(reinterpret_cast<uintptr_t>(value));
    else
        return static_cast<HRESULT>(value);
}

template <typename T>
T Succeed(CallScope& scope, T value) {
    scope.Finish(ResultOf(value));
    return value;
}

// Every call fails its own way: `failure` is what it returns.
template <typename T>
T Fail(CallScope& scope, DWORD error, T failure) {
    SetLastError(error);
    scope.Finish(ResultOf(failure));
    return failure;
}

template <typename T>
T FailInjected(CallScope& scope, T failure) {
    return Fail(scope, static_cast<DWORD>(scope.InjectedResult()) & 0xFFFF, failure);
}

GdiObjectTable& Table() { return GdiObjectTable::Instance(); }

GdiDeviceContext* FindDc(HDC dc) { return Table().Find<GdiDeviceContext>(dc); }

void RestoreDotsPerInch() { Table().SetDotsPerInch(GdiObjectTable::kDefaultDotsPerInch); }

// GDI objects belong to whoever made them; a reset only restores the settings.
[[maybe_unused]] const bool kResetHookRegistered = (orvplatform::RegisterResetHook(RestoreDotsPerInch), true);

}  // namespace

namespace orvplatform {

void SetLogPixelsY(int dotsPerInch) { Table().SetDotsPerInch(dotsPerInch); }

std::string FontFileOf(HFONT font) {
    const GdiFont* found = Table().Find<GdiFont>(font);
    return found ? found->File() : std::string();
}

size_t LiveGdiObjectCount() { return Table().LiveCount(); }

std::vector<std::string> LiveGdiObjectDescriptions() { return Table().Descriptions(); }

}  // namespace orvplatform

extern "C" {

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                         DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                         DWORD pitchAndFamily, LPCSTR faceName) {
    CallScope scope("CreateFontA",
                    {Int(height), Int(width), Int(escapement), Int(orientation), Int(weight), italic,
                     underline, strikeOut, charSet, outPrecision, clipPrecision, quality,
                     pitchAndFamily, Arg(faceName)});
    if (scope.Injected()) return FailInjected(scope, HFONT{});
    if (!faceName || strnlen(faceName, kFaceNameSize) == kFaceNameSize)
        return Fail(scope, ERROR_INVALID_PARAMETER, HFONT{});
    orvwin32::GdiLogicalFont logical;
    logical.height = height;
    logical.width = width;
    logical.weight = weight;
    logical.italic = italic != 0;
    logical.underline = underline != 0;
    logical.strikeOut = strikeOut != 0;
    logical.quality = quality;
    logical.pitchAndFamily = pitchAndFamily;
    logical.faceName = faceName;
    std::unique_ptr<GdiFont> font = GdiFont::Create(logical, Table().DotsPerInch());
    if (!font) return Fail(scope, ERROR_INVALID_PARAMETER, HFONT{});
    return Succeed(scope, static_cast<HFONT>(Table().Add(std::move(font))));
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
    CallScope scope("CreateCompatibleDC", {Arg(dc)});
    if (scope.Injected()) return FailInjected(scope, HDC{});
    if (dc && !FindDc(dc)) return Fail(scope, kErrorInvalidHandle, HDC{});
    GdiBitmap* stockBitmap = Table().StockBitmap();
    GdiFont* stockFont = Table().StockFont();
    if (!stockBitmap || !stockFont) return Fail(scope, kErrorNotEnoughMemory, HDC{});
    auto created = std::make_unique<GdiDeviceContext>(stockBitmap, stockFont);
    return Succeed(scope, static_cast<HDC>(Table().Add(std::move(created))));
}

BOOL WINAPI DeleteDC(HDC dc) {
    CallScope scope("DeleteDC", {Arg(dc)});
    if (scope.Injected()) return FailInjected(scope, FALSE);
    if (!FindDc(dc)) return Fail(scope, kErrorInvalidHandle, FALSE);
    Table().Remove(dc);
    return Succeed(scope, TRUE);
}

HBITMAP WINAPI CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, VOID** bits,
                                HANDLE section, DWORD offset) {
    CallScope scope("CreateDIBSection",
                    {Arg(dc), Arg(info), usage, Arg(bits), Arg(section), offset});
    if (bits) *bits = nullptr;
    if (scope.Injected()) return FailInjected(scope, HBITMAP{});
    if (dc && !FindDc(dc)) return Fail(scope, kErrorInvalidHandle, HBITMAP{});
    // File-mapped sections are not supported: the pixels are always our own.
    if (!info || usage != DIB_RGB_COLORS || section || !GdiBitmap::Supports(info->bmiHeader))
        return Fail(scope, ERROR_INVALID_PARAMETER, HBITMAP{});
    std::unique_ptr<GdiBitmap> bitmap = GdiBitmap::Create(info->bmiHeader);
    if (bits) *bits = bitmap->Bits();
    return Succeed(scope, static_cast<HBITMAP>(Table().Add(std::move(bitmap))));
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    CallScope scope("SelectObject", {Arg(dc), Arg(object)});
    if (scope.Injected()) return FailInjected(scope, HGDIOBJ{});
    GdiDeviceContext* context = FindDc(dc);
    if (!context) return Fail(scope, kErrorInvalidHandle, HGDIOBJ{});
    if (GdiFont* font = Table().Find<GdiFont>(object)) return Succeed(scope, HGDIOBJ{context->Select(font)});
    GdiBitmap* bitmap = Table().Find<GdiBitmap>(object);
    if (!bitmap) return Fail(scope, kErrorInvalidHandle, HGDIOBJ{});
    if (bitmap == context->SelectedBitmap()) return Succeed(scope, HGDIOBJ{bitmap});
    // A bitmap is selected into one device context at a time; the stock one
    // into any number.
    if (bitmap->IsSelected() && !Table().IsStock(bitmap)) return Fail(scope, kErrorBusy, HGDIOBJ{});
    return Succeed(scope, HGDIOBJ{context->Select(bitmap)});
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    CallScope scope("DeleteObject", {Arg(object)});
    if (scope.Injected()) return FailInjected(scope, FALSE);
    if (Table().IsStock(object)) return Succeed(scope, TRUE);
    // Device contexts go through DeleteDC.
    orvwin32::GdiObject* drawing = Table().Find<GdiFont>(object);
    if (!drawing) drawing = Table().Find<GdiBitmap>(object);
    if (!drawing) return Fail(scope, kErrorInvalidHandle, FALSE);
    if (drawing->IsSelected()) return Fail(scope, kErrorBusy, FALSE);
    Table().Remove(object);
    return Succeed(scope, TRUE);
}

int WINAPI SetMapMode(HDC dc, int mode) {
    CallScope scope("SetMapMode", {Arg(dc), Int(mode)});
    if (scope.Injected()) return FailInjected(scope, 0);
    if (!FindDc(dc)) return Fail(scope, kErrorInvalidHandle, 0);
    // Coordinates are always device pixels: MM_TEXT is the only mode.
    if (mode != MM_TEXT) return Fail(scope, ERROR_INVALID_PARAMETER, 0);
    return Succeed(scope, MM_TEXT);
}

int WINAPI GetDeviceCaps(HDC dc, int index) {
    CallScope scope("GetDeviceCaps", {Arg(dc), Int(index)});
    if (scope.Injected()) return FailInjected(scope, 0);
    if (!FindDc(dc)) return Fail(scope, kErrorInvalidHandle, 0);
    // Other capabilities are not modelled and read as 0, as unknown indexes do.
    const bool dotsPerInch = index == LOGPIXELSX || index == LOGPIXELSY;
    return Succeed(scope, dotsPerInch ? Table().DotsPerInch() : 0);
}

BOOL WINAPI GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics) {
    CallScope scope("GetTextMetricsA", {Arg(dc), Arg(metrics)});
    if (scope.Injected()) return FailInjected(scope, FALSE);
    GdiDeviceContext* context = FindDc(dc);
    if (!context) return Fail(scope, kErrorInvalidHandle, FALSE);
    if (!metrics) return Fail(scope, ERROR_INVALID_PARAMETER, FALSE);
    *metrics = context->SelectedFont().Metrics();
    return Succeed(scope, TRUE);
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour) {
    CallScope scope("SetTextColor", {Arg(dc), colour});
    if (scope.Injected()) return FailInjected(scope, COLORREF{CLR_INVALID});
    GdiDeviceContext* context = FindDc(dc);
    if (!context) return Fail(scope, kErrorInvalidHandle, COLORREF{CLR_INVALID});
    return Succeed(scope, context->SetTextColour(colour));
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour) {
    CallScope scope("SetBkColor", {Arg(dc), colour});
    if (scope.Injected()) return FailInjected(scope, COLORREF{CLR_INVALID});
    GdiDeviceContext* context = FindDc(dc);
    if (!context) return Fail(scope, kErrorInvalidHandle, COLORREF{CLR_INVALID});
    return Succeed(scope, context->SetBackgroundColour(colour));
}

UINT WINAPI SetTextAlign(HDC dc, UINT align) {
    CallScope scope("SetTextAlign", {Arg(dc), align});
    if (scope.Injected()) return FailInjected(scope, UINT{GDI_ERROR});
    GdiDeviceContext* context = FindDc(dc);
    if (!context) return Fail(scope, kErrorInvalidHandle, UINT{GDI_ERROR});
    return Succeed(scope, context->SetTextAlign(align));
}

BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size) {
    CallScope scope("GetTextExtentPoint32A", {Arg(dc), Arg(text), Int(length), Arg(size)});
    if (scope.Injected()) return FailInjected(scope, FALSE);
    GdiDeviceContext* context = FindDc(dc);
    if (!context) return Fail(scope, kErrorInvalidHandle, FALSE);
    if (!size || length < 0 || (!text && length > 0)) return Fail(scope, ERROR_INVALID_PARAMETER, FALSE);
    *size = context->TextExtent(text, length);
    return Succeed(scope, TRUE);
}

BOOL WINAPI ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text,
                        UINT length, const INT* dx) {
    CallScope scope("ExtTextOutA",
                    {Arg(dc), Int(x), Int(y), options, Arg(rect), Arg(text), length, Arg(dx)});
    if (scope.Injected()) return FailInjected(scope, FALSE);
    GdiDeviceContext* context = FindDc(dc);
    if (!context) return Fail(scope, kErrorInvalidHandle, FALSE);
    if (!text && length > 0) return Fail(scope, ERROR_INVALID_PARAMETER, FALSE);
    context->DrawText(x, y, options, rect, text, length, dx);
    return Succeed(scope, TRUE);
}

}  // extern "C"
