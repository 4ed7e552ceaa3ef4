// What each value of the engine's value numberings (host/EngineNumbering.h)
// stands for: the Direct3D value the device receives for it and, where
// material description files name it, its keyword. One table per numbering,
// with the row that stands for every value outside it; the state
// translation, the material keywords, the draw calls and the lights all read
// these tables.
#pragma once

#include <d3d8.h>

#include <cstddef>
#include <cstdint>

#include "host/EngineNumbering.h"

namespace state {

struct ValueRow {
    int32_t engine;
    const char* keyword;  // null where material files have no word for it
    DWORD d3d;
};

struct ValueNumbering {
    const ValueRow* rows;
    unsigned count;
    // The row of every value outside the table: the device receives its
    // Direct3D value, and its keyword is written for such a value, so that
    // the written file reads back to the same device state.
    unsigned fallback;

    // Unsigned, so that the -1 of an unknown keyword falls outside too.
    constexpr const ValueRow& Row(unsigned engineValue) const {
        return rows[engineValue < count ? engineValue : fallback];
    }
};

template <size_t N>
constexpr ValueNumbering Numbering(const ValueRow (&rows)[N], unsigned fallback) {
    return ValueNumbering{rows, static_cast<unsigned>(N), fallback};
}

// A numbering has one row per value of its enumeration, in engine order, a
// fallback among them, and keywords in all rows or in none.
constexpr bool Matches(const ValueNumbering& numbering, int32_t valueCount, bool keywords) {
    if (numbering.count != static_cast<unsigned>(valueCount) || numbering.fallback >= numbering.count)
        return false;
    for (unsigned value = 0; value < numbering.count; ++value) {
        const ValueRow& row = numbering.rows[value];
        if (row.engine != static_cast<int32_t>(value) || (row.keyword != nullptr) != keywords)
            return false;
    }
    return true;
}

// ---- Render-state values ------------------------------------------------------

inline constexpr ValueRow kFillModeRows[] = {
    {FILL_POINT, nullptr, D3DFILL_POINT},
    {FILL_WIREFRAME, nullptr, D3DFILL_WIREFRAME},
    {FILL_SOLID, nullptr, D3DFILL_SOLID},
};
inline constexpr ValueNumbering kFillModes = Numbering(kFillModeRows, FILL_SOLID);
static_assert(Matches(kFillModes, FILL_COUNT, false), "one row per fill mode");

inline constexpr ValueRow kShadeModeRows[] = {
    {SHADE_FLAT, nullptr, D3DSHADE_FLAT},
    {SHADE_GOURAUD, nullptr, D3DSHADE_GOURAUD},
    {SHADE_PHONG, nullptr, D3DSHADE_PHONG},
};
inline constexpr ValueNumbering kShadeModes = Numbering(kShadeModeRows, SHADE_GOURAUD);
static_assert(Matches(kShadeModes, SHADE_COUNT, false), "one row per shade mode");

inline constexpr ValueRow kCullModeRows[] = {
    {CULL_NONE, nullptr, D3DCULL_NONE},
    {CULL_CW, nullptr, D3DCULL_CW},
    {CULL_CCW, nullptr, D3DCULL_CCW},
};
inline constexpr ValueNumbering kCullModes = Numbering(kCullModeRows, CULL_CCW);
static_assert(Matches(kCullModes, CULL_COUNT, false), "one row per cull mode");

// The engine puts greater-or-equal before not-equal; Direct3D the reverse.
inline constexpr ValueRow kCompareFuncRows[] = {
    {COMPARE_NEVER, "never", D3DCMP_NEVER},
    {COMPARE_LESS, "less", D3DCMP_LESS},
    {COMPARE_EQUAL, "equal", D3DCMP_EQUAL},
    {COMPARE_LESSEQUAL, "less_equal", D3DCMP_LESSEQUAL},
    {COMPARE_GREATER, "greater", D3DCMP_GREATER},
    {COMPARE_GREATEREQUAL, "greater_equal", D3DCMP_GREATEREQUAL},
    {COMPARE_NOTEQUAL, "not_equal", D3DCMP_NOTEQUAL},
    {COMPARE_ALWAYS, "always", D3DCMP_ALWAYS},
};
inline constexpr ValueNumbering kCompareFuncs = Numbering(kCompareFuncRows, COMPARE_LESSEQUAL);
static_assert(Matches(kCompareFuncs, COMPARE_COUNT, true), "one row per compare function");

// Engine value n stands for Direct3D's n + 1; the same rule turns the
// alpha-test comparison and the blend operation into Direct3D's.
inline constexpr ValueRow kBlendFactorRows[] = {
    {BLEND_ZERO, "zero", D3DBLEND_ZERO},
    {BLEND_ONE, "one", D3DBLEND_ONE},
    {BLEND_SRCCOLOR, "source_color", D3DBLEND_SRCCOLOR},
    {BLEND_INVSRCCOLOR, "inverse_source_color", D3DBLEND_INVSRCCOLOR},
    {BLEND_SRCALPHA, "source_alpha", D3DBLEND_SRCALPHA},
    {BLEND_INVSRCALPHA, "inverse_source_alpha", D3DBLEND_INVSRCALPHA},
    {BLEND_DESTALPHA, "dest_alpha", D3DBLEND_DESTALPHA},
    {BLEND_INVDESTALPHA, "inverse_dest_alpha", D3DBLEND_INVDESTALPHA},
    {BLEND_DESTCOLOR, "dest_color", D3DBLEND_DESTCOLOR},
    {BLEND_INVDESTCOLOR, "inverse_dest_color", D3DBLEND_INVDESTCOLOR},
    {BLEND_SRCALPHASAT, "source_alpha_saturation", D3DBLEND_SRCALPHASAT},
    {BLEND_BOTHSRCALPHA, "both_source_alpha", D3DBLEND_BOTHSRCALPHA},
    {BLEND_BOTHINVSRCALPHA, "both_inverse_alpha", D3DBLEND_BOTHINVSRCALPHA},
};
inline constexpr ValueNumbering kBlendFactors = Numbering(kBlendFactorRows, BLEND_ZERO);
static_assert(Matches(kBlendFactors, BLEND_COUNT, true), "one row per blend factor");

// The alpha-test comparison travels through the blend factors' table.
constexpr bool BlendFuncsComeOutAs(const DWORD (&comparisons)[BLENDFUNC_COUNT]) {
    for (unsigned value = 0; value < BLENDFUNC_COUNT; ++value)
        if (kBlendFactors.Row(value).d3d != comparisons[value]) return false;
    return true;
}
static_assert(BlendFuncsComeOutAs({D3DCMP_NEVER, D3DCMP_LESS, D3DCMP_EQUAL, D3DCMP_LESSEQUAL,
                                   D3DCMP_GREATER, D3DCMP_NOTEQUAL, D3DCMP_GREATEREQUAL,
                                   D3DCMP_ALWAYS}),
              "BlendFunc values are Direct3D's comparisons in Direct3D's order");

// ---- Texture-stage values -----------------------------------------------------

// Engine value n stands for Direct3D's n + 1. The keywords follow Direct3D's
// names; "bumpenbmapluminance" is the files' own spelling.
inline constexpr ValueRow kTextureOpRows[] = {
    {TEXTUREOP_DISABLE, "disable", D3DTOP_DISABLE},
    {TEXTUREOP_SELECTARG1, "selectarg1", D3DTOP_SELECTARG1},
    {TEXTUREOP_SELECTARG2, "selectarg2", D3DTOP_SELECTARG2},
    {TEXTUREOP_MODULATE, "modulate", D3DTOP_MODULATE},
    {TEXTUREOP_MODULATE2X, "modulate2x", D3DTOP_MODULATE2X},
    {TEXTUREOP_MODULATE4X, "modulate4x", D3DTOP_MODULATE4X},
    {TEXTUREOP_ADD, "add", D3DTOP_ADD},
    {TEXTUREOP_ADDSIGNED, "addsigned", D3DTOP_ADDSIGNED},
    {TEXTUREOP_ADDSIGNED2X, "addsigned2x", D3DTOP_ADDSIGNED2X},
    {TEXTUREOP_SUBTRACT, "subtract", D3DTOP_SUBTRACT},
    {TEXTUREOP_ADDSMOOTH, "addsmooth", D3DTOP_ADDSMOOTH},
    {TEXTUREOP_BLENDDIFFUSEALPHA, "blenddiffusealpha", D3DTOP_BLENDDIFFUSEALPHA},
    {TEXTUREOP_BLENDTEXTUREALPHA, "blendtexturealpha", D3DTOP_BLENDTEXTUREALPHA},
    {TEXTUREOP_BLENDFACTORALPHA, "blendfactoralpha", D3DTOP_BLENDFACTORALPHA},
    {TEXTUREOP_BLENDTEXTUREALPHAPM, "blendtexturealphapm", D3DTOP_BLENDTEXTUREALPHAPM},
    {TEXTUREOP_BLENDCURRENTALPHA, "blendcurrentalpha", D3DTOP_BLENDCURRENTALPHA},
    {TEXTUREOP_PREMODULATE, "premodulate", D3DTOP_PREMODULATE},
    {TEXTUREOP_MODULATEALPHA_ADDCOLOR, "modulatealpha_addcolor", D3DTOP_MODULATEALPHA_ADDCOLOR},
    {TEXTUREOP_MODULATECOLOR_ADDALPHA, "modulatecolor_addalpha", D3DTOP_MODULATECOLOR_ADDALPHA},
    {TEXTUREOP_MODULATEINVALPHA_ADDCOLOR, "modulateinvalpha_addcolor",
     D3DTOP_MODULATEINVALPHA_ADDCOLOR},
    {TEXTUREOP_MODULATEINVCOLOR_ADDALPHA, "modulateinvcolor_addalpha",
     D3DTOP_MODULATEINVCOLOR_ADDALPHA},
    {TEXTUREOP_BUMPENVMAP, "bumpenvmap", D3DTOP_BUMPENVMAP},
    {TEXTUREOP_BUMPENVMAPLUMINANCE, "bumpenbmapluminance", D3DTOP_BUMPENVMAPLUMINANCE},
    {TEXTUREOP_DOTPRODUCT3, "dotproduct3", D3DTOP_DOTPRODUCT3},
    {TEXTUREOP_MULTIPLYADD, "multiplyadd", D3DTOP_MULTIPLYADD},
    {TEXTUREOP_LERP, "lerp", D3DTOP_LERP},
};
inline constexpr ValueNumbering kTextureOps = Numbering(kTextureOpRows, TEXTUREOP_DISABLE);
static_assert(Matches(kTextureOps, TEXTUREOP_COUNT, true), "one row per texture operation");

// The device receives the flags alone: the modifiers apply to the diffuse
// colour (D3DTA_DIFFUSE is 0).
inline constexpr ValueRow kTextureArgRows[] = {
    {TEXTUREARG_CURRENT, "current", D3DTA_CURRENT},
    {TEXTUREARG_DIFFUSE, "diffuse", D3DTA_DIFFUSE},
    {TEXTUREARG_SELECTMASK, "selectmask", D3DTA_SELECTMASK},
    {TEXTUREARG_SPECULAR, "specular", D3DTA_SPECULAR},
    {TEXTUREARG_TEMP, "temp", D3DTA_TEMP},
    {TEXTUREARG_TEXTURE, "texture", D3DTA_TEXTURE},
    {TEXTUREARG_TFACTOR, "tfactor", D3DTA_TFACTOR},
    {TEXTUREARG_ALPHAREPLICATE, "alphareplicate", D3DTA_ALPHAREPLICATE},
    {TEXTUREARG_COMPLEMENT, "complement", D3DTA_COMPLEMENT},
};
inline constexpr ValueNumbering kTextureArgs = Numbering(kTextureArgRows, TEXTUREARG_CURRENT);
static_assert(Matches(kTextureArgs, TEXTUREARG_COUNT, true), "one row per texture argument");

// An unknown keyword's -1 wraps, as Direct3D's own default does.
inline constexpr ValueRow kTextureAddressRows[] = {
    {ADDRESS_WRAP, "wrap", D3DTADDRESS_WRAP},
    {ADDRESS_MIRROR, "mirror", D3DTADDRESS_MIRROR},
    {ADDRESS_CLAMP, "clamp", D3DTADDRESS_CLAMP},
    {ADDRESS_BORDER, "border", D3DTADDRESS_BORDER},
    {ADDRESS_MIRRORONCE, "mirroronce", D3DTADDRESS_MIRRORONCE},
};
inline constexpr ValueNumbering kTextureAddresses = Numbering(kTextureAddressRows, ADDRESS_WRAP);
static_assert(Matches(kTextureAddresses, ADDRESS_COUNT, true), "one row per addressing mode");

// ---- Draws and lights -----------------------------------------------------------

inline constexpr ValueRow kPrimitiveTypeRows[] = {
    {PRIMITIVE_POINTLIST, nullptr, D3DPT_POINTLIST},
    {PRIMITIVE_LINELIST, nullptr, D3DPT_LINELIST},
    {PRIMITIVE_LINESTRIP, nullptr, D3DPT_LINESTRIP},
    {PRIMITIVE_TRIANGLELIST, nullptr, D3DPT_TRIANGLELIST},
    {PRIMITIVE_TRIANGLESTRIP, nullptr, D3DPT_TRIANGLESTRIP},
    {PRIMITIVE_TRIANGLEFAN, nullptr, D3DPT_TRIANGLEFAN},
};
inline constexpr ValueNumbering kPrimitiveTypes =
    Numbering(kPrimitiveTypeRows, PRIMITIVE_POINTLIST);
static_assert(Matches(kPrimitiveTypes, PRIMITIVE_COUNT, false), "one row per primitive type");

inline constexpr ValueRow kLightTypeRows[] = {
    {LIGHT_POINT, nullptr, D3DLIGHT_POINT},
    {LIGHT_SPOT, nullptr, D3DLIGHT_SPOT},
    {LIGHT_DIRECTIONAL, nullptr, D3DLIGHT_DIRECTIONAL},
};
inline constexpr ValueNumbering kLightTypes = Numbering(kLightTypeRows, LIGHT_POINT);
static_assert(Matches(kLightTypes, LIGHT_COUNT, false), "one row per light type");

}  // namespace state
