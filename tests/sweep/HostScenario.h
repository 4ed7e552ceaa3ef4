// A full host session on the stand-in runtime, cut into steps of one or a few
// host operations each: the host starts and loads the plug-in, sets a
// windowed display, makes textures of every kind (image files of each format,
// a file sequence, ZAR files plain and block-compressed, a texture it fills
// itself), materials from files and from code, a font, screen quads and
// buffers; draws frames with animated textures, material switches and text;
// takes a screenshot and both state dumps; resets the device; switches to a
// full-screen mode; gives everything back and destroys the driver.
//
// The host is a careful one: it checks what the driver hands back, forgets
// the textures and materials a failed device reset destroyed, and makes its
// buffers and its font again for every new device. The clock is the
// stand-in's fixed one, moved on by every frame, so that two runs make the
// same platform calls. The files it loads are kept in session/ beside this
// file.
#pragma once

#include <string>
#include <vector>

#include "host/Kernel.h"

class Font;
class IndexBuffer;
class Material;
class RenderDevice;
class ScreenQuad;
class Texture;
class VertexBuffer;

namespace orvsweep {

class HostScenario {
public:
    struct Step {
        const char* name;
        void (*action)(HostScenario&);
        bool needsDriver = true;  // skipped once the driver is gone or was refused
    };

    // The screenshot step writes to `screenshot`. The stand-in's adapters
    // become the host's machine: one adapter with a small desktop.
    explicit HostScenario(std::string screenshot = "");
    // Ends whatever the steps left running (resources, driver, kernel).
    ~HostScenario();
    HostScenario(const HostScenario&) = delete;
    HostScenario& operator=(const HostScenario&) = delete;

    // The whole session, start to end.
    static const std::vector<Step>& Session();
    // Its parts, for long runs: up to the first frame, one frame, and from
    // the last frame to the end.
    static std::vector<Step> Opening() { return Span("host starts", "make device objects"); }
    static std::vector<Step> OneFrame() { return Span("BeginScene", "EndScene"); }
    static std::vector<Step> Closing() { return Span("release everything", "host ends"); }

    void Run(const Step& step) { if (m_pDriver || !step.needsDriver) step.action(*this); }
    // Every line logged so far, kept after the kernel is gone.
    const std::vector<std::string>& Lines() const { return m_pKernel ? m_pKernel->GetCapturedLines() : m_Lines; }

private:
    // Every step once, and the run of them from `first` to `last`.
    static const std::vector<Step>& AllSteps();
    static std::vector<Step> Span(const std::string& first, const std::string& last);

    Texture* Keep(Texture* texture) { return texture ? m_Textures.emplace_back(texture) : nullptr; }
    void ForgetTexturesAndMaterials();
    void ReleaseDeviceObjects();

    std::string m_Screenshot;
    Kernel* m_pKernel = nullptr;
    RenderDevice* m_pDriver = nullptr;
    bool m_bDisplay = false;
    std::vector<Texture*> m_Textures;  // every texture the host holds a reference on
    Texture* m_pFilled = nullptr;
    Material *m_pMaterialA = nullptr, *m_pMaterialB = nullptr, *m_pCodeMaterial = nullptr;
    Font* m_pFont = nullptr;
    VertexBuffer *m_pVertices = nullptr, *m_pDynamic = nullptr;
    IndexBuffer* m_pIndices = nullptr;
    std::vector<ScreenQuad*> m_Quads;
    unsigned m_Frame = 0;
    std::vector<std::string> m_Lines;  // the kernel's, once it is gone
};

}  // namespace orvsweep
