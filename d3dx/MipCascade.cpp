#include "MipCascade.h"

#include "MipFilter.h"

MipCascade::MipCascade(const PixelView* levels, UINT count) : m_pLevels(levels), m_Count(count) {
    while (m_Exact < m_Count && HalvesExactly(m_pLevels[m_Exact - 1], m_pLevels[m_Exact])) ++m_Exact;
}

void MipCascade::TopRowsDone(const PixelView& rows, UINT first) {
    // Rows that do not continue where the last call ended would leave level 1
    // rows unmade; they are not read.
    if (m_Exact < 2 || first != 2 * m_RowsMade) return;
    const UINT end = first + rows.height < m_pLevels[0].height ? first + rows.height : m_pLevels[0].height;
    // Row y of a level is made once rows 2y and 2y + 1 of the level above
    // are; when y is odd, that completes row y / 2 of the level below.
    for (; 2 * m_RowsMade + 1 < end; ++m_RowsMade) {
        UINT level = 1, y = m_RowsMade;
        HalveRow(rows, 2 * y - first, m_pLevels[1], y);
        while (y % 2 == 1 && level + 1 < m_Exact) {
            y /= 2;
            ++level;
            HalveRow(m_pLevels[level - 1], 2 * y, m_pLevels[level], y);
        }
    }
}

void MipCascade::Finish() {
    for (UINT level = m_Exact; level < m_Count; ++level) BoxFilter(m_pLevels[level - 1], m_pLevels[level]);
}
