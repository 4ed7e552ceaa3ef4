// The engine's device-state numbering (host/EngineNumbering.h) and its
// translation to Direct3D 8. Each row names the Direct3D state the engine
// state drives and the value table its value passes through (ValueTables.h).
#pragma once

#include <d3d8.h>

#include <cstdint>

#include "plugin/state/ValueTables.h"

namespace state {

struct StateRow {
    int32_t engine;
    const char* name;  // as the state dump prints it
    DWORD d3dState;
    const ValueNumbering* values;  // null: the value reaches the device unchanged
};

// Texture stages a Direct3D 8 device can address.
constexpr unsigned kStageCount = 8;

// Engine states outside the tables drive the first row (z-enable for render
// states, the colour operation for stage states).
const StateRow& RenderStateRow(unsigned engineState);
const StateRow& StageStateRow(unsigned engineState);

// The Direct3D value of an engine value: unchanged without a table; values a
// table does not list take the table's fallback.
DWORD TranslateValue(const ValueNumbering* values, unsigned engineValue);

}  // namespace state
