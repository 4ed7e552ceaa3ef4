// Vertex and index buffers as the host uses them: creation flags, uploads,
// binding, resizing, and buffers that failed to fill.
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "geometry/GeometryFixture.h"
#include "host/IndexBuffer.h"
#include "host/VertexBuffer.h"

namespace {

using orvplatform::CallsOf;
using orvplatform::CountOf;
using orvtest::GeometryTest;

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
    // The Direct3D buffer behind a host buffer, found by binding it.
    IDirect3DVertexBuffer8* D3DBufferOf(VertexBuffer* buffer) {
        m_pRenderer->SetVertexBuffer(buffer);
        return BoundStream().buffer;
    }
    IDirect3DIndexBuffer8* D3DBufferOf(IndexBuffer* buffer) {
        m_pRenderer->SetIndexBuffer(buffer);
        return BoundIndices();
    }
    static void Number(VertexBuffer* buffer) {
        Vertex* vertices = buffer->GetVertices();
        for (unsigned i = 0; i < buffer->GetVertexCount(); ++i) {
            vertices[i].position = Vector3D(static_cast<float>(i), 1.0f, 2.0f);
            vertices[i].diffuse = 0xFF000000u | i;
            vertices[i].u2 = static_cast<float>(i) / 2.0f;
        }
    }

    std::vector<VertexBuffer*> m_VertexBuffers;
    std::vector<IndexBuffer*> m_IndexBuffers;
};

TEST_F(Buffers, CreationAndUploadFlagsFollowDynamicAndPointSprites) {
    const struct {
        bool dynamic, pointSprites;
        DWORD usage;
        D3DPOOL pool;
        DWORD lock;
    } cases[] = {
        {false, false, 0, D3DPOOL_MANAGED, 0},
        {false, true, D3DUSAGE_POINTS, D3DPOOL_MANAGED, 0},
        {true, false, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DPOOL_DEFAULT, D3DLOCK_DISCARD},
        {true, true, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY | D3DUSAGE_POINTS, D3DPOOL_DEFAULT,
         D3DLOCK_DISCARD},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "dynamic " << c.dynamic << ", sprites " << c.pointSprites);
        orvplatform::ClearJournal();
        VertexBuffer* buffer = MakeVertices(7, c.dynamic, c.pointSprites);
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(buffer->GetVertexCount(), 7u);
        const auto creates = CallsOf("IDirect3DDevice8::CreateVertexBuffer");
        ASSERT_EQ(creates.size(), 1u);
        EXPECT_EQ(creates[0].args[0], 7u * 52u);
        EXPECT_EQ(creates[0].args[1], c.usage);
        EXPECT_EQ(creates[0].args[2], 0x352u);
        EXPECT_EQ(creates[0].args[3], static_cast<uint64_t>(c.pool));

        // Resize keeps the flags: the same usage, pool and lock again.
        ASSERT_TRUE(buffer->Resize(9));
        EXPECT_EQ(CallsOf("IDirect3DDevice8::CreateVertexBuffer")[1].args[1], c.usage);
        EXPECT_EQ(CallsOf("IDirect3DDevice8::CreateVertexBuffer")[1].args[3],
                  static_cast<uint64_t>(c.pool));
        ASSERT_TRUE(buffer->Upload());
        const auto locks = CallsOf("IDirect3DVertexBuffer8::Lock");
        ASSERT_EQ(locks.size(), 1u);
        EXPECT_EQ(locks[0].args[0], 0u);
        EXPECT_EQ(locks[0].args[1], 0u);
        EXPECT_EQ(locks[0].args[3], c.lock);
        EXPECT_EQ(CountOf("IDirect3DVertexBuffer8::Unlock"), 1u);
    }
    for (bool dynamic : {false, true}) {
        orvplatform::ClearJournal();
        IndexBuffer* buffer = MakeIndices(6, dynamic);
        ASSERT_NE(buffer, nullptr);
        ASSERT_TRUE(buffer->Resize(8));
        ASSERT_TRUE(buffer->Upload());
        for (const auto& create : CallsOf("IDirect3DDevice8::CreateIndexBuffer")) {
            EXPECT_EQ(create.args[1], D3DUSAGE_WRITEONLY | (dynamic ? D3DUSAGE_DYNAMIC : 0u));
            EXPECT_EQ(create.args[2], static_cast<uint64_t>(D3DFMT_INDEX16));
            EXPECT_EQ(create.args[3], static_cast<uint64_t>(D3DPOOL_DEFAULT));
        }
        const auto locks = CallsOf("IDirect3DIndexBuffer8::Lock");
        ASSERT_EQ(locks.size(), 1u);
        EXPECT_EQ(locks[0].args[1], 16u);
        EXPECT_EQ(locks[0].args[3], dynamic ? D3DLOCK_DISCARD : 0u);
    }
}

TEST_F(Buffers, UploadCopiesTheArrayAndBindingReachesTheDevice) {
    VertexBuffer* vertices = MakeVertices(5, false);
    ASSERT_NE(vertices, nullptr);
    Number(vertices);
    ASSERT_TRUE(vertices->Upload());
    orvplatform::ClearJournal();
    ASSERT_TRUE(m_pRenderer->SetVertexBuffer(vertices));
    const auto calls = orvplatform::CallsOfAny(
        {"IDirect3DDevice8::SetVertexShader", "IDirect3DDevice8::SetStreamSource"});
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].api, "IDirect3DDevice8::SetVertexShader");
    EXPECT_EQ(calls[0].args[0], 0x352u);
    EXPECT_EQ(calls[1].args[2], 52u);
    const auto stream = BoundStream();
    ASSERT_NE(stream.buffer, nullptr);
    EXPECT_EQ(stream.stride, 52u);
    const std::vector<uint8_t> bytes = Contents(stream.buffer, 5 * sizeof(Vertex));
    EXPECT_EQ(std::memcmp(bytes.data(), vertices->GetVertices(), bytes.size()), 0);

    // Unbinding clears stream 0 and leaves the vertex shader alone.
    m_pD3D->SetVertexShader(0x144);
    ASSERT_TRUE(m_pRenderer->SetVertexBuffer(nullptr));
    EXPECT_EQ(BoundStream().buffer, nullptr);
    EXPECT_EQ(BoundStream().stride, 0u);
    EXPECT_EQ(VertexShader(), 0x144u);

    IndexBuffer* indices = MakeIndices(4, true);
    ASSERT_NE(indices, nullptr);
    for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(indices->GetIndices()[i], 0u);
    for (unsigned short i = 0; i < 4; ++i) indices->GetIndices()[i] = static_cast<unsigned short>(100 + i);
    ASSERT_TRUE(indices->Upload());
    ASSERT_TRUE(m_pRenderer->SetIndexBuffer(indices));
    ASSERT_NE(BoundIndices(), nullptr);
    const std::vector<uint8_t> indexBytes = Contents(BoundIndices(), 8);
    EXPECT_EQ(std::memcmp(indexBytes.data(), indices->GetIndices(), 8), 0);
    ASSERT_TRUE(m_pRenderer->SetIndexBuffer(nullptr));
    EXPECT_EQ(BoundIndices(), nullptr);
}

TEST_F(Buffers, ResizeKeepsTheLeadingElements) {
    for (unsigned newCount : {3u, 8u}) {
        VertexBuffer* vertices = MakeVertices(5, true, true);
        ASSERT_NE(vertices, nullptr);
        Number(vertices);
        const std::vector<Vertex> before(vertices->GetVertices(), vertices->GetVertices() + 5);
        ASSERT_TRUE(vertices->Resize(newCount));
        ASSERT_EQ(vertices->GetVertexCount(), newCount);
        for (unsigned i = 0; i < newCount; ++i) {
            const Vertex expected = i < 5 ? before[i] : Vertex();
            EXPECT_EQ(std::memcmp(&vertices->GetVertices()[i].normal, &expected.normal, 40), 0) << i;
            EXPECT_EQ(vertices->GetVertices()[i].position.x, expected.position.x) << i;
        }

        IndexBuffer* indices = MakeIndices(5, false);
        ASSERT_NE(indices, nullptr);
        for (unsigned short i = 0; i < 5; ++i) indices->GetIndices()[i] = static_cast<unsigned short>(i + 1);
        ASSERT_TRUE(indices->Resize(newCount));
        ASSERT_EQ(indices->GetIndexCount(), newCount);
        for (unsigned i = 0; i < newCount; ++i)
            EXPECT_EQ(indices->GetIndices()[i], i < 5 ? i + 1 : 0u) << i;
        // The new Direct3D buffer receives the kept indices with the next upload.
        ASSERT_TRUE(indices->Upload());
        const std::vector<uint8_t> bytes = Contents(D3DBufferOf(indices), newCount * 2);
        EXPECT_EQ(std::memcmp(bytes.data(), indices->GetIndices(), bytes.size()), 0);
    }
}

TEST_F(Buffers, AFailedFillLeavesAnEmptyReusableBuffer) {
    VertexBuffer* vertices = MakeVertices(4, true);
    IndexBuffer* indices = MakeIndices(4, true);
    ASSERT_NE(vertices, nullptr);
    ASSERT_NE(indices, nullptr);
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
    EXPECT_EQ(vertices->GetVertexCount(), 0u);
    EXPECT_EQ(vertices->GetVertices(), nullptr);
    EXPECT_EQ(indices->GetIndexCount(), 0u);
    EXPECT_EQ(indices->GetIndices(), nullptr);

    // An empty buffer has nothing to upload: one line each, no lock.
    ClearLines();
    orvplatform::ClearJournal();
    EXPECT_FALSE(vertices->Upload());
    EXPECT_FALSE(indices->Upload());
    EXPECT_EQ(Lines().size(), 2u);
    EXPECT_EQ(CountOf("IDirect3DVertexBuffer8::Lock") + CountOf("IDirect3DIndexBuffer8::Lock"), 0u);

    // Resizing an empty buffer fills it again.
    ASSERT_TRUE(vertices->Resize(6));
    ASSERT_TRUE(indices->Resize(6));
    EXPECT_EQ(vertices->GetVertexCount(), 6u);
    EXPECT_EQ(indices->GetIndexCount(), 6u);
    for (unsigned i = 0; i < 6; ++i) EXPECT_EQ(indices->GetIndices()[i], 0u);
    EXPECT_TRUE(vertices->Upload());
    EXPECT_TRUE(indices->Upload());
    // The index buffer kept its dynamic flag through the failure.
    EXPECT_EQ(CallsOf("IDirect3DIndexBuffer8::Lock").back().args[3], D3DLOCK_DISCARD);
}

TEST_F(Buffers, RefusedCreationsReturnNullWithOneLine) {
    const struct {
        const char* injected;  // a runtime call made to fail, "" for none, null: never asked
        unsigned count;
        bool index;
        const char* line;
    } cases[] = {
        {"IDirect3DDevice8::CreateVertexBuffer", 4, false,
         "Failed to create D3D vertex buffer. (HR:D3DERR_INVALIDCALL)"},
        {"IDirect3DDevice8::CreateIndexBuffer", 4, true,
         "Failed to create D3D index buffer. (HR:D3DERR_INVALIDCALL)"},
        // Lengths past 32 bits never reach Direct3D.
        {nullptr, 0x05000000u, false, "Failed to allocate memory for vertex buffer."},
        {nullptr, 0x80000000u, true, "Failed to allocate memory for index buffer."},
        {nullptr, 0xFFFFFFFFu, true, "Failed to allocate memory for index buffer."},
        // The runtime decides about empty buffers (it refuses them).
        {"", 0, false, "Failed to create D3D vertex buffer. (HR:D3DERR_INVALIDCALL)"},
        {"", 0, true, "Failed to create D3D index buffer. (HR:D3DERR_INVALIDCALL)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ClearLines();
        orvplatform::ClearJournal();
        if (c.injected && *c.injected) orvplatform::FailNthCall(c.injected, 1, D3DERR_INVALIDCALL);
        if (c.index) EXPECT_EQ(MakeIndices(c.count, true), nullptr);
        else EXPECT_EQ(MakeVertices(c.count, true), nullptr);
        EXPECT_EQ(Lines(), std::vector<std::string>{c.line});
        if (!c.injected) {
            EXPECT_EQ(CountOf("IDirect3DDevice8::CreateVertexBuffer") +
                          CountOf("IDirect3DDevice8::CreateIndexBuffer"),
                      0u);
        }
    }
}

TEST_F(Buffers, ALockFailureIsReported) {
    VertexBuffer* vertices = MakeVertices(3, false);
    IndexBuffer* indices = MakeIndices(3, false);
    ClearLines();
    orvplatform::FailNthCall("IDirect3DVertexBuffer8::Lock", 1, D3DERR_INVALIDCALL);
    orvplatform::FailNthCall("IDirect3DIndexBuffer8::Lock", 1, D3DERR_INVALIDCALL);
    EXPECT_FALSE(vertices->Upload());
    EXPECT_FALSE(indices->Upload());
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Failed to lock vertex buffer (D3DERR_INVALIDCALL)",
                                                 "Failed to lock D3D index buffer. (HR:D3DERR_INVALIDCALL)"}));
    EXPECT_TRUE(vertices->Upload());
    // The fixture's end checks that destroying released every Direct3D buffer.
    EXPECT_TRUE(m_pRenderer->DestroyVertexBuffer(nullptr));
    EXPECT_TRUE(m_pRenderer->DestroyIndexBuffer(nullptr));
}

}  // namespace
