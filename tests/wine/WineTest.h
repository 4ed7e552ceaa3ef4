// One check of the Wine suite: the plug-in loaded and driven as the host does,
// on the real runtime, in a directory of its own under the program's --out
// (the kernel's log, log.txt, and pictures of what the screen showed,
// NAME.bmp and .png). Every check ends with no failure logged.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Scene.h"
#include "host/Kernel.h"
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
    bool OpenWindowed() { return Device()->SetDisplayMode(kWidth, kHeight, 32, 60, 0, true); }

    // Made by the device and given back when the check ends (the buffers
    // unbound first), each expected to go; null when it was not made.
    VertexBuffer* Buffer(const std::vector<Vertex>& vertices, bool dynamic = false);
    ScreenQuad* Quad(const RECT& rect, unsigned colour);
    Material* Held(Material* material);
    Texture* Held(Texture* texture);

    // Two frames cleared (colour and depth) to `clear`, each with `draw`
    // between BeginScene and EndScene, or without it every line of kLines,
    // and the window's client area as the screen then shows it, saved as
    // NAME.bmp and .png. Expects that they drew and, unless `triangles` is
    // negative, that the scene counted `triangles`.
    orvhost::Image Frame(const char* name, const Rgba& clear,
                         const std::function<bool(RenderDevice*)>& draw = nullptr, int triangles = -1);
    // Every pixel of `image` outside the boxes of kLines (measured with a
    // font made as the debug font is) is kFrameClear, and each box holds
    // light pixels of text.
    void ExpectLinesPrinted(const orvhost::Image& image);

private:
    std::string m_Directory;
    std::unique_ptr<Kernel> m_pKernel;
    std::unique_ptr<orvhost::Renderer> m_pRenderer;
    std::vector<std::function<bool()>> m_GiveBack;
};

}  // namespace winesuite
