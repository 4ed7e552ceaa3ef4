// A small host: loads the renderer plug-in the way the engine does, lists
// what it reports, switches to a 640 x 480 window, draws a few frames with
// lines of text, dumps the device state to the log and saves a screenshot.
//
//   orvhost [--out DIRECTORY] [--frames N]
#include <dlfcn.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/Kernel.h"
#include "host/RenderDevice.h"
#include "host/ScreenQuad.h"

namespace {

struct Options {
    std::string outDirectory = "out";
    int frames = 3;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--out" && i + 1 < argc) {
            options->outDirectory = argv[++i];
        } else if (argument == "--frames" && i + 1 < argc) {
            options->frames = std::atoi(argv[++i]);
            if (options->frames < 1) return false;
        } else {
            return false;
        }
    }
    return true;
}

// The plug-in sits in the library directory beside this program's own.
std::string PluginPath() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return ORVD3D_LIBRARY_NAME;
    self[length] = '\0';
    std::string directory(self);
    directory.erase(directory.rfind('/'));
    return directory + "/../lib/" ORVD3D_LIBRARY_NAME;
}

// The renderer as the host holds it: created by the plug-in, destroyed
// through its virtual destructor before the library goes.
class Renderer {
public:
    explicit Renderer(Kernel* kernel) : m_pKernel(kernel) {}
    ~Renderer() {
        delete m_pDevice;
        if (m_pLibrary) dlclose(m_pLibrary);
    }
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    bool Load(const std::string& path) {
        m_pLibrary = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_pLibrary) {
            std::fprintf(stderr, "orvhost: cannot load %s: %s\n", path.c_str(), dlerror());
            return false;
        }
        auto version = reinterpret_cast<GetRendererVersionFunction>(
            dlsym(m_pLibrary, "GetRendererVersion"));
        auto create = reinterpret_cast<CreatePluginFunction>(dlsym(m_pLibrary, "CreatePlugin"));
        if (!version || !create) {
            std::fprintf(stderr, "orvhost: %s lacks the renderer exports\n", path.c_str());
            return false;
        }
        m_Version = version();
        m_pDevice = create(m_pKernel);
        if (!m_pDevice) std::fprintf(stderr, "orvhost: the plug-in could not create a renderer\n");
        return m_pDevice != nullptr;
    }

    RenderDevice* operator->() const { return m_pDevice; }
    unsigned long Version() const { return m_Version; }

private:
    Kernel* m_pKernel;
    void* m_pLibrary = nullptr;
    RenderDevice* m_pDevice = nullptr;
    unsigned long m_Version = 0;
};

void ListAdapters(Renderer& renderer) {
    const unsigned adapters = renderer->GetAdapterCount();
    for (unsigned adapter = 0; adapter < adapters; ++adapter) {
        AdapterInfo info;
        if (!renderer->GetAdapterInfo(adapter, &info)) continue;
        std::printf("Adapter %u: %s\n", info.adapter, info.description.c_str());
        const unsigned modes = renderer->GetDisplayModeCount(adapter);
        for (unsigned index = 0; index < modes; ++index) {
            DisplayMode mode;
            if (renderer->GetDisplayModeInfo(adapter, index, &mode))
                std::printf("  mode %2u: %4u x %4u, %2u bpp, %u Hz\n", index, mode.width,
                            mode.height, mode.bitsPerPixel, mode.refreshRate);
        }
    }
}

bool DrawFrames(Renderer& renderer, int frames) {
    for (int frame = 0; frame < frames; ++frame) {
        const float shade = static_cast<float>(frame + 1) / static_cast<float>(frames);
        renderer->SetClearColor(renderer->ToD3DColor(Color(0.1f, 0.2f * shade, 0.4f * shade, 1.0f)));
        if (!renderer->BeginScene()) return false;
        renderer->Clear(true, true, false);
        // A half-transparent screen quad beside the text, with no texture on stage 0.
        ScreenQuad* quad = renderer->CreateScreenQuad(RECT{420, 20, 620, 140}, 0xC0FF8020);
        renderer->SetTexture(0, nullptr);
        renderer->RenderScreenQuad(quad);
        renderer->DestroyScreenQuad(quad);
        renderer->PrintText(10, 10, "ORVD3D renderer version %lu", renderer.Version());
        renderer->PrintText(10, 30, "Frame %d of %d: 640 x 480, windowed", frame + 1, frames);
        renderer->PrintText(10, 50, "Triangles last frame: %u, text at 100%%",
                            renderer->GetTriangleCount());
        if (!renderer->EndScene()) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: orvhost [--out DIRECTORY] [--frames N]\n");
        return 2;
    }
    mkdir(options.outDirectory.c_str(), 0755);
    const std::string logPath = options.outDirectory + "/orvhost.log";
    const std::string shotPath = options.outDirectory + "/screenshot.bmp";
    std::remove(shotPath.c_str());

    Kernel kernel(logPath.c_str(), false);
    Renderer renderer(&kernel);
    if (!renderer.Load(PluginPath())) return 1;
    std::printf("Renderer version: %lu\n", renderer.Version());
    ListAdapters(renderer);

    if (!renderer->SetDisplayMode(640, 480, 32, 60, 0, true)) {
        std::fprintf(stderr, "orvhost: the display could not be set; see %s\n", logPath.c_str());
        return 1;
    }
    std::printf("Display set: 640 x 480 windowed\n");
    const bool drawn = DrawFrames(renderer, options.frames);
    renderer->DumpRenderStates();
    renderer->DumpTextureStageStates(0);
    const bool saved = renderer->SaveScreenShot(shotPath.c_str());

    std::printf("Frames drawn: %s\n", drawn ? "yes" : "no (see the log)");
    std::printf("Log: %s\n", logPath.c_str());
    if (saved) std::printf("Screenshot: %s\n", shotPath.c_str());
    else std::printf("Screenshot: not saved (see the log)\n");
    return drawn && saved ? 0 : 1;
}
