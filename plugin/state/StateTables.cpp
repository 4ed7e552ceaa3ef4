#include "plugin/state/StateTables.h"

#include <cstddef>

namespace state {
namespace {

using V = ValueTable;

constexpr StateRow kRenderStates[] = {
    {"RENDERSTATE_ZENABLE", D3DRS_ZENABLE, V::Unchanged},                                // 0
    {"RENDERSTATE_FILLMODE", D3DRS_FILLMODE, V::Fill},                                   // 1
    {"RENDERSTATE_SHADEMODE", D3DRS_SHADEMODE, V::Shade},                                // 2
    {"RENDERSTATE_LINEPATTERN", D3DRS_LINEPATTERN, V::Unchanged},                        // 3
    {"RENDERSTATE_ZWRITEENABLE", D3DRS_ZWRITEENABLE, V::Unchanged},                      // 4
    {"RENDERSTATE_ALPHATESTENABLE", D3DRS_ALPHATESTENABLE, V::Unchanged},                // 5
    {"RENDERSTATE_LASTPIXEL", D3DRS_LASTPIXEL, V::Unchanged},                            // 6
    {"RENDERSTATE_SRCBLEND", D3DRS_SRCBLEND, V::Blend},                                  // 7
    {"RENDERSTATE_DESTBLEND", D3DRS_DESTBLEND, V::Blend},                                // 8
    {"RENDERSTATE_CULLMODE", D3DRS_CULLMODE, V::Cull},                                   // 9
    {"RENDERSTATE_ZFUNC", D3DRS_ZFUNC, V::Compare},                                      // 10
    {"RENDERSTATE_ALPHAREF", D3DRS_ALPHAREF, V::Unchanged},                              // 11
    // The engine's alpha-test comparison travels through the blend table
    // (n + 1), so its greater-or-equal and not-equal are in Direct3D's order.
    {"RENDERSTATE_BLENDFUNC", D3DRS_ALPHAFUNC, V::Blend},                                // 12
    {"RENDERSTATE_DITHERENABLE", D3DRS_DITHERENABLE, V::Unchanged},                      // 13
    {"RENDERSTATE_ALPHABLENDENABLE", D3DRS_ALPHABLENDENABLE, V::Unchanged},              // 14
    {"RENDERSTATE_FOGENABLE", D3DRS_FOGENABLE, V::Unchanged},                            // 15
    {"RENDERSTATE_SPECULARENABLE", D3DRS_SPECULARENABLE, V::Unchanged},                  // 16
    {"RENDERSTATE_ZVISIBLE", D3DRS_ZVISIBLE, V::Unchanged},                              // 17
    {"RENDERSTATE_FOGCOLOR", D3DRS_FOGCOLOR, V::Unchanged},                              // 18
    {"RENDERSTATE_FOGTABLEMODE", D3DRS_FOGTABLEMODE, V::Unchanged},                      // 19
    {"RENDERSTATE_FOGSTART", D3DRS_FOGSTART, V::Unchanged},                              // 20
    {"RENDERSTATE_FOGEND", D3DRS_FOGEND, V::Unchanged},                                  // 21
    {"RENDERSTATE_FOGDENSITY", D3DRS_FOGDENSITY, V::Unchanged},                          // 22
    {"RENDERSTATE_EDGEANTIALIAS", D3DRS_EDGEANTIALIAS, V::Unchanged},                    // 23
    {"RENDERSTATE_ZBIAS", D3DRS_ZBIAS, V::Unchanged},                                    // 24
    {"RENDERSTATE_RANGEFOGENABLE", D3DRS_RANGEFOGENABLE, V::Unchanged},                  // 25
    {"RENDERSTATE_STENCILENABLE", D3DRS_STENCILENABLE, V::Unchanged},                    // 26
    {"RENDERSTATE_STENCILFAIL", D3DRS_STENCILFAIL, V::Unchanged},                        // 27
    {"RENDERSTATE_STENCILZFAIL", D3DRS_STENCILZFAIL, V::Unchanged},                      // 28
    {"RENDERSTATE_STENCILPASS", D3DRS_STENCILPASS, V::Unchanged},                        // 29
    {"RENDERSTATE_STENCILFUNC", D3DRS_STENCILFUNC, V::Unchanged},                        // 30
    {"RENDERSTATE_STENCILREF", D3DRS_STENCILREF, V::Unchanged},                          // 31
    {"RENDERSTATE_STENCILMASK", D3DRS_STENCILMASK, V::Unchanged},                        // 32
    {"RENDERSTATE_STENCILWRITEMASK", D3DRS_STENCILWRITEMASK, V::Unchanged},              // 33
    {"RENDERSTATE_TEXTUREFACTOR", D3DRS_TEXTUREFACTOR, V::Unchanged},                    // 34
    {"RENDERSTATE_WRAP0", D3DRS_WRAP0, V::Unchanged},                                    // 35
    {"RENDERSTATE_WRAP1", D3DRS_WRAP1, V::Unchanged},                                    // 36
    {"RENDERSTATE_WRAP2", D3DRS_WRAP2, V::Unchanged},                                    // 37
    {"RENDERSTATE_WRAP3", D3DRS_WRAP3, V::Unchanged},                                    // 38
    {"RENDERSTATE_WRAP4", D3DRS_WRAP4, V::Unchanged},                                    // 39
    {"RENDERSTATE_WRAP5", D3DRS_WRAP5, V::Unchanged},                                    // 40
    {"RENDERSTATE_WRAP6", D3DRS_WRAP6, V::Unchanged},                                    // 41
    {"RENDERSTATE_WRAP7", D3DRS_WRAP7, V::Unchanged},                                    // 42
    {"RENDERSTATE_CLIPPING", D3DRS_CLIPPING, V::Unchanged},                              // 43
    {"RENDERSTATE_LIGHTING", D3DRS_LIGHTING, V::Unchanged},                              // 44
    {"RENDERSTATE_AMBIENT", D3DRS_AMBIENT, V::Unchanged},                                // 45
    {"RENDERSTATE_FOGVERTEXMODE", D3DRS_FOGVERTEXMODE, V::Unchanged},                    // 46
    {"RENDERSTATE_COLORVERTEX", D3DRS_COLORVERTEX, V::Unchanged},                        // 47
    {"RENDERSTATE_LOCALVIEWER", D3DRS_LOCALVIEWER, V::Unchanged},                        // 48
    {"RENDERSTATE_NORMALIZENORMALS", D3DRS_NORMALIZENORMALS, V::Unchanged},              // 49
    {"RENDERSTATE_DIFFUSEMATERIALSOURCE", D3DRS_DIFFUSEMATERIALSOURCE, V::Unchanged},    // 50
    {"RENDERSTATE_SPECULARMATERIALSOURCE", D3DRS_SPECULARMATERIALSOURCE, V::Unchanged},  // 51
    {"RENDERSTATE_AMBIENTMATERIALSOURCE", D3DRS_AMBIENTMATERIALSOURCE, V::Unchanged},    // 52
    {"RENDERSTATE_EMISSIVEMATERIALSOURCE", D3DRS_EMISSIVEMATERIALSOURCE, V::Unchanged},  // 53
    {"RENDERSTATE_VERTEXBLEND", D3DRS_VERTEXBLEND, V::Unchanged},                        // 54
    {"RENDERSTATE_CLIPPLANEENABLE", D3DRS_CLIPPLANEENABLE, V::Unchanged},                // 55
    {"RENDERSTATE_SOFTWAREVERTEXPROCESSING", D3DRS_SOFTWAREVERTEXPROCESSING, V::Unchanged},  // 56
    {"RENDERSTATE_POINTSIZE", D3DRS_POINTSIZE, V::Unchanged},                            // 57
    {"RENDERSTATE_POINTSIZE_MIN", D3DRS_POINTSIZE_MIN, V::Unchanged},                    // 58
    {"RENDERSTATE_POINTSPRITEENABLE", D3DRS_POINTSPRITEENABLE, V::Unchanged},            // 59
    {"RENDERSTATE_POINTSCALEENABLE", D3DRS_POINTSCALEENABLE, V::Unchanged},              // 60
    {"RENDERSTATE_POINTSCALE_A", D3DRS_POINTSCALE_A, V::Unchanged},                      // 61
    {"RENDERSTATE_POINTSCALE_B", D3DRS_POINTSCALE_B, V::Unchanged},                      // 62
    {"RENDERSTATE_POINTSCALE_C", D3DRS_POINTSCALE_C, V::Unchanged},                      // 63
    {"RENDERSTATE_MULTISAMPLEANTIALIAS", D3DRS_MULTISAMPLEANTIALIAS, V::Unchanged},      // 64
    {"RENDERSTATE_MULTISAMPLEMASK", D3DRS_MULTISAMPLEMASK, V::Unchanged},                // 65
    {"RENDERSTATE_PATCHEDGESTYLE", D3DRS_PATCHEDGESTYLE, V::Unchanged},                  // 66
    {"RENDERSTATE_PATCHSEGMENTS", D3DRS_PATCHSEGMENTS, V::Unchanged},                    // 67
    {"RENDERSTATE_DEBUGMONITORTOKEN", D3DRS_DEBUGMONITORTOKEN, V::Unchanged},            // 68
    {"RENDERSTATE_POINTSIZE_MAX", D3DRS_POINTSIZE_MAX, V::Unchanged},                    // 69
    {"RENDERSTATE_INDEXEDVERTEXBLENDENABLE", D3DRS_INDEXEDVERTEXBLENDENABLE, V::Unchanged},  // 70
    {"RENDERSTATE_COLORWRITEENABLE", D3DRS_COLORWRITEENABLE, V::Unchanged},              // 71
    {"RENDERSTATE_TWEENFACTOR", D3DRS_TWEENFACTOR, V::Unchanged},                        // 72
    {"RENDERSTATE_BLENDOP", D3DRS_BLENDOP, V::Blend},                                    // 73
    {"RENDERSTATE_POSITIONORDER", D3DRS_POSITIONORDER, V::Unchanged},                    // 74
    {"RENDERSTATE_NORMALORDER", D3DRS_NORMALORDER, V::Unchanged},                        // 75
};
static_assert(sizeof kRenderStates / sizeof kRenderStates[0] == kRenderStateCount,
              "one row per engine render state");

constexpr StateRow kStageStates[] = {
    {"TEXTURESTATE_COLOROP", D3DTSS_COLOROP, V::Operation},                              // 0
    {"TEXTURESTATE_ALPHAOP", D3DTSS_ALPHAOP, V::Operation},                              // 1
    {"TEXTURESTATE_COLORARG1", D3DTSS_COLORARG1, V::Argument},                           // 2
    {"TEXTURESTATE_COLORARG2", D3DTSS_COLORARG2, V::Argument},                           // 3
    {"TEXTURESTATE_ALPHAARG1", D3DTSS_ALPHAARG1, V::Argument},                           // 4
    {"TEXTURESTATE_ALPHAARG2", D3DTSS_ALPHAARG2, V::Argument},                           // 5
    {"TEXTURESTATE_BUMPENVMAT00", D3DTSS_BUMPENVMAT00, V::Unchanged},                    // 6
    {"TEXTURESTATE_BUMPENVMAT01", D3DTSS_BUMPENVMAT01, V::Unchanged},                    // 7
    {"TEXTURESTATE_BUMPENVMAT10", D3DTSS_BUMPENVMAT10, V::Unchanged},                    // 8
    {"TEXTURESTATE_BUMPENVMAT11", D3DTSS_BUMPENVMAT11, V::Unchanged},                    // 9
    {"TEXTURESTATE_MAGFILTER", D3DTSS_MAGFILTER, V::Unchanged},                          // 10
    {"TEXTURESTATE_MINFILTER", D3DTSS_MINFILTER, V::Unchanged},                          // 11
    {"TEXTURESTATE_MIPFILTER", D3DTSS_MIPFILTER, V::Unchanged},                          // 12
    {"TEXTURESTATE_TEXCOORDINDEX", D3DTSS_TEXCOORDINDEX, V::Unchanged},                  // 13
    {"TEXTURESTATE_ADDRESSU", D3DTSS_ADDRESSU, V::Addressing},                           // 14
    {"TEXTURESTATE_ADDRESSV", D3DTSS_ADDRESSV, V::Addressing},                           // 15
    {"TEXTURESTATE_ADDRESSW", D3DTSS_ADDRESSW, V::Addressing},                           // 16
    {"TEXTURESTATE_BORDERCOLOR", D3DTSS_BORDERCOLOR, V::Unchanged},                      // 17
    {"TEXTURESTATE_MIPMAPLODBIAS", D3DTSS_MIPMAPLODBIAS, V::Unchanged},                  // 18
    {"TEXTURESTATE_MAXMIPLEVEL", D3DTSS_MAXMIPLEVEL, V::Unchanged},                      // 19
    {"TEXTURESTATE_MAXANISOTROPY", D3DTSS_MAXANISOTROPY, V::Unchanged},                  // 20
    {"TEXTURESTATE_BUMPENVLSCALE", D3DTSS_BUMPENVLSCALE, V::Unchanged},                  // 21
    {"TEXTURESTATE_BUMPENVLOFFSET", D3DTSS_BUMPENVLOFFSET, V::Unchanged},                // 22
    {"TEXTURESTATE_TEXTURETRANSFORMFLAGS", D3DTSS_TEXTURETRANSFORMFLAGS, V::Unchanged},  // 23
    {"TEXTURESTATE_COLORARG0", D3DTSS_COLORARG0, V::Argument},                           // 24
    {"TEXTURESTATE_ALPHAARG0", D3DTSS_ALPHAARG0, V::Argument},                           // 25
    {"TEXTURESTATE_RESULTARG", D3DTSS_RESULTARG, V::Argument},                           // 26
};
static_assert(sizeof kStageStates / sizeof kStageStates[0] == kStageStateCount,
              "one row per engine texture-stage state");

// ---- Value tables: engine value -> Direct3D value --------------------------

struct ValueMap {
    const DWORD* values;
    unsigned count;
    DWORD fallback;  // every value the table does not list
};

constexpr DWORD kFill[] = {
    D3DFILL_POINT,      // 0
    D3DFILL_WIREFRAME,  // 1
    D3DFILL_SOLID,      // 2
};
static_assert(sizeof kFill / sizeof kFill[0] == 3, "fill modes point, wireframe, solid");

constexpr DWORD kShade[] = {
    D3DSHADE_FLAT,     // 0
    D3DSHADE_GOURAUD,  // 1
    D3DSHADE_PHONG,    // 2
};
static_assert(sizeof kShade / sizeof kShade[0] == 3, "shade modes flat, Gouraud, Phong");

constexpr DWORD kCull[] = {
    D3DCULL_NONE,  // 0
    D3DCULL_CW,    // 1
    D3DCULL_CCW,   // 2
};
static_assert(sizeof kCull / sizeof kCull[0] == 3, "cull modes none, clockwise, counter-clockwise");

// The engine puts greater-or-equal before not-equal; Direct3D the reverse.
constexpr DWORD kCompare[] = {
    D3DCMP_NEVER,         // 0 never
    D3DCMP_LESS,          // 1 less
    D3DCMP_EQUAL,         // 2 equal
    D3DCMP_LESSEQUAL,     // 3 less or equal
    D3DCMP_GREATER,       // 4 greater
    D3DCMP_GREATEREQUAL,  // 5 greater or equal
    D3DCMP_NOTEQUAL,      // 6 not equal
    D3DCMP_ALWAYS,        // 7 always
};
static_assert(sizeof kCompare / sizeof kCompare[0] == 8, "eight compare functions");

// Also drives the alpha-test comparison and the blend operation: n -> n + 1.
constexpr DWORD kBlend[] = {
    D3DBLEND_ZERO,             // 0
    D3DBLEND_ONE,              // 1
    D3DBLEND_SRCCOLOR,         // 2
    D3DBLEND_INVSRCCOLOR,      // 3
    D3DBLEND_SRCALPHA,         // 4
    D3DBLEND_INVSRCALPHA,      // 5
    D3DBLEND_DESTALPHA,        // 6
    D3DBLEND_INVDESTALPHA,     // 7
    D3DBLEND_DESTCOLOR,        // 8
    D3DBLEND_INVDESTCOLOR,     // 9
    D3DBLEND_SRCALPHASAT,      // 10
    D3DBLEND_BOTHSRCALPHA,     // 11
    D3DBLEND_BOTHINVSRCALPHA,  // 12
};
static_assert(sizeof kBlend / sizeof kBlend[0] == 13, "thirteen blend factors");

constexpr DWORD kOperation[] = {
    D3DTOP_DISABLE,                    // 0
    D3DTOP_SELECTARG1,                 // 1
    D3DTOP_SELECTARG2,                 // 2
    D3DTOP_MODULATE,                   // 3
    D3DTOP_MODULATE2X,                 // 4
    D3DTOP_MODULATE4X,                 // 5
    D3DTOP_ADD,                        // 6
    D3DTOP_ADDSIGNED,                  // 7
    D3DTOP_ADDSIGNED2X,                // 8
    D3DTOP_SUBTRACT,                   // 9
    D3DTOP_ADDSMOOTH,                  // 10
    D3DTOP_BLENDDIFFUSEALPHA,          // 11
    D3DTOP_BLENDTEXTUREALPHA,          // 12
    D3DTOP_BLENDFACTORALPHA,           // 13
    D3DTOP_BLENDTEXTUREALPHAPM,        // 14
    D3DTOP_BLENDCURRENTALPHA,          // 15
    D3DTOP_PREMODULATE,                // 16
    D3DTOP_MODULATEALPHA_ADDCOLOR,     // 17
    D3DTOP_MODULATECOLOR_ADDALPHA,     // 18
    D3DTOP_MODULATEINVALPHA_ADDCOLOR,  // 19
    D3DTOP_MODULATEINVCOLOR_ADDALPHA,  // 20
    D3DTOP_BUMPENVMAP,                 // 21
    D3DTOP_BUMPENVMAPLUMINANCE,        // 22
    D3DTOP_DOTPRODUCT3,                // 23
    D3DTOP_MULTIPLYADD,                // 24
    D3DTOP_LERP,                       // 25
};
static_assert(sizeof kOperation / sizeof kOperation[0] == 26, "twenty-six stage operations");

// One selector or one modifier; the engine cannot combine them.
constexpr DWORD kArgument[] = {
    D3DTA_CURRENT,         // 0 current
    D3DTA_DIFFUSE,         // 1 diffuse
    D3DTA_SELECTMASK,      // 2 selection mask
    D3DTA_SPECULAR,        // 3 specular
    D3DTA_TEMP,            // 4 temporary value
    D3DTA_TEXTURE,         // 5 texture
    D3DTA_TFACTOR,         // 6 texture factor
    D3DTA_ALPHAREPLICATE,  // 7 alpha replicate
    D3DTA_COMPLEMENT,      // 8 complement
};
static_assert(sizeof kArgument / sizeof kArgument[0] == 9, "nine stage arguments");

constexpr DWORD kAddressing[] = {
    D3DTADDRESS_WRAP,        // 0
    D3DTADDRESS_MIRROR,      // 1
    D3DTADDRESS_CLAMP,       // 2
    D3DTADDRESS_BORDER,      // 3
    D3DTADDRESS_MIRRORONCE,  // 4
};
static_assert(sizeof kAddressing / sizeof kAddressing[0] == 5, "five addressing modes");

template <size_t N>
constexpr ValueMap Map(const DWORD (&values)[N], DWORD fallback) {
    return ValueMap{values, static_cast<unsigned>(N), fallback};
}

// Indexed by ValueTable; Unchanged has no map.
constexpr ValueMap kValueMaps[] = {
    {nullptr, 0, 0},                    // Unchanged
    Map(kFill, D3DFILL_SOLID),          // Fill
    Map(kShade, D3DSHADE_GOURAUD),      // Shade
    Map(kCull, D3DCULL_CCW),            // Cull
    Map(kCompare, D3DCMP_LESSEQUAL),    // Compare
    Map(kBlend, D3DBLEND_ZERO),         // Blend
    Map(kOperation, D3DTOP_DISABLE),    // Operation
    Map(kArgument, D3DTA_CURRENT),      // Argument
    // An unrecognised addressing keyword arrives as -1; it wraps, as
    // Direct3D's own default does.
    Map(kAddressing, D3DTADDRESS_WRAP),  // Addressing
};
static_assert(sizeof kValueMaps / sizeof kValueMaps[0] ==
                  static_cast<size_t>(ValueTable::Addressing) + 1,
              "one map per value table");

}  // namespace

const StateRow& RenderStateRow(unsigned engineState) {
    return kRenderStates[engineState < kRenderStateCount ? engineState : 0];
}

const StateRow& StageStateRow(unsigned engineState) {
    return kStageStates[engineState < kStageStateCount ? engineState : 0];
}

DWORD TranslateValue(ValueTable table, unsigned engineValue) {
    if (table == ValueTable::Unchanged) return engineValue;
    const ValueMap& map = kValueMaps[static_cast<size_t>(table)];
    return engineValue < map.count ? map.values[engineValue] : map.fallback;
}

}  // namespace state
