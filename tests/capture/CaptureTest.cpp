// A host session recorded through the plug-in's switch and replayed through
// the player: results and the Direct3D journal equal, a crashed session's
// capture up to its last frame, and hostile captures refused.
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "support/AllocationProbe.h"
#include "support/ImageFiles.h"
#include "support/PluginHarness.h"
#include "capture/CaptureFormat.h"
#include "capture/CaptureWriter.h"
#include "capture/Player.h"
#include "capture/ValueWriter.h"
#include "host/FileSystem.h"
#include "host/Font.h"
#include "host/Material.h"
#include "host/OML.h"
#include "host/MaterialLayer.h"
#include "host/ScreenQuad.h"
#include "host/Texture.h"
#include "host/VertexBuffer.h"
#include "orv/D3D8Control.h"
#include "orvhostScene.h"

namespace {

using orvcapture::Operation;
using orvcapture::StopReason;
using orvtest::LoadPlugin;

constexpr int kFrames = 6;
constexpr unsigned kBufferVertices = 64;

// The Direct3D calls of the journal: name, result, and for the state
// setters their values, for the buffers' creations all but the pointer.
std::vector<std::string> Direct3DCalls() {
    std::vector<std::string> calls;
    for (const orvplatform::Call& call : orvplatform::Journal()) {
        if (call.api.rfind("IDirect3D", 0) != 0) continue;
        std::string line = call.api + " -> " + std::to_string(call.result);
        const bool values = call.api.find("SetRenderState") != std::string::npos ||
                            call.api.find("SetTextureStageState") != std::string::npos;
        const bool creation = call.api.find("CreateVertexBuffer") != std::string::npos ||
                              call.api.find("CreateIndexBuffer") != std::string::npos;
        for (size_t i = 0; (values || creation) && i + (creation ? 1 : 0) < call.args.size(); ++i)
            line += " " + std::to_string(call.args[i]);
        calls.push_back(line);
    }
    return calls;
}

// What reached the device since the last call: every draw with its
// primitives and the bytes of the vertices and indices it read, and the
// viewport now. Text, quads and meshes drawn anywhere else show here.
std::string DrawsSinceLast() {
    IDirect3DDevice8* device = orvd3d8::LastDevice();
    std::string out;
    for (const orvd3d8::DrawRecord& draw : orvd3d8::DrawsOf(device)) {
        out += std::to_string(int(draw.kind)) + " " + std::to_string(draw.primitiveType) + " " +
               std::to_string(draw.primitiveCount) + " " + std::to_string(draw.vertexShader) + ":";
        out.append(draw.vertices.begin(), draw.vertices.end());
        for (uint32_t index : draw.indices) out += std::to_string(index) + ",";
        out += "\n";
    }
    orvd3d8::ClearDraws(device);
    D3DVIEWPORT8 viewport = {};
    device->GetViewport(&viewport);
    out += "viewport " + std::to_string(viewport.X) + " " + std::to_string(viewport.Y) + " " +
           std::to_string(viewport.Width) + " " + std::to_string(viewport.Height);
    return out;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CaptureTest : public orvtest::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        kernel()->m_pFileSystem->SetBaseDirectory(ORV_EXAMPLES_DIR);
    }

    // The demo host's session, recorded into `path`: `exitAtFrame` ends the
    // process in the middle of that frame.
    void RecordSession(const std::string& path, int exitAtFrame = -1) {
        setenv(orvcapture::kCaptureVariable, path.c_str(), 1);
        RenderDevice* device = LoadPlugin().createPlugin(kernel());
        unsetenv(orvcapture::kCaptureVariable);
        ASSERT_NE(device, nullptr);
        ASSERT_TRUE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
        {
            orvhost::Scene scene(device, kRendererVersion);
            ASSERT_TRUE(scene.Load());
            // Given back before anything is drawn: a replay of a session
            // cut off later gives back only what the session still held.
            VertexBuffer* early = device->CreateVertexBuffer(4, false, false);
            ASSERT_NE(early, nullptr);
            EXPECT_TRUE(device->DestroyVertexBuffer(early));
            for (int frame = 0; frame < kFrames; ++frame) {
                if (frame == exitAtFrame) {
                    device->BeginScene();
                    device->Clear(true, true, false);
                    _exit(0);
                }
                ASSERT_TRUE(scene.DrawFrame(frame, kFrames));
                m_LiveDraws.push_back(DrawsSinceLast());
                orvplatform::AdvanceTickCount(40);
            }
            // A buffer uploaded twice, unchanged the second time.
            VertexBuffer* buffer = device->CreateVertexBuffer(kBufferVertices, true, false);
            ASSERT_NE(buffer, nullptr);
            buffer->GetVertices()[kBufferVertices - 1].diffuse = 0xFF00FF00u;
            EXPECT_TRUE(buffer->Upload());
            EXPECT_TRUE(buffer->Upload());
            // Calls the scene never makes: texture coordinates read back,
            // two of them not asked for, and a material saved.
            ScreenQuad* quad = device->CreateScreenQuad(RECT{0, 0, 8, 8}, 0xFFFFFFFFu);
            ASSERT_NE(quad, nullptr);
            quad->SetTexCoords(0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f, 1.0f);
            float uv[6] = {};
            quad->GetTexCoords(&uv[0], &uv[1], &uv[2], nullptr, &uv[3], &uv[4], nullptr, &uv[5]);
            EXPECT_EQ(uv[5], 1.0f);
            // Vertices the host edits between two reads of them and a colour
            // set after, drawn in a frame of their own with text of both
            // kinds, a texture stage state of the host's own, the buffer and a
            // triangle of the host's memory.
            quad->GetVertices()[3].x += 3.0f;
            quad->GetVertices()[2].u = 0.5f;
            quad->SetColor(0xFF808080u);
            Font* font = device->CreateTextFont("Arial", 10, true, false);
            ASSERT_NE(font, nullptr);
            device->BeginScene();
            device->SetViewport(4, 300, 8, 200);
            device->DisableTexturing();
            device->SetTextureStageState(1, TEXTURESTATE_COLOROP, TEXTUREOP_SELECTARG1);
            EXPECT_TRUE(device->RenderScreenQuad(quad));
            EXPECT_TRUE(device->SetVertexBuffer(buffer));
            EXPECT_TRUE(device->RenderVertexBufferEx(PRIMITIVE_TRIANGLELIST, 5, 1, 9));
            Vertex triangle[3];
            for (int i = 0; i < 3; ++i) triangle[i].diffuse = 0xFF0000FFu << (8 * i);
            EXPECT_TRUE(device->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, triangle));
            device->PrintText(3, 40, "x");
            EXPECT_TRUE(font->Print(5, 60, 0xFF00FF00u, "%d", 7));
            EXPECT_TRUE(device->EndScene());
            m_LiveDraws.push_back(DrawsSinceLast());
            // The replay saves its screenshot where its output goes.
            EXPECT_TRUE(device->SaveScreenShot(OutputPath("shot.bmp").c_str()));
            EXPECT_TRUE(device->DestroyTextFont(font));
            EXPECT_TRUE(device->DestroyVertexBuffer(buffer));
            EXPECT_TRUE(device->DestroyScreenQuad(quad));
            // A material made where a released one was is another object,
            // and so is a layer made where a removed one was.
            for (float shininess : {2.0f, 3.0f}) {
                Material* brief = device->CreateMaterial();
                ASSERT_NE(brief, nullptr);
                brief->SetShininess(shininess);
                MaterialLayer* layer = brief->AddLayer();
                ASSERT_NE(layer, nullptr);
                layer->SetLighting(shininess > 2.0f);
                // Every setting of the host's, read back: the replay answers
                // the same.
                layer->SetSrcBlend(BLEND_SRCALPHA), layer->SetDestBlend(BLEND_ONE);
                layer->SetAlphaArg1(TEXTUREARG_DIFFUSE), layer->SetAlphaArg2(TEXTUREARG_TEXTURE);
                layer->SetColorArg1(TEXTUREARG_TEXTURE), layer->SetColorArg2(TEXTUREARG_DIFFUSE);
                layer->SetColorOp(TEXTUREOP_MODULATE), layer->SetAlphaOp(TEXTUREOP_SELECTARG1);
                layer->SetAddressing(ADDRESS_CLAMP);
                EXPECT_EQ(layer->GetSrcBlend() + layer->GetDestBlend() + layer->GetAlphaArg1() + layer->GetAlphaArg2() +
                              layer->GetColorArg1() + layer->GetColorArg2() + layer->GetColorOp() + layer->GetAlphaOp() +
                              layer->GetAddressing() + layer->GetLighting(),
                          BLEND_SRCALPHA + BLEND_ONE + 2 * (TEXTUREARG_DIFFUSE + TEXTUREARG_TEXTURE) +
                              TEXTUREOP_MODULATE + TEXTUREOP_SELECTARG1 + ADDRESS_CLAMP + (shininess > 2.0f));
                EXPECT_TRUE(shininess > 2.0f ? brief->RemoveLayer(layer) : brief->RemoveLayerAt(0));
                EXPECT_TRUE(device->ReleaseMaterial(brief));
            }
            Material* material = device->CreateMaterial();
            ASSERT_NE(material, nullptr);
            material->SetShininess(12.5f);
            EXPECT_EQ(material->AddRef(), 2);
            EXPECT_EQ(material->Release(), 1);
            EXPECT_FLOAT_EQ(device->FromD3DColor(0x80FF3300u).g, 0.2f);
            // Each colour with channels of its own, read back: the replay
            // answers the same.
            material->SetAmbient(0.125f, 0.25f, 0.375f), material->SetDiffuse(0.5f, 0.625f, 0.75f);
            material->SetSpecular(0.875f, 0.0625f, 0.1875f), material->SetEmissive(0.3125f, 0.4375f, 0.5625f);
            const Color colours[] = {material->GetAmbient(), material->GetDiffuse(), material->GetSpecular(),
                                     material->GetEmissive()};
            EXPECT_FLOAT_EQ(colours[2].b, 0.1875f);
            // And the other settings, each read back.
            material->SetFrameBlend(true), material->SetCulling(false), material->SetZFunc(COMPARE_EQUAL);
            EXPECT_TRUE(material->GetShininess() == 12.5f && material->GetFrameBlend() && !material->GetCulling() &&
                        material->GetZFunc() == COMPARE_EQUAL);
            EXPECT_TRUE(material->SaveToFile(OutputPath("saved-material.xml").c_str()));
            OML written;
            EXPECT_TRUE(material->WriteTo(&written));  // the replay writes the same
            // Texels the host writes into each frame's memory reach the
            // replay; an upload gives the frame's memory back.
            Texture* texture = device->CreateTexture(8, 4, false, 2);
            ASSERT_NE(texture, nullptr);
            const unsigned bytes = texture->GetBytesPerPixel();
            // Frame 1 first: its memory, given back by its upload, is not
            // read again when frame 0 is uploaded.
            for (unsigned f : {1u, 0u}) {
                auto* frame = static_cast<uint8_t*>(texture->GetFrameData(f));
                ASSERT_NE(frame, nullptr);
                std::memset(frame + texture->GetPitch() + bytes, 0xFF, bytes);  // white at (1, 1)
                EXPECT_EQ(texture->UpdateFrame(f), 0);
                EXPECT_NE(texture->GetPixel(1, 1, f), 0u);  // the replay answers the same
            }
            EXPECT_EQ(texture->UpdateRectAllFrames(1, 0, 8, 2, true), 0);
            EXPECT_TRUE(device->ReleaseTexture(texture));
            // A sequence of two files at 15 frames a second.
            for (int i = 0; i < 2; ++i)
                Write("seq" + std::to_string(i) + ".tga", TgaFile(Tga::Rgb24, 4, 2, false, false).bytes);
            Texture* sequence = device->CreateTextureFromFileSequence(OutputPath("seq0.tga").c_str(), 15, false, false);
            ASSERT_NE(sequence, nullptr);
            EXPECT_EQ(sequence->GetFrameCount(), 2u);
            EXPECT_TRUE(device->ReleaseTexture(sequence));
            // The host gets back the very material it set.
            EXPECT_TRUE(device->SetMaterial(material));
            EXPECT_EQ(device->GetMaterial(), material);
            EXPECT_TRUE(device->SetMaterial(nullptr));
            EXPECT_TRUE(device->ReleaseMaterial(material));
            device->DumpRenderStates();
        }
        EXPECT_FALSE(device->SetDisplayMode(nullptr));
        EXPECT_TRUE(device->Shutdown());
        delete device;
    }

    orvcapture::ReplayOutcome Replay(orvcapture::Player& player, orvcapture::ReplayOptions options) {
        orvcapture::PluginEntry entry;
        entry.createPlugin = LoadPlugin().createPlugin;
        entry.setHostInput = reinterpret_cast<SetHostInputFunction>(dlsym(LoadPlugin().handle, "SetHostInput"));
        options.outputDirectory = OutputPath("");
        return player.Run(entry, kernel(), options);
    }

    std::vector<std::string> m_LiveDraws;  // per frame of the recorded session
};

TEST_F(CaptureTest, ReplaysTheDemoSessionWithEqualResultsAndJournal) {
    const std::string path = OutputPath("session.orvcap");
    orvplatform::ClearJournal();
    RecordSession(path);
    const std::vector<std::string> live = Direct3DCalls();

    orvplatform::ResetAll();
    orvplatform::SetTickCount(123456);  // another clock: the capture's is served
    orvplatform::ClearJournal();
    orvcapture::Player player;
    ASSERT_TRUE(player.Open(path)) << player.Error();
    EXPECT_EQ(player.Machine().rendererVersion, kRendererVersion);
    EXPECT_EQ(player.Machine().layoutVersion, orvcapture::kLayoutVersion);
    EXPECT_EQ(player.Machine().pointerBits, sizeof(void*) * 8);
    std::vector<std::string> differences;
    std::vector<uint64_t> uploadBytes;
    int frameEnds = 0;
    std::vector<std::string> replayedDraws;
    orvcapture::ReplayOptions options;
    options.onDifference = [&](const orvcapture::Difference& d) { differences.push_back(d.Describe()); };
    int saves = 0;
    options.onCall = [&](const orvcapture::CallEvent& event) {
        frameEnds += event.endsFrame;
        if (event.endsFrame) replayedDraws.push_back(DrawsSinceLast());
        saves += event.operation == Operation::Material_SaveToFile;
        if (event.operation == Operation::VertexBuffer_Upload && event.object == 0) return;
        if (event.operation == Operation::VertexBuffer_Upload) uploadBytes.push_back(event.memoryBytes);
    };
    const orvcapture::ReplayOutcome outcome = Replay(player, options);
    EXPECT_EQ(outcome.reason, StopReason::End) << outcome.message;
    EXPECT_EQ(outcome.differences, 0u);
    EXPECT_EQ(differences, std::vector<std::string>());
    EXPECT_EQ(frameEnds, kFrames + 1);
    EXPECT_TRUE(replayedDraws == m_LiveDraws);  // the same text, quads and meshes, frame by frame
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(Direct3DCalls(), live);
    // The torus's upload, then the small buffer's two: its one changed
    // vertex the first time, nothing the second.
    ASSERT_GE(uploadBytes.size(), 3u);
    EXPECT_GT(uploadBytes[uploadBytes.size() - 2], 0u);
    EXPECT_LE(uploadBytes[uploadBytes.size() - 2], sizeof(Vertex));
    EXPECT_EQ(uploadBytes.back(), 0u);
}

TEST_F(CaptureTest, ReportsTheFirstDifferentResultAndStopsWhenAsked) {
    const std::string path = OutputPath("session.orvcap");
    RecordSession(path);
    {
        // The recorder went with its driver: the next one reads files itself.
        RenderDevice* next = LoadPlugin().createPlugin(kernel());
        ASSERT_TRUE(next && next->SetDisplayMode(320, 240, 32, 60, 0, true));
        Texture* badge = next->CreateTextureFromFile("textures/badge.tga", false, false);
        EXPECT_TRUE(badge && next->ReleaseTexture(badge));
        delete next;
    }
    orvplatform::ResetAll();
    // The replay's runtime refuses to present: EndScene answers otherwise.
    orvplatform::FailEveryCall("IDirect3DDevice8::Present", D3DERR_DEVICELOST);
    orvcapture::Player player;
    ASSERT_TRUE(player.Open(path)) << player.Error();
    std::vector<orvcapture::Difference> differences;
    uint64_t firstEndScene = 0;
    bool matched = true;
    orvcapture::ReplayOptions options;
    options.stopAtFirstDifference = true;
    options.onDifference = [&](const orvcapture::Difference& d) { differences.push_back(d); };
    options.onCall = [&](const orvcapture::CallEvent& event) {
        if (event.endsFrame && !firstEndScene) firstEndScene = event.call, matched = event.matched;
    };
    const orvcapture::ReplayOutcome outcome = Replay(player, options);
    orvplatform::ClearFailures();
    EXPECT_EQ(outcome.reason, StopReason::Stopped);
    EXPECT_EQ(outcome.message.rfind("stopped at the first difference: call ", 0), 0u) << outcome.message;
    EXPECT_NE(outcome.message.find("RenderDevice::EndScene"), std::string::npos) << outcome.message;
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0].call, firstEndScene);
    EXPECT_FALSE(matched);
    EXPECT_EQ(differences[0].frame, 0u);
    EXPECT_EQ(differences[0].operation, "RenderDevice::EndScene");
    EXPECT_EQ(differences[0].recorded, "true");
    EXPECT_EQ(differences[0].replayed, "false");
}

TEST_F(CaptureTest, ASessionCutOffMidFrameReplaysToItsLastWholeFrame) {
    const std::string path = OutputPath("crashed.orvcap");
    constexpr int kCrashFrame = 3;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RecordSession(path, kCrashFrame);
        _exit(1);  // not reached: the session ends itself mid-frame
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    orvplatform::ResetAll();
    orvcapture::Player player;
    ASSERT_TRUE(player.Open(path)) << player.Error();
    uint64_t differences = 0;
    orvcapture::ReplayOptions options;
    options.onDifference = [&](const orvcapture::Difference&) { ++differences; };
    const orvcapture::ReplayOutcome outcome = Replay(player, options);
    EXPECT_EQ(outcome.reason, StopReason::CutOff);
    EXPECT_EQ(outcome.frames, unsigned(kCrashFrame));
    EXPECT_EQ(outcome.message, "cut off after frame 3: the session's end is missing");
    EXPECT_EQ(differences, 0u);
}

// Hostile captures: each made from a real one or written record by record.
TEST_F(CaptureTest, RefusesHostileCapturesWithTheirReason) {
    const std::string path = OutputPath("session.orvcap");
    RecordSession(path);
    const std::string good = ReadAll(path);
    ASSERT_GT(good.size(), orvcapture::kHeaderSize + orvcapture::kChunkHeaderSize);

    // A capture whose records after the machine record are `records`.
    auto crafted = [&](const std::string& records) {
        const std::string file = OutputPath("crafted.orvcap");
        {
            orvcapture::CaptureWriter writer;
            EXPECT_TRUE(writer.Open(file.c_str()));
            orvcapture::ValueWriter out(&writer.Pending());
            out.Byte(uint8_t(orvcapture::RecordKind::Machine));
            out.Put(uint32_t{kRendererVersion}), out.Put(uint32_t{64}), out.Put("test");
            writer.Pending() += records;
        }
        return ReadAll(file);
    };
    // A call record: op, object, arguments and results as given.
    auto call = [](Operation op, uint32_t object, const std::string& arguments, unsigned argumentCount,
                   const std::string& results = "", unsigned resultCount = 0) {
        std::string record;
        orvcapture::ValueWriter out(&record);
        out.Byte(uint8_t(orvcapture::RecordKind::Call));
        out.Word16(uint16_t(op));
        out.Word32(object);
        out.Byte(uint8_t(argumentCount));
        record += arguments;
        out.Byte(uint8_t(resultCount));
        record += results;
        return record;
    };
    auto value = [](auto v) {
        std::string bytes;
        orvcapture::ValueWriter(&bytes).Put(v);
        return bytes;
    };
    std::string created;
    {
        orvcapture::ValueWriter out(&created);
        out.Byte(uint8_t(orvcapture::RecordKind::Call));
        out.Word16(uint16_t(Operation::Plugin_Create));
        out.Word32(0);
        out.Byte(0);
        out.Byte(1);
        out.Put(orvcapture::ObjectValue{1, true});
    }
    const std::string texture = value(orvcapture::ObjectValue{7, false});  // an Object argument naming object 7
    // Material 2 made with layer 3; then a call on the layer once it is gone.
    const std::string layered =
        created + call(Operation::Device_CreateMaterial, 1, "", 0, value(orvcapture::ObjectValue{2, true}), 1) +
        call(Operation::Material_AddLayer, 2, "", 0, value(orvcapture::ObjectValue{3, true}), 1);
    const std::string callsLayer = call(Operation::Layer_GetSrcBlend, 3, "", 0);
    // A material file the session opened but did not store (too big): it
    // does not open at replay.
    std::string unstored = call(Operation::Device_CreateMaterial, 1, "", 0, value(orvcapture::ObjectValue{2, true}), 1);
    {
        orvcapture::ValueWriter out(&unstored);
        out.Byte(uint8_t(orvcapture::RecordKind::FileOpen));
        out.Sized("big.xml", 7);
        out.Byte(1);
        out.Word32(0xFFFFFFFFu);
    }
    unstored += call(Operation::Material_LoadFromFile, 2, value("big.xml"), 1);
    std::string huge;  // a text argument claiming 4 GB
    {
        orvcapture::ValueWriter out(&huge);
        out.Byte(uint8_t(orvcapture::ValueTag::Text));
        out.Word32(0xFFFFFFF0u);
    }

    std::string unknownRegion;  // memory of a region past the last one
    {
        orvcapture::ValueWriter out(&unknownRegion);
        out.Byte(uint8_t(orvcapture::RecordKind::Memory));
        out.Word32(1), out.Byte(5), out.Word32(0), out.Word32(0);
        out.Sized("x", 1);
    }
    std::string skippedContent;  // the contents of a second file before those of the first
    {
        orvcapture::ValueWriter out(&skippedContent);
        out.Byte(uint8_t(orvcapture::RecordKind::Content));
        out.Word32(1);
        out.Sized("<a/>", 4);
    }
    std::string otherVersion = good, otherLayout = good, damaged = good;
    otherVersion[sizeof orvcapture::kMagic] ^= 0x7F;
    otherLayout[sizeof orvcapture::kMagic + 4] ^= 0x7F;
    damaged[damaged.size() - 3] ^= 0x55;  // inside the last chunk's stored bytes

    struct Case {
        const char* name;
        std::string file;
        bool opens;
        StopReason reason;
        std::string message;  // the start of Error() or of the outcome's message
    };
    const std::vector<Case> cases = {
        {"other version", otherVersion, false, StopReason::Refused, "capture format version"},
        {"other layout", otherLayout, false, StopReason::Refused, "capture of another interface layout"},
        {"truncated header", good.substr(0, orvcapture::kHeaderSize - 2), false, StopReason::Refused,
         "not a capture: the header is cut short"},
        {"not a capture", std::string(64, 'x'), false, StopReason::Refused, "not a capture: no capture signature"},
        {"chunk header cut short", good.substr(0, orvcapture::kHeaderSize + orvcapture::kChunkHeaderSize / 2), false,
         StopReason::Refused, "chunk header at byte 16 cut short"},
        {"damaged chunk", damaged, true, StopReason::DamagedChunk, "damaged chunk after frame"},
        {"object out of range",
         crafted(created + call(Operation::Device_SetTexture, 1, std::string() + char(1) + std::string(4, '\0') + texture, 2)),
         true, StopReason::Refused, "record refused at call 2: object number 7 is no Texture"},
        {"argument of another kind", crafted(created + call(Operation::Device_GetDisplayModeCount, 1, texture, 1)),
         true, StopReason::Refused, "record refused at call 2: argument 1 missing or of another kind"},
        {"calls an unmade object", crafted(created + call(Operation::Texture_GetWidth, 5, "", 0)), true,
         StopReason::Refused, "record refused at call 2: object number 5 out of range"},
        {"huge text", crafted(created + call(Operation::Device_LoadMaterial, 1, huge, 1)), true, StopReason::Refused,
         "record refused at call 2: a call record is malformed"},
        {"layer of a released material",
         crafted(layered + call(Operation::Device_ReleaseMaterial, 1, value(orvcapture::ObjectValue{2, false}), 1) +
                 callsLayer),
         true, StopReason::Refused, "record refused at call 5: object 3 called after it was destroyed"},
        {"layer removed by its place", crafted(layered + call(Operation::Material_RemoveLayerAt, 2, value(int32_t{0}), 1) + callsLayer),
         true, StopReason::Refused, "record refused at call 5: object 3 called after it was destroyed"},
        {"file not stored", crafted(created + unstored), true, StopReason::End, "end of session"},
        {"a boolean of 2",
         crafted(created + call(Operation::Device_EnableLight, 1, value(uint32_t{0}) + char(orvcapture::ValueTag::Bool) + char(2), 2)),
         true, StopReason::Refused, "record refused at call 2: a call record is malformed"},
        {"the most values a call holds", crafted(created + call(Operation::Device_BeginScene, 1, [&] {
             std::string values;
             for (uint32_t i = 0; i < orvcapture::kMaxValues; ++i) values += value(i);
             return values;
         }(), orvcapture::kMaxValues)),
         true, StopReason::End, "end of session"},
        {"file contents out of order", crafted(created + skippedContent), true, StopReason::Refused,
         "record refused at call 2: file content 1 out of order"},
        {"unknown memory region", crafted(created + unknownRegion), true, StopReason::Refused,
         "record refused at call 2: unknown memory region 5"},
        {"huge value count", crafted(created + call(Operation::Device_BeginScene, 1, "", 250)), true,
         StopReason::Refused, "record refused at call 2: a call record is malformed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        orvcapture::Player player;
        const bool opened = player.OpenMemory(reinterpret_cast<const uint8_t*>(c.file.data()), c.file.size());
        EXPECT_EQ(opened, c.opens) << player.Error();
        if (!opened) {
            EXPECT_EQ(player.Error().rfind(c.message, 0), 0u) << player.Error();
            continue;
        }
        orvplatform::ResetAll();
        const orvcapture::ReplayOutcome outcome = Replay(player, {});
        EXPECT_EQ(outcome.reason, c.reason) << outcome.message;
        EXPECT_EQ(outcome.message.rfind(c.message, 0), 0u) << outcome.message;
    }
}

// A capture in memory that ends inside the chunk its header announces is
// refused before room is made for the chunk's bytes.
TEST(CaptureReading, AChunkCutShortIsRefusedBeforeRoomIsMadeForIt) {
    constexpr uint32_t kClaimed = 48u << 20, kRaw = 1024;
    std::string file(orvcapture::kMagic, sizeof orvcapture::kMagic);
    orvcapture::ValueWriter out(&file);
    out.Word32(orvcapture::kFormatVersion), out.Word32(orvcapture::kLayoutVersion);
    for (uint32_t word : {orvcapture::kChunkMagic, 0u, kClaimed, kRaw, 0u}) out.Word32(word);
    file += std::string(10, 'x');
    orvcapture::Player player;
    bool opened = true;
    size_t largest = 0;
    {
        orvtest::AllocationProbe probe;
        opened = player.OpenMemory(reinterpret_cast<const uint8_t*>(file.data()), file.size());
        largest = probe.Largest();
    }
    EXPECT_FALSE(opened);
    EXPECT_EQ(player.Error(), "chunk at byte 16 cut short");
    EXPECT_LT(largest, size_t{1} << 20);
}

}  // namespace
