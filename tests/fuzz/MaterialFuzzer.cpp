// Material description files through the driver, as a host uses a material:
// loaded from the file, made current, drawn with (a small triangle from a
// vertex buffer and one from memory, in a frame), saved and read back, and
// released; once on each fuzzing adapter. The hosts have loaded the example
// materials first, so layers naming the example textures find them in the
// registry. Nothing stays alive.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzHost.h"
#include "FuzzSupport.h"
#include "host/Material.h"
#include "host/Matrix3D.h"
#include "host/VertexBuffer.h"

namespace {

struct Scene {
    orvfuzz::FuzzHost* host = nullptr;
    VertexBuffer* triangle = nullptr;
};

struct Hosts {
    Scene scene[orvfuzz::kAdapterCount];
    orvfuzz::LiveObjects baseline;
};

// A triangle a few pixels wide near the middle of the display, with texture
// coordinates across the whole texture, in every vertex's three pairs.
std::vector<Vertex> SmallTriangle() {
    std::vector<Vertex> vertices(3);
    const float corners[3][4] = {{0.0f, 0.0f, 0.0f, 0.0f},
                                 {0.05f, 0.0f, 1.0f, 0.0f},
                                 {0.0f, 0.05f, 0.0f, 1.0f}};
    for (size_t i = 0; i < vertices.size(); ++i) {
        Vertex& vertex = vertices[i];
        vertex.position = Vector3D(corners[i][0], corners[i][1], 0.5f);
        vertex.normal = Vector3D(0.0f, 0.0f, -1.0f);
        vertex.diffuse = 0xFF808080u;
        vertex.u0 = vertex.u1 = vertex.u2 = corners[i][2];
        vertex.v0 = vertex.v1 = vertex.v2 = corners[i][3];
    }
    return vertices;
}

// The example materials of the build, as the demo host loads them.
std::vector<std::string> ExampleMaterials() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(ORV_EXAMPLES_DIR, error))
        if (entry.path().extension() == ".xml") names.push_back(entry.path().filename().string());
    if (names.empty()) orvfuzz::Fail("the example materials are built");
    return names;
}

Hosts& MakeHosts() {
    static Hosts* hosts = [] {
        orvfuzz::ConfigurePlatform();
        Hosts* made = new Hosts;
        const std::vector<Vertex> triangle = SmallTriangle();
        Matrix3D identity;
        identity.SetIdentity();
        for (unsigned adapter = 0; adapter < orvfuzz::kAdapterCount; ++adapter) {
            Scene& scene = made->scene[adapter];
            scene.host = new orvfuzz::FuzzHost(adapter, ORV_EXAMPLES_DIR);
            RenderDevice* driver = scene.host->Driver();
            for (const std::string& example : ExampleMaterials())
                if (!driver->LoadMaterial(example.c_str()))
                    orvfuzz::Fail("the example materials load");
            driver->SetWorldMatrix(&identity);
            driver->SetViewMatrix(&identity);
            driver->SetProjectionMatrix(&identity);
            scene.triangle = driver->CreateVertexBuffer(3, false, false);
            if (!scene.triangle) orvfuzz::Fail("a vertex buffer");
            std::copy(triangle.begin(), triangle.end(), scene.triangle->GetVertices());
            if (!scene.triangle->Upload()) orvfuzz::Fail("the vertex buffer uploads");
        }
        made->scene[orvfuzz::kPlainAdapter].host->Driver()->SetTextureBitDepth(16);
        made->baseline = orvfuzz::CountLiveObjects();
        return made;
    }();
    return *hosts;
}

void Draw(const Scene& scene, Material* material) {
    RenderDevice* driver = scene.host->Driver();
    if (!driver->SetMaterial(material)) orvfuzz::Fail("a loaded material can be made current");
    driver->SetVertexBuffer(scene.triangle);
    driver->BeginScene();
    driver->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1);
    driver->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, scene.triangle->GetVertices());
    driver->EndScene();
    driver->SetMaterial(nullptr);
    scene.host->ForgetDraws();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    MakeHosts();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Hosts& hosts = MakeHosts();
    const std::string path = orvfuzz::WriteScratchFile("input.xml", data, size);
    const std::string saved = orvfuzz::ScratchDirectory() + "/saved.xml";
    for (const Scene& scene : hosts.scene) {
        RenderDevice* driver = scene.host->Driver();
        Material* material = driver->LoadMaterial(path.c_str());
        if (!material) continue;
        Draw(scene, material);
        // What the writer makes of a material, the reader takes back.
        if (!material->SaveToFile(saved.c_str())) orvfuzz::Fail("a loaded material can be saved");
        Material* again = driver->LoadMaterial(saved.c_str());
        if (!again) orvfuzz::Fail("a saved material loads");
        if (again->GetLayerCount() != material->GetLayerCount())
            orvfuzz::Fail("a saved material has its layers");
        Draw(scene, again);
        driver->ReleaseMaterial(again);
        driver->ReleaseMaterial(material);
    }
    orvfuzz::RequireNothingLeft(hosts.baseline, "a material file");
    return 0;
}
