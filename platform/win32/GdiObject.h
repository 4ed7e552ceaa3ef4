// The common part of every GDI object the stand-in hands out: its kind and
// how many device contexts have it selected. Handles are the objects'
// addresses; GdiObjectTable decides which addresses are live.
#pragma once

#include <string>

namespace orvwin32 {

class GdiObject {
public:
    enum class Kind { DeviceContext, Bitmap, Font };

    virtual ~GdiObject() = default;
    virtual Kind GetKind() const = 0;
    // What LiveGdiObjectDescriptions() prints, without the selection state.
    virtual std::string Describe() const = 0;

    // Selection into device contexts. A selected object cannot be deleted.
    void AddSelection() { ++m_Selections; }
    void RemoveSelection() { --m_Selections; }
    bool IsSelected() const { return m_Selections > 0; }
    int SelectionCount() const { return m_Selections; }

private:
    int m_Selections = 0;
};

}  // namespace orvwin32
