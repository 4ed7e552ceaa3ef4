#include "DefaultStates.h"

#include <algorithm>
#include <iterator>

namespace orvd3d8 {
namespace {

struct StateValue {
    DWORD state;
    DWORD value;
};

constexpr DWORD Float(float value) { return __builtin_bit_cast(DWORD, value); }

// clang-format off
// D3DRS_ZENABLE and D3DRS_SOFTWAREVERTEXPROCESSING depend on how the device
// was created; FillRenderStates sets them after the table.
constexpr StateValue kRenderDefaults[] = {
    {D3DRS_ZENABLE,                  D3DZB_FALSE},
    {D3DRS_FILLMODE,                 D3DFILL_SOLID},
    {D3DRS_SHADEMODE,                D3DSHADE_GOURAUD},
    {D3DRS_LINEPATTERN,              0},
    {D3DRS_ZWRITEENABLE,             TRUE},
    {D3DRS_ALPHATESTENABLE,          FALSE},
    {D3DRS_LASTPIXEL,                TRUE},
    {D3DRS_SRCBLEND,                 D3DBLEND_ONE},
    {D3DRS_DESTBLEND,                D3DBLEND_ZERO},
    {D3DRS_CULLMODE,                 D3DCULL_CCW},
    {D3DRS_ZFUNC,                    D3DCMP_LESSEQUAL},
    {D3DRS_ALPHAREF,                 0},
    {D3DRS_ALPHAFUNC,                D3DCMP_ALWAYS},
    {D3DRS_DITHERENABLE,             FALSE},
    {D3DRS_ALPHABLENDENABLE,         FALSE},
    {D3DRS_FOGENABLE,                FALSE},
    {D3DRS_SPECULARENABLE,           FALSE},
    {D3DRS_ZVISIBLE,                 0},
    {D3DRS_FOGCOLOR,                 0},
    {D3DRS_FOGTABLEMODE,             D3DFOG_NONE},
    {D3DRS_FOGSTART,                 Float(0.0f)},
    {D3DRS_FOGEND,                   Float(1.0f)},
    {D3DRS_FOGDENSITY,               Float(1.0f)},
    {D3DRS_EDGEANTIALIAS,            FALSE},
    {D3DRS_ZBIAS,                    0},
    {D3DRS_RANGEFOGENABLE,           FALSE},
    {D3DRS_STENCILENABLE,            FALSE},
    {D3DRS_STENCILFAIL,              D3DSTENCILOP_KEEP},
    {D3DRS_STENCILZFAIL,             D3DSTENCILOP_KEEP},
    {D3DRS_STENCILPASS,              D3DSTENCILOP_KEEP},
    {D3DRS_STENCILFUNC,              D3DCMP_ALWAYS},
    {D3DRS_STENCILREF,               0},
    {D3DRS_STENCILMASK,              0xFFFFFFFF},
    {D3DRS_STENCILWRITEMASK,         0xFFFFFFFF},
    {D3DRS_TEXTUREFACTOR,            0xFFFFFFFF},
    {D3DRS_WRAP0,                    0},
    {D3DRS_WRAP1,                    0},
    {D3DRS_WRAP2,                    0},
    {D3DRS_WRAP3,                    0},
    {D3DRS_WRAP4,                    0},
    {D3DRS_WRAP5,                    0},
    {D3DRS_WRAP6,                    0},
    {D3DRS_WRAP7,                    0},
    {D3DRS_CLIPPING,                 TRUE},
    {D3DRS_LIGHTING,                 TRUE},
    {D3DRS_AMBIENT,                  0},
    {D3DRS_FOGVERTEXMODE,            D3DFOG_NONE},
    {D3DRS_COLORVERTEX,              TRUE},
    {D3DRS_LOCALVIEWER,              TRUE},
    {D3DRS_NORMALIZENORMALS,         FALSE},
    {D3DRS_DIFFUSEMATERIALSOURCE,    D3DMCS_COLOR1},
    {D3DRS_SPECULARMATERIALSOURCE,   D3DMCS_COLOR2},
    {D3DRS_AMBIENTMATERIALSOURCE,    D3DMCS_MATERIAL},
    {D3DRS_EMISSIVEMATERIALSOURCE,   D3DMCS_MATERIAL},
    {D3DRS_VERTEXBLEND,              D3DVBF_DISABLE},
    {D3DRS_CLIPPLANEENABLE,          0},
    {D3DRS_SOFTWAREVERTEXPROCESSING, FALSE},
    {D3DRS_POINTSIZE,                Float(1.0f)},
    {D3DRS_POINTSIZE_MIN,            Float(0.0f)},
    {D3DRS_POINTSPRITEENABLE,        FALSE},
    {D3DRS_POINTSCALEENABLE,         FALSE},
    {D3DRS_POINTSCALE_A,             Float(1.0f)},
    {D3DRS_POINTSCALE_B,             Float(0.0f)},
    {D3DRS_POINTSCALE_C,             Float(0.0f)},
    {D3DRS_MULTISAMPLEANTIALIAS,     TRUE},
    {D3DRS_MULTISAMPLEMASK,          0xFFFFFFFF},
    {D3DRS_PATCHEDGESTYLE,           D3DPATCHEDGE_DISCRETE},
    {D3DRS_PATCHSEGMENTS,            Float(1.0f)},
    {D3DRS_DEBUGMONITORTOKEN,        D3DDMT_ENABLE},
    {D3DRS_POINTSIZE_MAX,            Float(DefaultStates::kMaxPointSize)},
    {D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE},
    {D3DRS_COLORWRITEENABLE,         0x0000000F},
    {D3DRS_TWEENFACTOR,              Float(0.0f)},
    {D3DRS_BLENDOP,                  D3DBLENDOP_ADD},
    {D3DRS_POSITIONORDER,            D3DORDER_CUBIC},
    {D3DRS_NORMALORDER,              D3DORDER_LINEAR},
};
static_assert(std::size(kRenderDefaults) == 76, "one row per Direct3D 8 render state");

// Stage 0 modulates the texture with the diffuse colour and takes the
// texture's alpha; every other stage starts disabled (FillStageStates).
constexpr StateValue kStageDefaults[] = {
    {D3DTSS_COLOROP,               D3DTOP_MODULATE},
    {D3DTSS_COLORARG1,             D3DTA_TEXTURE},
    {D3DTSS_COLORARG2,             D3DTA_CURRENT},
    {D3DTSS_ALPHAOP,               D3DTOP_SELECTARG1},
    {D3DTSS_ALPHAARG1,             D3DTA_TEXTURE},
    {D3DTSS_ALPHAARG2,             D3DTA_CURRENT},
    {D3DTSS_BUMPENVMAT00,          Float(0.0f)},
    {D3DTSS_BUMPENVMAT01,          Float(0.0f)},
    {D3DTSS_BUMPENVMAT10,          Float(0.0f)},
    {D3DTSS_BUMPENVMAT11,          Float(0.0f)},
    {D3DTSS_TEXCOORDINDEX,         0},
    {D3DTSS_ADDRESSU,              D3DTADDRESS_WRAP},
    {D3DTSS_ADDRESSV,              D3DTADDRESS_WRAP},
    {D3DTSS_BORDERCOLOR,           0},
    {D3DTSS_MAGFILTER,             D3DTEXF_POINT},
    {D3DTSS_MINFILTER,             D3DTEXF_POINT},
    {D3DTSS_MIPFILTER,             D3DTEXF_NONE},
    {D3DTSS_MIPMAPLODBIAS,         Float(0.0f)},
    {D3DTSS_MAXMIPLEVEL,           0},
    {D3DTSS_MAXANISOTROPY,         1},
    {D3DTSS_BUMPENVLSCALE,         Float(0.0f)},
    {D3DTSS_BUMPENVLOFFSET,        Float(0.0f)},
    {D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
    {D3DTSS_ADDRESSW,              D3DTADDRESS_WRAP},
    {D3DTSS_COLORARG0,             D3DTA_CURRENT},
    {D3DTSS_ALPHAARG0,             D3DTA_CURRENT},
    {D3DTSS_RESULTARG,             D3DTA_CURRENT},
};
// clang-format on
static_assert(std::size(kStageDefaults) == 27, "one row per Direct3D 8 texture-stage state");

template <size_t N>
bool Listed(const StateValue (&table)[N], DWORD state) {
    return std::any_of(std::begin(table), std::end(table),
                       [state](const StateValue& row) { return row.state == state; });
}

}  // namespace

bool DefaultStates::IsRenderState(DWORD state) { return Listed(kRenderDefaults, state); }

bool DefaultStates::IsStageState(DWORD type) { return Listed(kStageDefaults, type); }

void DefaultStates::FillRenderStates(DWORD* states, const D3DPRESENT_PARAMETERS& parameters,
                                     DWORD behavior) {
    std::fill(states, states + kRenderStateCount, 0u);
    for (const StateValue& row : kRenderDefaults) states[row.state] = row.value;
    states[D3DRS_ZENABLE] = parameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    states[D3DRS_SOFTWAREVERTEXPROCESSING] =
        (behavior & D3DCREATE_SOFTWARE_VERTEXPROCESSING) ? TRUE : FALSE;
}

void DefaultStates::FillStageStates(DWORD* states, DWORD stage) {
    std::fill(states, states + kStageStateCount, 0u);
    for (const StateValue& row : kStageDefaults) states[row.state] = row.value;
    states[D3DTSS_TEXCOORDINDEX] = stage;
    if (stage > 0) {
        states[D3DTSS_COLOROP] = D3DTOP_DISABLE;
        states[D3DTSS_ALPHAOP] = D3DTOP_DISABLE;
    }
}

}  // namespace orvd3d8
