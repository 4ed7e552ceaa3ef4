#include "PluginHarness.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace orvtest {

namespace {

// ctest runs the tests of one program side by side, each in a process of its
// own: every process writes into a directory of its own, removed when its
// test ends, so that equal file names never meet.
std::string ProcessOutputDirectory() {
    return std::string(ORV_SUPPORT_OUTPUT_DIR) + "/p" + std::to_string(getpid());
}

}  // namespace

const PluginLibrary& LoadPlugin() {
    static const PluginLibrary library = [] {
        PluginLibrary loaded;
        loaded.handle = dlopen(ORVD3D_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (loaded.handle) loaded.createPlugin = reinterpret_cast<CreatePluginFunction>(dlsym(loaded.handle, "CreatePlugin"));
        return loaded;
    }();
    return library;
}

void PluginTest::SetUp() {
    orvplatform::ResetAll();
    m_pKernel = std::make_unique<Kernel>(nullptr, false);
    m_pKernel->SetCapture(true);
    const PluginLibrary& library = LoadPlugin();
    ASSERT_NE(library.handle, nullptr) << dlerror();
    ASSERT_NE(library.createPlugin, nullptr);
}

void PluginTest::TearDown() {
    for (RenderDevice* device : m_Devices) delete device;
    m_Devices.clear();
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 0u) << [] {
        std::string all;
        for (const std::string& object : orvd3d8::LiveObjectDescriptions()) all += object + "\n";
        return all;
    }();
    m_pKernel.reset();
    std::error_code ignored;
    std::filesystem::remove_all(ProcessOutputDirectory(), ignored);
}

size_t PluginTest::LiveObjects(const char* prefix) {
    const std::vector<std::string> objects = orvd3d8::LiveObjectDescriptions();
    return static_cast<size_t>(
        std::count_if(objects.begin(), objects.end(), [prefix](const std::string& o) { return o.rfind(prefix, 0) == 0; }));
}

std::string PluginTest::OutputPath(const std::string& name) {
    const std::string directory = ProcessOutputDirectory();
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    return directory + "/" + name;
}

}  // namespace orvtest
