#include "VertexFormat.h"

#include <iterator>

namespace orvd3d8 {
namespace {

// Bytes of the position by D3DFVF_POSITION_MASK >> 1: none, XYZ, XYZRHW, XYZB1..XYZB5.
constexpr UINT kPositionBytes[] = {0, 12, 16, 16, 20, 24, 28, 32};
static_assert(std::size(kPositionBytes) == (D3DFVF_POSITION_MASK >> 1) + 1, "position kinds");

// Floats of one texture-coordinate set by its two format bits:
// D3DFVF_TEXTUREFORMAT2, 3, 4, 1.
constexpr UINT kTexCoordFloats[] = {2, 3, 4, 1};
static_assert(std::size(kTexCoordFloats) == 4, "two bits per set");

}  // namespace

VertexFormat::VertexFormat(DWORD fvf) {
    m_PreTransformed = (fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
    m_Size = kPositionBytes[(fvf & D3DFVF_POSITION_MASK) >> 1];
    if (fvf & D3DFVF_NORMAL) m_Size += 12;
    if (fvf & D3DFVF_PSIZE) m_Size += 4;
    if (fvf & D3DFVF_DIFFUSE) {
        m_Diffuse = static_cast<int>(m_Size);
        m_Size += 4;
    }
    if (fvf & D3DFVF_SPECULAR) m_Size += 4;
    m_TexCoordSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (m_TexCoordSets > D3DDP_MAXTEXCOORD) {
        m_Valid = false;
        m_TexCoordSets = 0;
    }
    for (UINT set = 0; set < m_TexCoordSets; ++set) {
        m_TexCoords[set] = static_cast<int>(m_Size);
        m_Size += 4 * kTexCoordFloats[(fvf >> (16 + 2 * set)) & 3];
    }
    if (m_Size == 0 || (fvf & D3DFVF_RESERVED0)) m_Valid = false;
}

int VertexFormat::TexCoordOffset(UINT set) const {
    return set < m_TexCoordSets ? m_TexCoords[set] : kAbsent;
}

}  // namespace orvd3d8
