#include "MipCascade.h"

#include "MipFilter.h"

MipCascade::MipCascade(const PixelView* levels, UINT count) : m_pLevels(levels), m_Count(count) {
    while (m_Exact < m_Count && HalvesExactly(m_pLevels[m_Exact - 1], m_pLevels[m_Exact])) ++m_Exact;
}

void MipCascade::TopRowsDone(UINT rows) {
    if (m_Exact < 2) return;
    if (rows > m_pLevels[0].height) rows = m_pLevels[0].height;
    // Row y of a level is made once rows 2y and 2y + 1 of the level above
    // are; when y is odd, that completes row y / 2 of the level below.
    for (; 2 * m_RowsMade + 1 < rows; ++m_RowsMade) {
        UINT level = 1, y = m_RowsMade;
        HalveRow(m_pLevels[0], m_pLevels[1], y);
        while (y % 2 == 1 && level + 1 < m_Exact) {
            y /= 2;
            ++level;
            HalveRow(m_pLevels[level - 1], m_pLevels[level], y);
        }
    }
}

void MipCascade::Finish() {
    TopRowsDone(m_Count ? m_pLevels[0].height : 0);
    for (UINT level = m_Exact; level < m_Count; ++level) BoxFilter(m_pLevels[level - 1], m_pLevels[level]);
}
