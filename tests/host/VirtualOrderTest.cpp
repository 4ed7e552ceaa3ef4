// The host calls the renderer's, the textures' and the fonts' operations by
// their position in the virtual table. These tests pin every operation to its
// slot, so that reordering a declaration fails here rather than in the host.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/Font.h"
#include "host/Kernel.h"
#include "host/RenderDevice.h"
#include "host/Texture.h"

namespace {

// A pointer to a virtual member function holds 1 + the byte offset of its
// entry in the virtual table (the Itanium C++ ABI that g++ follows).
template <typename MemberFunction>
long Slot(MemberFunction function) {
    static_assert(sizeof function == 2 * sizeof(uintptr_t), "a pointer and an adjustment");
    uintptr_t raw[2];
    std::memcpy(raw, &function, sizeof raw);
    if ((raw[0] & 1) == 0) return -1;  // not virtual
    return static_cast<long>((raw[0] - 1) / sizeof(void*));
}

// Entries in the host's slot order from slot 1 (the destructor is slot 0).
// Under this ABI the virtual destructor fills two entries, so the host's
// slot n is entry n + 1 (VirtualTableEntry).
void ExpectHostOrder(const std::vector<long>& entries, size_t count) {
    ASSERT_EQ(entries.size(), count);
    for (unsigned slot = 1; slot <= entries.size(); ++slot)
        EXPECT_EQ(entries[slot - 1], static_cast<long>(VirtualTableEntry(slot))) << "slot " << slot;
}

}  // namespace

#define R(name) Slot(&RenderDevice::name)
TEST(VirtualOrder, RenderDeviceOperationsKeepTheirSlots) {
    ExpectHostOrder(
        {/*  1 */ R(Shutdown), R(GetAdapterCount), R(GetAdapterInfo), R(GetDisplayModeCount), R(GetDisplayModeInfo),
         /*  6 */ R(ValidateDisplayMode),
         Slot<bool (RenderDevice::*)(unsigned, unsigned, unsigned, unsigned, unsigned, bool)>(&RenderDevice::SetDisplayMode),
         Slot<bool (RenderDevice::*)(const DisplayMode*)>(&RenderDevice::SetDisplayMode),
         /*  9 */ R(CloseDisplay), R(GetDisplayMode), R(ResetDevice), R(ToD3DColor), R(FromD3DColor), R(SetWorldMatrix),
         /* 15 */ R(GetWorldMatrix), R(SetViewMatrix), R(GetViewMatrix), R(SetProjectionMatrix), R(GetProjectionMatrix),
         /* 20 */ R(BuildPerspectiveMatrix), R(BuildOrthoMatrix), R(BeginScene), R(EndScene), R(Clear), R(SetClearColor),
         /* 26 */ R(SetClearDepth), R(SetClearStencil), R(SetViewport), R(SaveScreenShot), R(SetDefaultStates),
         /* 31 */ R(SetRenderState), R(SetShadeMode), R(SetFillMode), R(SetCullMode), R(SetZEnable), R(GetZEnable),
         /* 37 */ R(SetZFunc), R(SetAlphaBlendEnable), R(GetAlphaBlendEnable), R(SetSrcBlend), R(SetDestBlend),
         /* 42 */ R(SetLighting), R(SetAmbient), R(SetLight), R(EnableLight), R(LoadMaterial), R(CreateMaterial),
         /* 48 */ R(ReleaseMaterial), R(SetMaterial), R(GetMaterial), R(SetTextureBitDepth), R(GetTextureBitDepth),
         /* 53 */ R(SetTextureFilter), R(GetTextureFilter), R(SetOptionA), R(GetOptionA), R(SetOptionB), R(GetOptionB),
         /* 59 */ R(SetOptionC), R(GetOptionC), R(GetTriangleCount), R(CreateTexture), R(CreateTextureFromFile),
         /* 64 */ R(CreateTextureFromFileSequence), R(ReleaseTexture), R(SetTexture), R(SetTextureStageState),
         /* 68 */ R(DisableTexturing), R(RenderVertexBuffer), R(RenderVertexBufferEx), R(RenderVertices),
         /* 72 */ R(RenderScreenQuad), R(CreateVertexBuffer), R(DestroyVertexBuffer), R(SetVertexBuffer),
         /* 76 */ R(CreateIndexBuffer), R(DestroyIndexBuffer), R(SetIndexBuffer), R(CreateTextFont), R(DestroyTextFont),
         /* 81 */ R(CreateScreenQuad), R(DestroyScreenQuad), R(PrintText), R(DumpRenderStates), R(DumpTextureStageStates)}, 85);
}
#undef R

#define T(name) Slot(&Texture::name)
TEST(VirtualOrder, TextureAndFontOperationsKeepTheirSlots) {
    ExpectHostOrder(
        {/*  1 */ Slot<int (Texture::*)(unsigned, int, int, int, int, bool)>(&Texture::UpdateRect),
         Slot<int (Texture::*)(int, int, int, int, bool)>(&Texture::UpdateRectAllFrames),
         Slot<int (Texture::*)(unsigned, bool)>(&Texture::UpdateFrame), Slot<int (Texture::*)(bool)>(&Texture::UpdateAllFrames),
         /*  5 */ Slot<int (Texture::*)(unsigned, int, int, int, int)>(&Texture::UpdateRect),
         Slot<int (Texture::*)(int, int, int, int)>(&Texture::UpdateRectAllFrames),
         Slot<int (Texture::*)(unsigned)>(&Texture::UpdateFrame), Slot<int (Texture::*)()>(&Texture::UpdateAllFrames),
         /*  9 */ T(GetFrameData), T(GetData), T(GetCurrentFrame), T(IsPlaying), T(SetPlaying), T(SetFrame), T(SetLooping),
         /* 16 */ T(IsLooping), T(GetWidth), T(GetHeight), T(GetPitch), T(GetBytesPerPixel), T(GetFormat), T(GetFrameCount),
         /* 23 */ T(HasMipmaps), T(GetFrameDurations), T(GetRowCount), T(GetRowLength), T(GetBlockWidth), T(GetBlockHeight),
         /* 29 */ T(GetFileName), T(AddRef), T(Release), T(GetRefCount), T(SetPixel), T(GetPixel)}, 34);
    ExpectHostOrder({Slot(&Font::Print), Slot(&Font::GetTextWidth), Slot(&Font::GetTextHeight), Slot(&Font::GetAverageCharWidth)},
                    4);
}
#undef T

// Plug-ins read the window and the file system straight from the kernel
// record, as its fifth and sixth pointer-sized fields.
TEST(KernelRecord, WindowAndFileSystemAreTheFifthAndSixthFields) {
    EXPECT_EQ(offsetof(Kernel, m_pWindow), 4 * sizeof(void*));
    EXPECT_EQ(offsetof(Kernel, m_pFileSystem), 5 * sizeof(void*));
}
