#include "material/MaterialKeywords.h"

#include "state/ValueTables.h"

namespace {

using state::ValueNumbering;

// The keywords are those of the value tables the device state is translated
// with: a keyword and the Direct3D value it gives are written in one row.
int Parse(const ValueNumbering& values, const String& keyword) {
    for (unsigned value = 0; value < values.count; ++value)
        if (keyword.CompareIC(values.rows[value].keyword) == 0) return static_cast<int>(value);
    return -1;
}

// A value outside the table is written as the table's fallback, whose
// keyword reads back to the device state that value gave.
String Name(const ValueNumbering& values, int value) {
    return String(values.Row(static_cast<unsigned>(value)).keyword);
}

}  // namespace

int ParseTextureArg(String keyword) { return Parse(state::kTextureArgs, keyword); }
String TextureArgName(int argument) { return Name(state::kTextureArgs, argument); }
int ParseTextureOp(String keyword) { return Parse(state::kTextureOps, keyword); }
String TextureOpName(int operation) { return Name(state::kTextureOps, operation); }
int ParseBlend(String keyword) { return Parse(state::kBlendFactors, keyword); }
String BlendName(int blend) { return Name(state::kBlendFactors, blend); }
int ParseCompareFunc(String keyword) { return Parse(state::kCompareFuncs, keyword); }
String CompareFuncName(int func) { return Name(state::kCompareFuncs, func); }
int ParseAddressing(String keyword) { return Parse(state::kTextureAddresses, keyword); }
String AddressingName(int addressing) { return Name(state::kTextureAddresses, addressing); }

bool ParseSwitch(const String& value) { return value.CompareIC("Enable") == 0; }
const char* SwitchName(bool on) { return on ? "Enable" : "Disable"; }
