#include "material/MaterialKeywords.h"

#include <cstddef>

namespace {

// Each table lists its keywords in engine-value order: the keyword of value
// v is entry v.
constexpr const char* kTextureArgs[] = {
    "current",         // 0
    "diffuse",         // 1
    "selectmask",      // 2
    "specular",        // 3
    "temp",            // 4
    "texture",         // 5
    "tfactor",         // 6
    "alphareplicate",  // 7
    "complement",      // 8
};
static_assert(sizeof kTextureArgs / sizeof kTextureArgs[0] == 9, "nine texture arguments");

constexpr const char* kTextureOps[] = {
    "disable",                    // 0
    "selectarg1",                 // 1
    "selectarg2",                 // 2
    "modulate",                   // 3
    "modulate2x",                 // 4
    "modulate4x",                 // 5
    "add",                        // 6
    "addsigned",                  // 7
    "addsigned2x",                // 8
    "subtract",                   // 9
    "addsmooth",                  // 10
    "blenddiffusealpha",          // 11
    "blendtexturealpha",          // 12
    "blendfactoralpha",           // 13
    "blendtexturealphapm",        // 14
    "blendcurrentalpha",          // 15
    "premodulate",                // 16
    "modulatealpha_addcolor",     // 17
    "modulatecolor_addalpha",     // 18
    "modulateinvalpha_addcolor",  // 19
    "modulateinvcolor_addalpha",  // 20
    "bumpenvmap",                 // 21
    "bumpenbmapluminance",        // 22: the files' own spelling
    "dotproduct3",                // 23
    "multiplyadd",                // 24
    "lerp",                       // 25
};
static_assert(sizeof kTextureOps / sizeof kTextureOps[0] == 26, "26 texture operations");

constexpr const char* kBlends[] = {
    "zero",                     // 0
    "one",                      // 1
    "source_color",             // 2
    "inverse_source_color",     // 3
    "source_alpha",             // 4
    "inverse_source_alpha",     // 5
    "dest_alpha",               // 6
    "inverse_dest_alpha",       // 7
    "dest_color",               // 8
    "inverse_dest_color",       // 9
    "source_alpha_saturation",  // 10
    "both_source_alpha",        // 11
    "both_inverse_alpha",       // 12
};
static_assert(sizeof kBlends / sizeof kBlends[0] == 13, "13 blend factors");

constexpr const char* kCompareFuncs[] = {
    "never",          // 0
    "less",           // 1
    "equal",          // 2
    "less_equal",     // 3
    "greater",        // 4
    "greater_equal",  // 5
    "not_equal",      // 6
    "always",         // 7
};
static_assert(sizeof kCompareFuncs / sizeof kCompareFuncs[0] == 8, "eight compare functions");

constexpr const char* kAddressings[] = {
    "wrap",        // 0
    "mirror",      // 1
    "clamp",       // 2
    "border",      // 3
    "mirroronce",  // 4
};
static_assert(sizeof kAddressings / sizeof kAddressings[0] == 5, "five addressing modes");

template <size_t N>
int Parse(const char* const (&table)[N], const String& keyword) {
    for (size_t value = 0; value < N; ++value)
        if (keyword.CompareIC(table[value]) == 0) return static_cast<int>(value);
    return -1;
}

// The fallback is the keyword whose value the device receives for a value
// outside the table, so that the written keyword reads back to the same
// device state.
template <size_t N>
String Name(const char* const (&table)[N], int value, int fallback) {
    if (value < 0 || static_cast<size_t>(value) >= N) value = fallback;
    return String(table[value]);
}

constexpr int kCurrent = 0;
constexpr int kDisable = 0;
constexpr int kZero = 0;
constexpr int kLessEqual = 3;
constexpr int kWrap = 0;

}  // namespace

int ParseTextureArg(String keyword) { return Parse(kTextureArgs, keyword); }
String TextureArgName(int argument) { return Name(kTextureArgs, argument, kCurrent); }
int ParseTextureOp(String keyword) { return Parse(kTextureOps, keyword); }
String TextureOpName(int operation) { return Name(kTextureOps, operation, kDisable); }
int ParseBlend(String keyword) { return Parse(kBlends, keyword); }
String BlendName(int blend) { return Name(kBlends, blend, kZero); }
int ParseCompareFunc(String keyword) { return Parse(kCompareFuncs, keyword); }
String CompareFuncName(int func) { return Name(kCompareFuncs, func, kLessEqual); }
int ParseAddressing(String keyword) { return Parse(kAddressings, keyword); }
String AddressingName(int addressing) { return Name(kAddressings, addressing, kWrap); }

bool ParseSwitch(const String& value) { return value.CompareIC("Enable") == 0; }
const char* SwitchName(bool on) { return on ? "Enable" : "Disable"; }
