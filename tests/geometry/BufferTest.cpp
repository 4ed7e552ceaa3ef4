// Vertex and index buffers as the host uses them: creation flags, uploads,
// binding, resizing, buffers that failed to fill, and sizes refused.
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "support/PluginHarness.h"
#include "host/IndexBuffer.h"
#include "host/VertexBuffer.h"

namespace {

using orvplatform::CallsOf;
using GeometryTest = orvtest::DisplayTest;

class Buffers : public GeometryTest {
protected:
    void TearDown() override {
        for (VertexBuffer* buffer : m_VertexBuffers) m_pRenderer->DestroyVertexBuffer(buffer);
        for (IndexBuffer* buffer : m_IndexBuffers) m_pRenderer->DestroyIndexBuffer(buffer);
        GeometryTest::TearDown();
    }
    VertexBuffer* MakeVertices(unsigned count, bool dynamic, bool pointSprites = false) {
        VertexBuffer* buffer = m_pRenderer->CreateVertexBuffer(count, dynamic, pointSprites);
        if (buffer) m_VertexBuffers.push_back(buffer);
        return buffer;
    }
    IndexBuffer* MakeIndices(unsigned count, bool dynamic) {
        IndexBuffer* buffer = m_pRenderer->CreateIndexBuffer(count, dynamic);
        if (buffer) m_IndexBuffers.push_back(buffer);
        return buffer;
    }
    static void Number(VertexBuffer* buffer) {
        Vertex* vertices = buffer->GetVertices();
        for (unsigned i = 0; i < buffer->GetVertexCount(); ++i) {
            vertices[i].position = Vector3D(static_cast<float>(i), 1.0f, 2.0f);
            vertices[i].diffuse = 0xFF000000u | i;
            vertices[i].u2 = static_cast<float>(i) / 2.0f;
        }
    }

    // The Create<kind>Buffer calls since the journal was cleared: `count`, each
    // with this usage and pool (and the host's 16-bit indices).
    static void ExpectCreations(const std::string& kind, size_t count, uint64_t usage, D3DPOOL pool) {
        const auto creates = CallsOf("IDirect3DDevice8::Create" + kind + "Buffer");
        ASSERT_EQ(creates.size(), count) << kind;
        for (const auto& create : creates) {
            EXPECT_EQ(create.args[1], usage) << kind;
            EXPECT_EQ(create.args[3], static_cast<uint64_t>(pool)) << kind;
            EXPECT_TRUE(kind == "Vertex" || create.args[2] == D3DFMT_INDEX16) << create.args[2];
        }
    }

    std::vector<VertexBuffer*> m_VertexBuffers;
    std::vector<IndexBuffer*> m_IndexBuffers;
};

// Created, resized (which keeps the flags) and uploaded: usage, pool and lock.
TEST_F(Buffers, CreationAndUploadFlagsFollowDynamicAndPointSprites) {
    const struct { bool index, dynamic, pointSprites; DWORD usage; D3DPOOL pool; DWORD lock; } cases[] = {
        {false, false, false, 0, D3DPOOL_MANAGED, 0},
        {false, true, true, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY | D3DUSAGE_POINTS, D3DPOOL_DEFAULT, D3DLOCK_DISCARD},
        {true, false, false, D3DUSAGE_WRITEONLY, D3DPOOL_DEFAULT, 0},
        {true, true, false, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, D3DLOCK_DISCARD},
    };
    for (const auto& c : cases) {
        orvplatform::ClearJournal();
        const std::string kind = c.index ? "Index" : "Vertex";
        VertexBuffer* vertices = c.index ? nullptr : MakeVertices(7, c.dynamic, c.pointSprites);
        IndexBuffer* indices = c.index ? MakeIndices(6, c.dynamic) : nullptr;
        ASSERT_TRUE(vertices || indices);
        ASSERT_TRUE(vertices ? vertices->Resize(9) && vertices->Upload() : indices->Resize(8) && indices->Upload());
        ExpectCreations(kind, 2, c.usage, c.pool);
        const auto locks = CallsOf("IDirect3D" + kind + "Buffer8::Lock");
        ASSERT_EQ(locks.size(), 1u);
        EXPECT_EQ(locks[0].args[3], c.lock) << kind << c.dynamic;
    }
}

// A failed resize empties the buffer; it uploads nothing, and the next
// resize fills it with what its kind keeps: the vertex buffer its point
// sprites but not its dynamic flag, the index buffer its dynamic flag.
TEST_F(Buffers, AFailedFillLeavesAnEmptyReusableBuffer) {
    VertexBuffer* vertices = MakeVertices(4, true, true);
    IndexBuffer* indices = MakeIndices(4, true);
    ASSERT_TRUE(vertices && indices);
    ClearLines();
    orvplatform::FailNthCall("IDirect3DDevice8::CreateVertexBuffer", 1, D3DERR_OUTOFVIDEOMEMORY);
    orvplatform::FailNthCall("IDirect3DDevice8::CreateIndexBuffer", 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(vertices->Resize(10));
    EXPECT_FALSE(indices->Resize(10));
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "Failed to create D3D vertex buffer. (HR:D3DERR_OUTOFVIDEOMEMORY)",
                           "Failed to resize D3D vertex buffer.",
                           "Failed to create D3D index buffer. (HR:D3DERR_OUTOFVIDEOMEMORY)",
                           "Failed to resize D3D index buffer."}));
    EXPECT_EQ(vertices->GetVertices(), nullptr);
    EXPECT_EQ(indices->GetIndexCount(), 0u);

    ClearLines();
    orvplatform::ClearJournal();
    EXPECT_FALSE(vertices->Upload());
    EXPECT_FALSE(indices->Upload());
    EXPECT_EQ(Lines().size(), 2u);
    EXPECT_TRUE(orvplatform::Journal().empty());

    ASSERT_TRUE(vertices->Resize(6));
    ASSERT_TRUE(indices->Resize(6));
    EXPECT_EQ(indices->GetIndexCount(), 6u);
    EXPECT_TRUE(vertices->Upload() && indices->Upload());
    ExpectCreations("Vertex", 1, D3DUSAGE_POINTS, D3DPOOL_MANAGED);
    ExpectCreations("Index", 1, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);
    EXPECT_EQ(CallsOf("IDirect3DIndexBuffer8::Lock").back().args[3], D3DLOCK_DISCARD);
}

// Uploads copy the host's array; a bound buffer resized keeps its leading
// elements and is bound again with the next upload; one that failed to
// resize or was destroyed leaves the device, which keeps no Direct3D buffer
// the driver let go. Unbinding leaves the vertex shader alone.
TEST_F(Buffers, BoundBuffersUploadResizeAndDestroyAndTheDeviceFollows) {
    VertexBuffer* vertices = MakeVertices(3, false);
    IndexBuffer* indices = MakeIndices(3, false);
    ASSERT_TRUE(vertices && indices);
    Number(vertices);
    for (unsigned short i = 0; i < 3; ++i) indices->GetIndices()[i] = static_cast<unsigned short>(i + 1);
    ASSERT_TRUE(vertices->Upload() && indices->Upload());
    ASSERT_TRUE(m_pRenderer->SetVertexBuffer(vertices) && m_pRenderer->SetIndexBuffer(indices));
    EXPECT_EQ(VertexShader(), 0x352u);
    EXPECT_EQ(std::memcmp(Contents(BoundStream().buffer, 3 * sizeof(Vertex)).data(), vertices->GetVertices(),
                          3 * sizeof(Vertex)), 0);
    const size_t alive = orvd3d8::LiveObjectCount();

    const std::vector<Vertex> before(vertices->GetVertices(), vertices->GetVertices() + 3);
    ASSERT_TRUE(vertices->Resize(6) && indices->Resize(6));
    for (unsigned i = 0; i < 6; ++i) {
        const Vertex expected = i < 3 ? before[i] : Vertex();
        EXPECT_EQ(std::memcmp(&vertices->GetVertices()[i], &expected, sizeof expected), 0) << i;
        EXPECT_EQ(indices->GetIndices()[i], i < 3 ? i + 1 : 0u) << i;
    }
    Number(vertices);
    indices->GetIndices()[5] = 5;
    ASSERT_TRUE(vertices->Upload() && indices->Upload());
    const std::vector<uint8_t> bytes = Contents(BoundStream().buffer, 6 * sizeof(Vertex));
    EXPECT_EQ(std::memcmp(bytes.data(), vertices->GetVertices(), bytes.size()), 0);
    EXPECT_EQ(BoundStream().stride, 52u);
    EXPECT_EQ(Contents<unsigned short>(BoundIndices(), 6), (std::vector<unsigned short>{1, 2, 3, 0, 0, 5}));
    EXPECT_EQ(orvd3d8::LiveObjectCount(), alive);

    orvplatform::FailNthCall("IDirect3DDevice8::CreateVertexBuffer", 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(vertices->Resize(9));
    EXPECT_EQ(BoundStream().buffer, nullptr);
    m_pRenderer->DestroyIndexBuffer(indices);
    m_IndexBuffers.clear();
    EXPECT_EQ(BoundIndices(), nullptr);
    EXPECT_EQ(orvd3d8::LiveObjectCount(), alive - 2);

    VertexBuffer* other = MakeVertices(3, false);
    ASSERT_TRUE(other && other->Upload() && m_pRenderer->SetVertexBuffer(other));
    m_pD3D->SetVertexShader(0x144);
    ASSERT_TRUE(m_pRenderer->SetVertexBuffer(nullptr));
    EXPECT_EQ(BoundStream().buffer, nullptr);
    EXPECT_EQ(VertexShader(), 0x144u);
}

TEST_F(Buffers, RefusedCreationsReturnNullWithOneLine) {
    const struct { unsigned count; bool index; const char* line; } cases[] = {
        // Lengths past 32 bits never reach Direct3D.
        {0x05000000u, false, "Failed to allocate memory for vertex buffer."},
        {0x80000000u, true, "Failed to allocate memory for index buffer."},
        // The runtime decides about empty buffers (it refuses them).
        {0, true, "Failed to create D3D index buffer. (HR:D3DERR_INVALIDCALL)"},
    };
    for (const auto& c : cases) {
        ClearLines();
        if (c.index) EXPECT_EQ(MakeIndices(c.count, true), nullptr);
        else EXPECT_EQ(MakeVertices(c.count, true), nullptr);
        EXPECT_EQ(Lines(), std::vector<std::string>{c.line});
    }
}

}  // namespace
