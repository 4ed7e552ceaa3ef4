// Lifetimes and selection of GDI objects as the system has them.
#include "GdiCanvas.h"

namespace {

constexpr DWORD kErrorBusy = 170;

class GdiObjects : public GdiTest {};

}  // namespace

TEST_F(GdiObjects, SelectedObjectsCannotBeDeletedUntilReleased) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(first);
    void* bits = nullptr;
    const BITMAPINFO info = DibInfo(4, -4);
    HBITMAP bitmap = CreateDIBSection(first, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HFONT font = CreateFontA(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Arial");
    ASSERT_TRUE(first && second && bitmap && bits && font);

    HGDIOBJ stockBitmap = SelectObject(first, bitmap);
    ASSERT_TRUE(stockBitmap && SelectObject(first, font) && SelectObject(second, font));
    SetLastError(0);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr) << "a bitmap goes into one DC only";
    EXPECT_EQ(GetLastError(), kErrorBusy);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(GetLastError(), kErrorBusy);

    EXPECT_EQ(SelectObject(first, stockBitmap), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap)) << "already gone";
    EXPECT_TRUE(DeleteDC(first));
    EXPECT_FALSE(DeleteObject(font)) << "still in the second DC";
    EXPECT_TRUE(DeleteDC(second));
    EXPECT_TRUE(DeleteObject(font));
}
