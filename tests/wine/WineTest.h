// One check of the Wine suite: the plug-in loaded and driven as the host does,
// on the real runtime, in a directory of its own under the program's --out
// (the kernel's log, log.txt, and pictures of what the screen showed,
// NAME.bmp and .png). Every check ends with no failure logged.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "WineSuite.h"
#include "host/Kernel.h"
#include "host/RenderDevice.h"
#include "orvhostImage.h"
#include "orvhostRenderer.h"

namespace winesuite {

class WineTest : public ::testing::Test {
public:
    static std::string s_OutputRoot;

protected:
    void SetUp() override;
    void TearDown() override;

    RenderDevice* Device() const { return m_pRenderer->Device(); }
    Kernel& GetKernel() { return *m_pKernel; }
    std::string PathOf(const std::string& name) const;
    // Destroys the renderer now, as the host does at its end.
    void DestroyRenderer() { m_pRenderer->Destroy(); }

    // The 640 x 480 windowed mode; false when it was not set.
    bool OpenWindowed();
    // Draws `frames` frames cleared (colour and depth) to `clear`, each with
    // `draw` between BeginScene and EndScene, or without it every line of
    // kLines; false when a frame operation or `draw` failed.
    bool DrawFrames(const Rgb& clear, int frames, const std::function<bool(RenderDevice*)>& draw = nullptr);
    // The window's client area as the screen shows it, saved as NAME.bmp and .png.
    bool Capture(const char* name, orvhost::Image* image);
    // Two such frames and their picture NAME; expects that they drew and,
    // unless `triangles` is negative, that the scene counted `triangles`.
    orvhost::Image Frame(const char* name, const Rgb& clear,
                         const std::function<bool(RenderDevice*)>& draw = nullptr, int triangles = -1);
    // Every pixel of `image` outside the boxes of kLines (measured with a
    // font made as the debug font is) is `clear`, and each box holds light
    // pixels of text.
    void ExpectLinesPrinted(const orvhost::Image& image, const Rgb& clear);

private:
    std::string m_Directory;
    std::unique_ptr<Kernel> m_pKernel;
    std::unique_ptr<orvhost::Renderer> m_pRenderer;
};

}  // namespace winesuite
