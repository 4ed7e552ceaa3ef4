// The engine's device-state numbering (host/EngineNumbering.h) and its
// translation to Direct3D 8. Each row names the Direct3D state the engine
// state drives and the value table its value passes through (ValueTables.h).
#pragma once

#include <d3d8.h>

#include <cstdint>

#include "state/ValueTables.h"

namespace state {

struct StateRow {
    int32_t engine;
    const char* name;  // as the state dump prints it
    DWORD d3dState;
    const ValueNumbering* values;  // null: the value reaches the device unchanged
};

// Texture stages a Direct3D 8 device can address.
constexpr unsigned kStageCount = 8;

// One row per engine state, in engine order.
extern const StateRow kRenderStates[RENDERSTATE_COUNT];
extern const StateRow kStageStates[TEXTURESTATE_COUNT];

// Engine states outside the tables drive the first row (z-enable for render
// states, the colour operation for stage states).
inline const StateRow& RenderStateRow(unsigned engineState) {
    return kRenderStates[engineState < RENDERSTATE_COUNT ? engineState : 0];
}
inline const StateRow& StageStateRow(unsigned engineState) {
    return kStageStates[engineState < TEXTURESTATE_COUNT ? engineState : 0];
}

// The Direct3D value of an engine value: unchanged without a table; values a
// table does not list take the table's fallback.
inline DWORD TranslateValue(const ValueNumbering* values, unsigned engineValue) {
    return values ? values->Row(engineValue).d3d : engineValue;
}

}  // namespace state
