#include "GdiObjectTable.h"

namespace orvwin32 {
namespace {

// The system font's cell is 16 pixels tall at 96 dots per inch.
constexpr int kStockFontHeight = 16;

}  // namespace

GdiObjectTable& GdiObjectTable::Instance() {
    static GdiObjectTable table;
    return table;
}

// Objects still alive at exit: device contexts first, as they hold
// selections of the others.
GdiObjectTable::~GdiObjectTable() {
    for (auto it = m_Objects.begin(); it != m_Objects.end();)
        it = it->second->GetKind() == GdiObject::Kind::DeviceContext ? m_Objects.erase(it) : ++it;
}

HGDIOBJ GdiObjectTable::Add(std::unique_ptr<GdiObject> object) {
    GdiObject* handle = object.get();
    m_Objects[handle] = std::move(object);
    return handle;
}

GdiObject* GdiObjectTable::Lookup(const void* handle) const {
    if (!handle) return nullptr;
    if (handle == m_StockBitmap.get()) return m_StockBitmap.get();
    if (handle == m_StockFont.get()) return m_StockFont.get();
    auto it = m_Objects.find(handle);
    return it == m_Objects.end() ? nullptr : it->second.get();
}

std::vector<std::string> GdiObjectTable::Descriptions() const {
    std::vector<std::string> lines;
    for (const auto& [handle, object] : m_Objects) {
        std::string line = object->Describe();
        // A device context's own selections are in its description; what
        // matters of the others is whether something still holds them.
        if (object->GetKind() != GdiObject::Kind::DeviceContext && object->IsSelected())
            line += " selected into " + std::to_string(object->SelectionCount()) +
                    " device context(s)";
        lines.push_back(std::move(line));
    }
    return lines;
}

bool GdiObjectTable::Remove(const void* handle) { return m_Objects.erase(handle) == 1; }

bool GdiObjectTable::IsStock(const void* handle) const {
    return handle && (handle == m_StockBitmap.get() || handle == m_StockFont.get());
}

GdiBitmap* GdiObjectTable::StockBitmap() {
    if (!m_StockBitmap) {
        BITMAPINFOHEADER header = {};
        header.biSize = sizeof header;
        header.biWidth = 1;
        header.biHeight = 1;
        header.biPlanes = 1;
        header.biBitCount = 32;
        header.biCompression = BI_RGB;
        m_StockBitmap = GdiBitmap::Create(header);
    }
    return m_StockBitmap.get();
}

GdiFont* GdiObjectTable::StockFont() {
    if (!m_StockFont) {
        GdiLogicalFont logical;
        logical.height = kStockFontHeight;
        logical.weight = FW_BOLD;
        logical.quality = NONANTIALIASED_QUALITY;
        m_StockFont = GdiFont::Create(logical, kDefaultDotsPerInch);
    }
    return m_StockFont.get();
}

}  // namespace orvwin32
