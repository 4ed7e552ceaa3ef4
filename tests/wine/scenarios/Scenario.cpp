#include "Scenario.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "WineSuite.h"
#include "host/Font.h"
#include "host/Window.h"
#include "orvhostImage.h"
#include "orvhostPlatform.h"

namespace winesuite {

std::vector<std::pair<const char*, ScenarioFunction>>& Registry() {
    static std::vector<std::pair<const char*, ScenarioFunction>> scenarios;
    return scenarios;
}

ScenarioRegistration::ScenarioRegistration(const char* name, ScenarioFunction function) {
    Registry().emplace_back(name, function);
}

Scenario::Scenario(const std::string& directory)
    : m_Directory(directory),
      m_Kernel(orvhost::JoinPath(directory, "log.txt").c_str(), false),
      m_Renderer(&m_Kernel),
      m_pFacts(std::fopen(orvhost::JoinPath(directory, "facts.txt").c_str(), "wb")),
      m_bLoaded(m_Renderer.Load(orvhost::PluginPath())) {}

Scenario::~Scenario() {
    m_Renderer.Destroy();
    if (m_pFacts) std::fclose(m_pFacts);
}

void Scenario::Fact(const char* key, const std::string& value) {
    if (!m_pFacts) return;
    std::fprintf(m_pFacts, "%s %s\n", key, value.c_str());
    std::fflush(m_pFacts);
}

bool Scenario::DrawFrames(const Rgb& clear, int frames,
                          const std::function<bool(RenderDevice*)>& draw) {
    RenderDevice* device = Device();
    bool drawn = true;
    for (int frame = 0; frame < frames; ++frame) {
        m_Kernel.m_pWindow->PumpMessages();
        device->SetClearColor(device->ToD3DColor(Color(clear.r, clear.g, clear.b, 1.0f)));
        if (!device->BeginScene() || !device->Clear(true, true, false)) return false;
        if (draw) drawn = draw(device) && drawn;
        else
            for (const PrintedLine& line : kLines) device->PrintText(line.x, line.y, "%s", line.text);
        if (!device->EndScene()) return false;
    }
    m_Kernel.m_pWindow->PumpMessages();
    return drawn;
}

void Scenario::Frame(const char* name, const Rgb& clear, const std::function<bool(RenderDevice*)>& draw) {
    const std::string key = name;
    Fact(("frames." + key).c_str(), DrawFrames(clear, 2, draw));
    Fact(("triangles." + key).c_str(), Device()->GetTriangleCount());
    Fact(("captured." + key).c_str(), Capture(name));
}

bool Scenario::FactLineExtents() {
    Font* font = Device()->CreateTextFont("Arial", 12, true, false);
    if (!font) return false;
    Fact("font.height", font->GetTextHeight());
    for (int i = 0; i < kLineCount; ++i)
        Fact(("line." + std::to_string(i)).c_str(), font->GetTextWidth("%s", kLines[i].text));
    Device()->DestroyTextFont(font);
    return true;
}

bool Scenario::Capture(const char* name) {
    orvhost::Image image;
    const std::string base = PathOf(name);
    return orvhost::CaptureClientArea(m_Kernel.m_pWindow->GetHWND(), &image) &&
           orvhost::WriteBitmap(base + ".bmp", image) && orvhost::WritePng(base + ".png", image);
}

std::string Scenario::PathOf(const char* name) const { return orvhost::JoinPath(m_Directory, name); }

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace winesuite

// wine_scenarios --out DIRECTORY [NAME...]: runs the named scenarios (all
// when none is named), each into DIRECTORY/NAME. A scenario that ran to its
// end has the fact "finished 1".
int main(int argc, char** argv) {
    std::string out;
    std::vector<std::string> wanted;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) out = argv[++i];
        else wanted.emplace_back(argv[i]);
    }
    if (out.empty() || !orvhost::MakeDirectory(out)) {
        std::fprintf(stderr, "usage: wine_scenarios --out DIRECTORY [NAME...]\n");
        return 2;
    }
    int failures = 0;
    for (const auto& entry : winesuite::Registry()) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), entry.first) == wanted.end())
            continue;
        const std::string directory = orvhost::JoinPath(out, entry.first);
        if (!orvhost::MakeDirectory(directory)) {
            ++failures;
            continue;
        }
        std::printf("scenario %s\n", entry.first);
        std::fflush(stdout);
        winesuite::Scenario scenario(directory);
        if (!scenario.Loaded()) {
            ++failures;
            continue;
        }
        entry.second(scenario);
        scenario.DestroyRenderer();
        scenario.Fact("finished", 1);
    }
    return failures == 0 ? 0 : 1;
}
