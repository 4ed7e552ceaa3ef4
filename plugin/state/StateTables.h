// The engine's device-state numbering and its translation to Direct3D 8.
// Engine render states run densely from 0 to 75 and stage states from 0 to 26;
// their values are small enumerations counted from 0. Each row names the
// Direct3D state the engine state drives and the value table its value
// passes through.
#pragma once

#include <d3d8.h>

#include <cstdint>

namespace state {

enum class ValueTable : uint8_t {
    Unchanged,
    Fill,
    Shade,
    Cull,
    Compare,
    Blend,
    Operation,
    Argument,
    Addressing,
};

struct StateRow {
    const char* name;  // as the state dump prints it
    DWORD d3dState;
    ValueTable values;
};

constexpr unsigned kRenderStateCount = 76;
constexpr unsigned kStageStateCount = 27;
// Texture stages a Direct3D 8 device can address.
constexpr unsigned kStageCount = 8;

// Engine states outside the tables drive the first row (z-enable for render
// states, the colour operation for stage states).
const StateRow& RenderStateRow(unsigned engineState);
const StateRow& StageStateRow(unsigned engineState);

// The Direct3D value of an engine value; values a table does not list take
// the table's fallback.
DWORD TranslateValue(ValueTable table, unsigned engineValue);

}  // namespace state
