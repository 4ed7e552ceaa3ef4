// Adapters and modes, the windowed display switch, the frame cycle with text,
// the state dumps and screenshots, device reset, a second mode after
// CloseDisplay, and shutdown: the host-driven runs a real runtime can make.
#include <windows.h>

#include <string>

#include "Scenario.h"
#include "WineSuite.h"
#include "host/Font.h"
#include "host/Window.h"

namespace {

using winesuite::Scenario;

bool SetWindowed(Scenario& scenario, unsigned width, unsigned height) {
    const bool set = scenario.Device()->SetDisplayMode(width, height, 32, 60, 0, true);
    const std::string prefix = "display." + std::to_string(width) + "x" + std::to_string(height);
    scenario.Fact((prefix + ".set").c_str(), set);
    Window* window = scenario.GetKernel().m_pWindow;
    scenario.Fact((prefix + ".client").c_str(),
                  std::to_string(window->GetWidth()) + "x" + std::to_string(window->GetHeight()));
    return set;
}

}  // namespace

WINE_SCENARIO(adapters) {
    RenderDevice* device = scenario.Device();
    const unsigned adapters = device->GetAdapterCount();
    scenario.Fact("adapters", adapters);
    for (unsigned adapter = 0; adapter < adapters; ++adapter) {
        const std::string prefix = "adapter." + std::to_string(adapter);
        AdapterInfo info;
        scenario.Fact((prefix + ".info").c_str(), device->GetAdapterInfo(adapter, &info));
        scenario.Fact((prefix + ".description").c_str(), info.description.c_str());
        const unsigned modes = device->GetDisplayModeCount(adapter);
        scenario.Fact((prefix + ".modes").c_str(), modes);
        for (unsigned index = 0; index <= modes; ++index) {
            DisplayMode mode{};
            const bool found = device->GetDisplayModeInfo(adapter, index, &mode);
            scenario.Fact((prefix + ".mode." + std::to_string(index)).c_str(),
                          !found ? std::string("none")
                                 : std::to_string(mode.width) + "x" + std::to_string(mode.height) +
                                       " " + std::to_string(mode.bitsPerPixel) + " " +
                                       std::to_string(mode.refreshRate) + " " +
                                       std::to_string(mode.windowed));
        }
    }
}

WINE_SCENARIO(frame) {
    RenderDevice* device = scenario.Device();
    if (!SetWindowed(scenario, winesuite::kWidth, winesuite::kHeight)) return;

    // The debug font's metrics, from a font made the same way.
    Font* font = device->CreateTextFont("Arial", 12, true, false);
    scenario.Fact("font.made", font != nullptr);
    if (font) {
        scenario.Fact("font.height", font->GetTextHeight());
        for (int i = 0; i < winesuite::kLineCount; ++i)
            scenario.Fact(("line." + std::to_string(i) + ".width").c_str(),
                          font->GetTextWidth("%s", winesuite::kLines[i].text));
        device->DestroyTextFont(font);
    }

    scenario.Fact("frames", scenario.DrawFrames(winesuite::kFrameClear, 2));
    scenario.Fact("triangles", device->GetTriangleCount());
    scenario.Fact("captured", scenario.Capture("presented"));
    scenario.Fact("dump.render", device->DumpRenderStates());
    scenario.Fact("dump.stage0", device->DumpTextureStageStates(0));
    scenario.Fact("screenshot", device->SaveScreenShot(scenario.PathOf("screenshot.bmp").c_str()));
}

WINE_SCENARIO(reset) {
    RenderDevice* device = scenario.Device();
    if (!SetWindowed(scenario, winesuite::kWidth, winesuite::kHeight)) return;
    scenario.Fact("frames.before", scenario.DrawFrames(winesuite::kFrameClear, 1));
    scenario.Fact("reset", device->ResetDevice());
    scenario.Fact("frames.after", scenario.DrawFrames(winesuite::kResetClear, 2));
    scenario.Fact("captured", scenario.Capture("after-reset"));
}

WINE_SCENARIO(second_mode) {
    RenderDevice* device = scenario.Device();
    if (!SetWindowed(scenario, winesuite::kWidth, winesuite::kHeight)) return;
    scenario.Fact("frames.first", scenario.DrawFrames(winesuite::kFrameClear, 1));
    scenario.Fact("close", device->CloseDisplay());
    scenario.Fact("screenshot.closed",
                  device->SaveScreenShot(scenario.PathOf("closed.bmp").c_str()));
    scenario.Fact("reset.closed", device->ResetDevice());
    if (!SetWindowed(scenario, winesuite::kSecondWidth, winesuite::kSecondHeight)) return;
    scenario.Fact("frames.second", scenario.DrawFrames(winesuite::kSecondModeClear, 2));
    scenario.Fact("captured", scenario.Capture("second"));
}

WINE_SCENARIO(shutdown) {
    RenderDevice* device = scenario.Device();
    if (!SetWindowed(scenario, winesuite::kWidth, winesuite::kHeight)) return;
    scenario.Fact("frames", scenario.DrawFrames(winesuite::kFrameClear, 1));
    scenario.Fact("shutdown.first", device->Shutdown());
    scenario.Fact("shutdown.second", device->Shutdown());
    scenario.DestroyRenderer();
    scenario.Fact("window.alive", IsWindow(scenario.GetKernel().m_pWindow->GetHWND()) != FALSE);
}
