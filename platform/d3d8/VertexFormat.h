// Sizes and element offsets of flexible vertex formats (FVF codes).
#pragma once

#include <d3d8.h>

namespace orvd3d8 {

class VertexFormat {
public:
    static constexpr int kAbsent = -1;

    explicit VertexFormat(DWORD fvf);

    bool Valid() const { return m_Valid; }
    bool PreTransformed() const { return m_PreTransformed; }  // x, y, z, rhw
    UINT Size() const { return m_Size; }
    // Byte offsets inside one vertex; kAbsent when the format lacks the element.
    int DiffuseOffset() const { return m_Diffuse; }
    int TexCoordOffset(UINT set) const;
    UINT TexCoordSets() const { return m_TexCoordSets; }

private:
    bool m_Valid = true;
    bool m_PreTransformed = false;
    UINT m_Size = 0;
    int m_Diffuse = kAbsent;
    UINT m_TexCoordSets = 0;
    int m_TexCoords[D3DDP_MAXTEXCOORD] = {};
};

}  // namespace orvd3d8
