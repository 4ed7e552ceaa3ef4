// The host calls the renderer's and the textures' operations by their
// position in the virtual table. These tests pin every operation to its slot,
// so that reordering a declaration fails here rather than in the host.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "host/Font.h"
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

struct Expected {
    long slot;  // the host's slot number: the destructor is slot 0
    long entry; // where the compiler put the operation
};

// Under this ABI the virtual destructor fills two entries, so the host's slot
// n (n >= 1) is entry n + 1.
void ExpectHostOrder(const std::vector<Expected>& operations, size_t count) {
    ASSERT_EQ(operations.size(), count);
    for (size_t i = 0; i < operations.size(); ++i) {
        EXPECT_EQ(operations[i].slot, static_cast<long>(i + 1)) << "table row " << i;
        EXPECT_EQ(operations[i].entry, operations[i].slot + 1) << "slot " << operations[i].slot;
    }
}

}  // namespace

TEST(VirtualOrder, RenderDeviceOperationsKeepTheirSlots) {
    const std::vector<Expected> operations = {
        {1, Slot(&RenderDevice::Shutdown)},
        {2, Slot(&RenderDevice::GetAdapterCount)},
        {3, Slot(&RenderDevice::GetAdapterInfo)},
        {4, Slot(&RenderDevice::GetDisplayModeCount)},
        {5, Slot(&RenderDevice::GetDisplayModeInfo)},
        {6, Slot(&RenderDevice::ValidateDisplayMode)},
        {7, Slot(static_cast<bool (RenderDevice::*)(unsigned, unsigned, unsigned, unsigned, unsigned, bool)>(&RenderDevice::SetDisplayMode))},
        {8, Slot(static_cast<bool (RenderDevice::*)(const DisplayMode*)>(&RenderDevice::SetDisplayMode))},
        {9, Slot(&RenderDevice::CloseDisplay)},
        {10, Slot(&RenderDevice::GetDisplayMode)},
        {11, Slot(&RenderDevice::ResetDevice)},
        {12, Slot(&RenderDevice::ToD3DColor)},
        {13, Slot(&RenderDevice::FromD3DColor)},
        {14, Slot(&RenderDevice::SetWorldMatrix)},
        {15, Slot(&RenderDevice::GetWorldMatrix)},
        {16, Slot(&RenderDevice::SetViewMatrix)},
        {17, Slot(&RenderDevice::GetViewMatrix)},
        {18, Slot(&RenderDevice::SetProjectionMatrix)},
        {19, Slot(&RenderDevice::GetProjectionMatrix)},
        {20, Slot(&RenderDevice::BuildPerspectiveMatrix)},
        {21, Slot(&RenderDevice::BuildOrthoMatrix)},
        {22, Slot(&RenderDevice::BeginScene)},
        {23, Slot(&RenderDevice::EndScene)},
        {24, Slot(&RenderDevice::Clear)},
        {25, Slot(&RenderDevice::SetClearColor)},
        {26, Slot(&RenderDevice::SetClearDepth)},
        {27, Slot(&RenderDevice::SetClearStencil)},
        {28, Slot(&RenderDevice::SetViewport)},
        {29, Slot(&RenderDevice::SaveScreenShot)},
        {30, Slot(&RenderDevice::SetDefaultStates)},
        {31, Slot(&RenderDevice::SetRenderState)},
        {32, Slot(&RenderDevice::SetShadeMode)},
        {33, Slot(&RenderDevice::SetFillMode)},
        {34, Slot(&RenderDevice::SetCullMode)},
        {35, Slot(&RenderDevice::SetZEnable)},
        {36, Slot(&RenderDevice::GetZEnable)},
        {37, Slot(&RenderDevice::SetZFunc)},
        {38, Slot(&RenderDevice::SetAlphaBlendEnable)},
        {39, Slot(&RenderDevice::GetAlphaBlendEnable)},
        {40, Slot(&RenderDevice::SetSrcBlend)},
        {41, Slot(&RenderDevice::SetDestBlend)},
        {42, Slot(&RenderDevice::SetLighting)},
        {43, Slot(&RenderDevice::SetAmbient)},
        {44, Slot(&RenderDevice::SetLight)},
        {45, Slot(&RenderDevice::EnableLight)},
        {46, Slot(&RenderDevice::LoadMaterial)},
        {47, Slot(&RenderDevice::CreateMaterial)},
        {48, Slot(&RenderDevice::ReleaseMaterial)},
        {49, Slot(&RenderDevice::SetMaterial)},
        {50, Slot(&RenderDevice::GetMaterial)},
        {51, Slot(&RenderDevice::SetTextureBitDepth)},
        {52, Slot(&RenderDevice::GetTextureBitDepth)},
        {53, Slot(&RenderDevice::SetTextureFilter)},
        {54, Slot(&RenderDevice::GetTextureFilter)},
        {55, Slot(&RenderDevice::SetOptionA)},
        {56, Slot(&RenderDevice::GetOptionA)},
        {57, Slot(&RenderDevice::SetOptionB)},
        {58, Slot(&RenderDevice::GetOptionB)},
        {59, Slot(&RenderDevice::SetOptionC)},
        {60, Slot(&RenderDevice::GetOptionC)},
        {61, Slot(&RenderDevice::GetTriangleCount)},
        {62, Slot(&RenderDevice::CreateTexture)},
        {63, Slot(&RenderDevice::CreateTextureFromFile)},
        {64, Slot(&RenderDevice::CreateTextureFromFileSequence)},
        {65, Slot(&RenderDevice::ReleaseTexture)},
        {66, Slot(&RenderDevice::SetTexture)},
        {67, Slot(&RenderDevice::SetTextureStageState)},
        {68, Slot(&RenderDevice::DisableTexturing)},
        {69, Slot(&RenderDevice::RenderVertexBuffer)},
        {70, Slot(&RenderDevice::RenderVertexBufferEx)},
        {71, Slot(&RenderDevice::RenderVertices)},
        {72, Slot(&RenderDevice::RenderScreenQuad)},
        {73, Slot(&RenderDevice::CreateVertexBuffer)},
        {74, Slot(&RenderDevice::DestroyVertexBuffer)},
        {75, Slot(&RenderDevice::SetVertexBuffer)},
        {76, Slot(&RenderDevice::CreateIndexBuffer)},
        {77, Slot(&RenderDevice::DestroyIndexBuffer)},
        {78, Slot(&RenderDevice::SetIndexBuffer)},
        {79, Slot(&RenderDevice::CreateTextFont)},
        {80, Slot(&RenderDevice::DestroyTextFont)},
        {81, Slot(&RenderDevice::CreateScreenQuad)},
        {82, Slot(&RenderDevice::DestroyScreenQuad)},
        {83, Slot(&RenderDevice::PrintText)},
        {84, Slot(&RenderDevice::DumpRenderStates)},
        {85, Slot(&RenderDevice::DumpTextureStageStates)},
    };
    ExpectHostOrder(operations, 85);
}

TEST(VirtualOrder, TextureOperationsKeepTheirSlots) {
    const std::vector<Expected> operations = {
        {1, Slot(static_cast<int (Texture::*)(unsigned, int, int, int, int, bool)>(&Texture::UpdateRect))},
        {2, Slot(static_cast<int (Texture::*)(int, int, int, int, bool)>(&Texture::UpdateRectAllFrames))},
        {3, Slot(static_cast<int (Texture::*)(unsigned, bool)>(&Texture::UpdateFrame))},
        {4, Slot(static_cast<int (Texture::*)(bool)>(&Texture::UpdateAllFrames))},
        {5, Slot(static_cast<int (Texture::*)(unsigned, int, int, int, int)>(&Texture::UpdateRect))},
        {6, Slot(static_cast<int (Texture::*)(int, int, int, int)>(&Texture::UpdateRectAllFrames))},
        {7, Slot(static_cast<int (Texture::*)(unsigned)>(&Texture::UpdateFrame))},
        {8, Slot(static_cast<int (Texture::*)()>(&Texture::UpdateAllFrames))},
        {9, Slot(&Texture::GetFrameData)},
        {10, Slot(&Texture::GetData)},
        {11, Slot(&Texture::GetCurrentFrame)},
        {12, Slot(&Texture::IsPlaying)},
        {13, Slot(&Texture::SetPlaying)},
        {14, Slot(&Texture::SetFrame)},
        {15, Slot(&Texture::SetLooping)},
        {16, Slot(&Texture::IsLooping)},
        {17, Slot(&Texture::GetWidth)},
        {18, Slot(&Texture::GetHeight)},
        {19, Slot(&Texture::GetPitch)},
        {20, Slot(&Texture::GetBytesPerPixel)},
        {21, Slot(&Texture::GetFormat)},
        {22, Slot(&Texture::GetFrameCount)},
        {23, Slot(&Texture::HasMipmaps)},
        {24, Slot(&Texture::GetFrameDurations)},
        {25, Slot(&Texture::GetRowCount)},
        {26, Slot(&Texture::GetRowLength)},
        {27, Slot(&Texture::GetBlockWidth)},
        {28, Slot(&Texture::GetBlockHeight)},
        {29, Slot(&Texture::GetFileName)},
        {30, Slot(&Texture::AddRef)},
        {31, Slot(&Texture::Release)},
        {32, Slot(&Texture::GetRefCount)},
        {33, Slot(&Texture::SetPixel)},
        {34, Slot(&Texture::GetPixel)},
    };
    ExpectHostOrder(operations, 34);
}

TEST(VirtualOrder, FontOperationsKeepTheirSlots) {
    ExpectHostOrder({{1, Slot(&Font::Print)},
                     {2, Slot(&Font::GetTextWidth)},
                     {3, Slot(&Font::GetTextHeight)},
                     {4, Slot(&Font::GetAverageCharWidth)}},
                    4);
}

#include <cstddef>

#include "host/Kernel.h"

// Plug-ins read the window and the file system straight from the kernel
// record, as its fifth and sixth pointer-sized fields.
TEST(KernelRecord, WindowAndFileSystemAreTheFifthAndSixthFields) {
    EXPECT_EQ(offsetof(Kernel, m_pWindow), 4 * sizeof(void*));
    EXPECT_EQ(offsetof(Kernel, m_pFileSystem), 5 * sizeof(void*));
}
