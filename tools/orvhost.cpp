// A small host, and an example of what a host does with the renderer
// plug-in, step by step (see main): make the kernel, load the plug-in and
// create its renderer, choose and set a display mode, load materials and
// textures through the renderer, draw frames, and give everything back in
// the reverse order. The demo scene is a lit, textured torus turning,
// textured and translucent screen quads and debug text; at the end the
// device state goes to the log and a screenshot is saved. It runs on Windows
// (the system's Direct3D 8) and on Linux (the stand-ins, which draw the
// quads and the text but not the transformed torus).
//
//   orvhost [--out DIRECTORY] [--frames N] [--examples DIRECTORY]
//           [--save-frames A-B] [--journal FILE]
//
// The scene's material and textures come from the example materials, which
// the build puts beside the program (see ExamplesPath). Writes
// DIRECTORY/orvhost.log, the plug-in's screenshot (screenshot.bmp and .png)
// and the window's client area as the screen shows it after the last frame
// (presented.bmp and .png). --save-frames also saves what the window
// presented at the end of each of frames A to B (from 0) as
// DIRECTORY/frames/frame-NNNN.png, the pictures a replay of the session
// compares with (orvreplay --against). --journal (Linux) writes the Direct3D
// calls the plug-in made on the stand-in runtime into FILE, frame by frame.
// With ORVD3D_CAPTURE=PATH in the environment the plug-in records the
// session into PATH (see orvreplay).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/FileSystem.h"
#include "host/Kernel.h"
#include "host/RenderDevice.h"
#include "host/Window.h"
#include "orvhostCallJournal.h"
#include "orvhostFrames.h"
#include "orvhostPlatform.h"
#include "orvhostRenderer.h"
#include "orvhostScene.h"

namespace {

constexpr unsigned kWidth = 640;
constexpr unsigned kHeight = 480;
// About 30 frames a second, so that the animated texture is seen to play.
constexpr unsigned kFramePause = 30;

struct Options {
    std::string outDirectory = "out";
    std::string examplesDirectory = orvhost::ExamplesPath();
    int frames = 72;
    orvhost::FrameRange savedFrames;
    std::string journalPath;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--out" && i + 1 < argc) {
            options->outDirectory = argv[++i];
        } else if (argument == "--examples" && i + 1 < argc) {
            options->examplesDirectory = argv[++i];
        } else if (argument == "--frames" && i + 1 < argc) {
            options->frames = std::atoi(argv[++i]);
            if (options->frames < 1) return false;
        } else if (argument == "--save-frames" && i + 1 < argc) {
            if (!options->savedFrames.Parse(argv[++i])) return false;
        } else if (argument == "--journal" && i + 1 < argc) {
            options->journalPath = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

// What a host would choose a display mode from.
void ListAdapters(orvhost::Renderer& renderer) {
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

// What is kept of each frame besides the screen: its picture and the
// Direct3D calls it made.
struct FrameRecords {
    orvhost::FrameRange pictures;
    std::string pictureDirectory;
    orvhost::CallJournalFile* journal = nullptr;
};

bool DrawFrames(orvhost::Scene& scene, Window* window, int frames, const FrameRecords& records) {
    std::vector<std::string> calls;
    orvhost::PresentedFrames pictures(window->GetHWND(), records.pictureDirectory);
    for (int frame = 0; frame < frames; ++frame) {
        // The window answers its messages between frames, or the system
        // takes it for hung.
        window->PumpMessages();
        if (frame == records.pictures.first && !records.pictures.Empty()) pictures.Start(frame);
        if (!scene.DrawFrame(frame, frames)) return false;
        if (records.pictures.Contains(frame)) {
            window->PumpMessages();
            if (!pictures.Save(frame))
                std::fprintf(stderr, "orvhost: frame %d could not be saved\n", frame);
        }
        if (records.journal && orvhost::TakeDirect3DCalls(&calls)) {
            records.journal->Append("frame " + std::to_string(frame), calls);
            calls.clear();
        }
        if (frame + 1 < frames) orvhost::PauseMilliseconds(kFramePause);
    }
    window->PumpMessages();
    return true;
}

// The plug-in's bitmap, also as PNG.
bool ConvertToPng(const std::string& bitmapPath, const std::string& pngPath) {
    orvhost::Image image;
    return orvhost::ReadBitmap(bitmapPath, &image) && orvhost::WritePng(pngPath, image);
}

bool SavePresented(Window* window, const std::string& bitmapPath, const std::string& pngPath) {
    orvhost::Image image;
    return orvhost::CaptureClientArea(window->GetHWND(), &image) &&
           orvhost::WriteBitmap(bitmapPath, image) && orvhost::WritePng(pngPath, image);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr,
                     "usage: orvhost [--out DIRECTORY] [--frames N] [--examples DIRECTORY]\n"
                     "               [--save-frames A-B] [--journal FILE]\n");
        return 2;
    }
    if (!orvhost::MakeDirectory(options.outDirectory)) {
        std::fprintf(stderr, "orvhost: cannot make %s\n", options.outDirectory.c_str());
        return 1;
    }
    const auto output = [&options](const char* name) {
        return orvhost::JoinPath(options.outDirectory, name);
    };
    const std::string logPath = output("orvhost.log");
    const std::string shotPath = output("screenshot.bmp");
    std::remove(shotPath.c_str());

    FrameRecords records;
    records.pictures = options.savedFrames;
    records.pictureDirectory = output("frames");
    if (!records.pictures.Empty() && !orvhost::MakeDirectory(records.pictureDirectory)) {
        std::fprintf(stderr, "orvhost: cannot make %s\n", records.pictureDirectory.c_str());
        return 1;
    }
    // The stand-in runtime of the Linux build records every call for tests;
    // a host that runs for long switches that off, unless it keeps the
    // calls, which it then takes from the journal frame by frame.
    orvhost::CallJournalFile journal;
    std::vector<std::string> calls;
    if (options.journalPath.empty()) {
        orvhost::StopCallJournal();
    } else if (!orvhost::TakeDirect3DCalls(&calls)) {
        std::fprintf(stderr, "orvhost: --journal: this runtime keeps no journal of its calls\n");
        return 2;
    } else if (!journal.Open(options.journalPath)) {
        std::fprintf(stderr, "orvhost: cannot write %s\n", options.journalPath.c_str());
        return 1;
    } else {
        records.journal = &journal;
    }

    // 1. The kernel: the plug-in logs, opens files and finds the application
    //    window through it, so it exists before the plug-in and outlives it.
    Kernel kernel(logPath.c_str(), false);
    // 2. The plug-in: its version says which RenderDevice layout it
    //    implements; CreatePlugin hands back the renderer (null without
    //    Direct3D 8).
    orvhost::Renderer renderer(&kernel);
    if (!renderer.Load(orvhost::PluginPath())) return 1;
    std::printf("Renderer version: %lu\n", renderer.Version());
    // 3. A display mode from those the adapters offer: here a 640 x 480
    //    window, which needs no full-screen mode. Setting it creates the
    //    device, and nothing can be drawn or loaded before.
    ListAdapters(renderer);
    if (!renderer->SetDisplayMode(kWidth, kHeight, 32, 60, 0, true)) {
        std::fprintf(stderr, "orvhost: the display could not be set; see %s\n", logPath.c_str());
        return 1;
    }
    std::printf("Display set: %u x %u windowed\n", kWidth, kHeight);

    // 4. Materials and textures, made by the renderer, which shares them by
    //    file name. The example materials name their textures relative to
    //    their own directory, and file names go through the kernel's file
    //    system.
    kernel.m_pFileSystem->SetBaseDirectory(options.examplesDirectory.c_str());
    orvhost::Scene scene(renderer.Device(), renderer.Version());
    if (!scene.Load()) {
        std::fprintf(stderr, "orvhost: the scene could not be loaded from %s\n",
                     options.examplesDirectory.c_str());
        return 1;
    }
    std::printf("Scene loaded from %s\n", options.examplesDirectory.c_str());
    // 5. The frames (Scene::DrawFrame shows what one frame does, in order).
    const bool drawn = DrawFrames(scene, kernel.m_pWindow, options.frames, records);
    // 6. Diagnostics: the device state to the log, and a screenshot.
    renderer->DumpRenderStates();
    renderer->DumpTextureStageStates(0);
    const bool saved = renderer->SaveScreenShot(shotPath.c_str());
    const bool presented =
        SavePresented(kernel.m_pWindow, output("presented.bmp"), output("presented.png"));
    // 7. Everything the renderer made goes back to it while it still exists;
    //    the renderer itself is deleted before its library is unloaded (the
    //    Renderer's destructor), and the kernel goes last.
    scene.Release();
    renderer.Destroy();
    bool journalled = true;
    if (records.journal) {
        calls.clear();
        orvhost::TakeDirect3DCalls(&calls);
        journal.Append("end", calls);
        journalled = journal.Close();
        std::printf("Direct3D calls: %s%s\n", options.journalPath.c_str(),
                    journalled ? "" : " (not all written)");
    }

    std::printf("Frames drawn: %s\n", drawn ? "yes" : "no (see the log)");
    std::printf("Log: %s\n", logPath.c_str());
    if (saved && ConvertToPng(shotPath, output("screenshot.png")))
        std::printf("Screenshot: %s and %s\n", shotPath.c_str(), output("screenshot.png").c_str());
    else if (saved)
        std::printf("Screenshot: %s\n", shotPath.c_str());
    else
        std::printf("Screenshot: not saved (see the log)\n");
    if (presented)
        std::printf("Presented frame: %s and %s\n", output("presented.bmp").c_str(),
                    output("presented.png").c_str());
    else
        std::printf("Presented frame: the screen could not be read\n");
    return drawn && saved && journalled ? 0 : 1;
}
