// Direct3D 8's documented initial render states and texture-stage states, and
// which state numbers exist.
#pragma once

#include <d3d8.h>

namespace orvd3d8 {

class DefaultStates {
public:
    // One past the highest render state (D3DRS_NORMALORDER) and stage state
    // (D3DTSS_RESULTARG).
    static constexpr DWORD kRenderStateCount = D3DRS_NORMALORDER + 1;
    static constexpr DWORD kStageStateCount = D3DTSS_RESULTARG + 1;
    // The caps' MaxPointSize, which is also D3DRS_POINTSIZE_MAX's default.
    static constexpr float kMaxPointSize = 64.0f;

    static bool IsRenderState(DWORD state);
    static bool IsStageState(DWORD type);
    // `states` has kRenderStateCount entries, indexed by state number; numbers
    // that name no state are left at 0.
    static void FillRenderStates(DWORD* states, const D3DPRESENT_PARAMETERS& parameters,
                                 DWORD behavior);
    // `states` has kStageStateCount entries for stage `stage`.
    static void FillStageStates(DWORD* states, DWORD stage);
};

}  // namespace orvd3d8
