// One scenario of the Wine suite: a host-driven run of the plug-in on the
// real runtime that leaves, in its own directory, the kernel's log (log.txt),
// the facts it observed (facts.txt, one "key value" line each) and pictures
// of what the screen showed (NAME.bmp, with NAME.png beside it).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "host/Kernel.h"
#include "host/RenderDevice.h"
#include "WineSuite.h"
#include "orvhostRenderer.h"

namespace winesuite {

class Scenario {
public:
    explicit Scenario(const std::string& directory);
    ~Scenario();
    Scenario(const Scenario&) = delete;
    Scenario& operator=(const Scenario&) = delete;

    // False (with the reason on standard error) when the plug-in did not load.
    bool Loaded() const { return m_bLoaded; }
    RenderDevice* Device() const { return m_Renderer.Device(); }
    Kernel& GetKernel() { return m_Kernel; }

    void Fact(const char* key, const std::string& value);
    void Fact(const char* key, long long value) { Fact(key, std::to_string(value)); }

    // Draws `frames` frames cleared (colour and depth) to `clear`, each with
    // `draw` between BeginScene and EndScene, or without it every line of
    // kLines; false when a frame operation or `draw` failed.
    bool DrawFrames(const Rgb& clear, int frames,
                    const std::function<bool(RenderDevice*)>& draw = nullptr);
    // Two such frames, then the facts frames.NAME (they drew), triangles.NAME
    // (the scene's count) and captured.NAME (the picture NAME was taken).
    void Frame(const char* name, const Rgb& clear, const std::function<bool(RenderDevice*)>& draw = nullptr);
    // The debug font's extents, from a font made the same way: the facts
    // font.height and line.N (the width of kLines[N]); false without a font.
    bool FactLineExtents();
    // The window's client area as the screen shows it, as NAME.bmp and .png.
    bool Capture(const char* name);
    std::string PathOf(const char* name) const;
    // Destroys the renderer now, as the host does at its end.
    void DestroyRenderer() { m_Renderer.Destroy(); }

private:
    std::string m_Directory;
    Kernel m_Kernel;
    orvhost::Renderer m_Renderer;
    std::FILE* m_pFacts;
    bool m_bLoaded;
};

// Writes `bytes` into the file `path`; false when any of it was not written.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

using ScenarioFunction = void (*)(Scenario& scenario);

// Registers a scenario by name at start-up.
struct ScenarioRegistration {
    ScenarioRegistration(const char* name, ScenarioFunction function);
};

#define WINE_SCENARIO(name)                                                      \
    static void Scenario_##name(winesuite::Scenario& scenario);                  \
    static const winesuite::ScenarioRegistration kRegistration_##name(#name,     \
                                                                      Scenario_##name); \
    static void Scenario_##name(winesuite::Scenario& scenario)

}  // namespace winesuite
