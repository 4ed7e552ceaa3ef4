// Every live GDI object by handle, plus the stock objects a new device
// context starts with. Stock objects are shared, never deleted and not
// counted as live.
#pragma once

#include "GdiBitmap.h"
#include "GdiDeviceContext.h"
#include "GdiFont.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orvwin32 {

class GdiObjectTable {
public:
    static constexpr int kDefaultDotsPerInch = 96;

    static GdiObjectTable& Instance();
    ~GdiObjectTable();

    // Takes ownership; the handle is the object's address.
    HGDIOBJ Add(std::unique_ptr<GdiObject> object);
    // The live or stock object behind `handle` when it is a T; null otherwise.
    template <typename T>
    T* Find(const void* handle) const;
    // Destroys a live object; false for stock objects and unknown handles.
    bool Remove(const void* handle);
    bool IsStock(const void* handle) const;
    size_t LiveCount() const { return m_Objects.size(); }
    // One line per live object, in no particular order.
    std::vector<std::string> Descriptions() const;

    // A 1 x 1 bitmap and a system font; the font is null when no font at
    // all is installed.
    GdiBitmap* StockBitmap();
    GdiFont* StockFont();

    // Dots per inch of every device context.
    int DotsPerInch() const { return m_DotsPerInch; }
    void SetDotsPerInch(int dotsPerInch) { m_DotsPerInch = dotsPerInch; }

private:
    GdiObjectTable() = default;
    GdiObject* Lookup(const void* handle) const;

    // Device contexts refer to the stock objects: these go last.
    std::unique_ptr<GdiBitmap> m_StockBitmap;
    std::unique_ptr<GdiFont> m_StockFont;
    std::map<const void*, std::unique_ptr<GdiObject>> m_Objects;
    int m_DotsPerInch = kDefaultDotsPerInch;
};

template <typename T>
T* GdiObjectTable::Find(const void* handle) const {
    GdiObject* object = Lookup(handle);
    return object ? dynamic_cast<T*>(object) : nullptr;
}

}  // namespace orvwin32
