// The demo scene a host draws through the renderer: a lit torus from a
// vertex buffer with a two-layer material from the example files, turning a
// little every frame; over it a translucent glass pane, a badge loaded from
// an image file and an animated spinner from a ZAR file on screen quads; and
// lines of debug text on a dark translucent panel.
#pragma once

#include <string>

#include "host/RenderDevice.h"

class Material;
class ScreenQuad;
class Texture;
class VertexBuffer;

namespace orvhost {

class Scene {
public:
    // `version`: the renderer version the plug-in reported, for the text.
    Scene(RenderDevice* device, unsigned long version) : m_pDevice(device), m_Version(version) {}
    ~Scene() { Release(); }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Loads the material and the textures (file names relative to the file
    // system's base directory, where the example materials are) and builds
    // the torus and the quads. False, with the reason on standard error,
    // when any of them cannot be made; what was made is released then.
    bool Load();
    // Draws frame `frame` (from 0) of `frames`: false when the renderer
    // refuses the scene or a draw.
    bool DrawFrame(int frame, int frames);
    // Gives everything back to the renderer.
    void Release();

    static const char* MaterialFile() { return "mossy-stone.xml"; }

private:
    bool BuildTorus();
    bool MakeQuads();
    void SetLights();
    bool DrawTorus(int frame);
    bool DrawOverlay();

    RenderDevice* m_pDevice;
    unsigned long m_Version;
    Material* m_pMaterial = nullptr;
    Texture* m_pBadge = nullptr;
    Texture* m_pSpinner = nullptr;
    Texture* m_pGlass = nullptr;
    unsigned m_SpinnerFrame = 0;  // the frame drawn last
    VertexBuffer* m_pTorus = nullptr;
    unsigned m_TorusTriangles = 0;
    ScreenQuad* m_pPanel = nullptr;
    ScreenQuad* m_pPane = nullptr;
    ScreenQuad* m_pBadgeQuad = nullptr;
    ScreenQuad* m_pSpinnerQuad = nullptr;
};

}  // namespace orvhost
