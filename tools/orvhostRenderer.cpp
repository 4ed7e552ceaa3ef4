#include "orvhostRenderer.h"

#include <cstdio>

namespace orvhost {

bool Renderer::Load(const std::string& path) {
    if (!Open(path)) return false;
    auto create = reinterpret_cast<CreatePluginFunction>(m_Library.Symbol("CreatePlugin"));
    m_pDevice = create(m_pKernel);
    if (!m_pDevice) std::fprintf(stderr, "the plug-in could not create a renderer\n");
    return m_pDevice != nullptr;
}

bool Renderer::Open(const std::string& path) {
    std::string error;
    if (!m_Library.Open(path, &error)) {
        std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    auto version =
        reinterpret_cast<GetRendererVersionFunction>(m_Library.Symbol("GetRendererVersion"));
    auto create = reinterpret_cast<CreatePluginFunction>(m_Library.Symbol("CreatePlugin"));
    if (!version || !create) {
        std::fprintf(stderr, "%s lacks the renderer exports\n", path.c_str());
        return false;
    }
    m_Version = version();
    // The host calls the renderer through its virtual table: a plug-in of
    // another layout must not be created.
    if (m_Version != kRendererVersion) {
        std::fprintf(stderr, "%s implements renderer version %lu, this host %lu\n", path.c_str(),
                     m_Version, kRendererVersion);
        return false;
    }
    return true;
}

void Renderer::Destroy() {
    delete m_pDevice;
    m_pDevice = nullptr;
}

}  // namespace orvhost
