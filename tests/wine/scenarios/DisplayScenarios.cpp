// The display's life on the real runtime: adapters and modes, the windowed
// switch, the frame with text, the dumps and a screenshot, ResetDevice,
// CloseDisplay and a second mode, and shutdown.
#include <windows.h>

#include <string>

#include "Scenario.h"
#include "WineSuite.h"
#include "host/Window.h"

namespace {

using namespace winesuite;

bool SetWindowed(Scenario& scenario, unsigned width, unsigned height) {
    const std::string prefix = "display." + std::to_string(width);
    const bool set = scenario.Device()->SetDisplayMode(width, height, 32, 60, 0, true);
    Window* window = scenario.GetKernel().m_pWindow;
    scenario.Fact((prefix + ".set").c_str(), set);
    scenario.Fact((prefix + ".client").c_str(),
                  std::to_string(window->GetWidth()) + "x" + std::to_string(window->GetHeight()));
    return set;
}

}  // namespace

WINE_SCENARIO(display) {
    RenderDevice* device = scenario.Device();
    scenario.Fact("adapters", device->GetAdapterCount());
    AdapterInfo info;
    scenario.Fact("adapter.info", device->GetAdapterInfo(0, &info) && !info.description.IsEmpty());
    const unsigned modes = device->GetDisplayModeCount(0);
    scenario.Fact("modes", modes);
    for (unsigned index = 0; index <= modes; ++index) {
        DisplayMode mode{};
        scenario.Fact(("mode." + std::to_string(index)).c_str(),
                      !device->GetDisplayModeInfo(0, index, &mode)
                          ? std::string("none")
                          : std::to_string(mode.width) + "x" + std::to_string(mode.height) + " " +
                                std::to_string(mode.bitsPerPixel) + " " +
                                std::to_string(mode.windowed));
    }

    if (!SetWindowed(scenario, kWidth, kHeight)) return;
    if (!scenario.FactLineExtents()) return;

    scenario.Frame("presented", kFrameClear);
    scenario.Fact("dumps", device->DumpRenderStates() && device->DumpTextureStageStates(0));
    scenario.Fact("screenshot", device->SaveScreenShot(scenario.PathOf("screenshot.bmp").c_str()));

    scenario.Fact("reset", device->ResetDevice() && scenario.DrawFrames(kResetClear, 2) &&
                               scenario.Capture("after-reset"));

    scenario.Fact("close", device->CloseDisplay());
    scenario.Fact("screenshot.closed", device->SaveScreenShot(scenario.PathOf("closed.bmp").c_str()));
    scenario.Fact("reset.closed", device->ResetDevice());
    if (!SetWindowed(scenario, kSecondWidth, kSecondHeight)) return;
    scenario.Fact("second", scenario.DrawFrames(kSecondModeClear, 2) && scenario.Capture("second"));

    scenario.Fact("shutdown", device->Shutdown() && device->Shutdown());
    scenario.DestroyRenderer();
    scenario.Fact("window.alive", IsWindow(scenario.GetKernel().m_pWindow->GetHWND()) != FALSE);
}
