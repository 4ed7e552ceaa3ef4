#include "WineTest.h"

#include <algorithm>
#include <cstdio>

#include "host/Font.h"
#include "host/VertexBuffer.h"
#include "host/Window.h"
#include "orvhostPlatform.h"

namespace winesuite {

std::string WineTest::s_OutputRoot;

void WineTest::SetUp() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    m_Directory = orvhost::JoinPath(s_OutputRoot, std::string(test->test_suite_name()) + "." + test->name());
    ASSERT_TRUE(orvhost::MakeDirectory(m_Directory)) << m_Directory;
    m_pKernel = std::make_unique<Kernel>(PathOf("log.txt").c_str(), false);
    m_pKernel->SetCapture(true);
    m_pRenderer = std::make_unique<orvhost::Renderer>(m_pKernel.get());
    ASSERT_TRUE(m_pRenderer->Load(orvhost::PluginPath()));
}

void WineTest::TearDown() {
    if (!m_pRenderer) return;
    if (!m_GiveBack.empty()) Device()->SetVertexBuffer(nullptr);
    for (auto giveBack = m_GiveBack.rbegin(); giveBack != m_GiveBack.rend(); ++giveBack)
        EXPECT_TRUE((*giveBack)()) << "an object was not given back";
    m_pRenderer->Destroy();
    for (std::string line : m_pKernel->GetCapturedLines()) {
        std::transform(line.begin(), line.end(), line.begin(), [](unsigned char c) { return std::tolower(c); });
        // The state dump names the stencil-fail states; they are not failures.
        EXPECT_TRUE(line.rfind("renderstate_", 0) == 0 ||
                    (line.find("fail") == std::string::npos && line.find("(hr:") == std::string::npos))
            << "logged: " << line;
    }
}

std::string WineTest::PathOf(const std::string& name) const { return orvhost::JoinPath(m_Directory, name); }

VertexBuffer* WineTest::Buffer(const std::vector<Vertex>& vertices, bool dynamic) {
    VertexBuffer* buffer = Device()->CreateVertexBuffer(static_cast<unsigned>(vertices.size()), dynamic, false);
    if (!buffer) return nullptr;
    m_GiveBack.push_back([device = Device(), buffer] { return device->DestroyVertexBuffer(buffer); });
    std::copy(vertices.begin(), vertices.end(), buffer->GetVertices());
    return buffer->Upload() ? buffer : nullptr;
}

ScreenQuad* WineTest::Quad(const RECT& rect, unsigned colour) {
    ScreenQuad* quad = Device()->CreateScreenQuad(rect, colour);
    if (quad) m_GiveBack.push_back([device = Device(), quad] { return device->DestroyScreenQuad(quad); });
    return quad;
}

Material* WineTest::Held(Material* material) {
    if (material) m_GiveBack.push_back([device = Device(), material] { return device->ReleaseMaterial(material); });
    return material;
}

Texture* WineTest::Held(Texture* texture) {
    if (texture) m_GiveBack.push_back([device = Device(), texture] { return device->ReleaseTexture(texture); });
    return texture;
}

orvhost::Image WineTest::Frame(const char* name, const Rgba& clear, const std::function<bool(RenderDevice*)>& draw,
                               int triangles) {
    RenderDevice* device = Device();
    Window* window = m_pKernel->m_pWindow;
    bool drawn = true;
    for (int frame = 0; frame < 2; ++frame) {
        window->PumpMessages();
        device->SetClearColor(device->ToD3DColor(Color(clear.r, clear.g, clear.b, 1.0f)));
        drawn = device->BeginScene() && device->Clear(true, true, false) && drawn;
        if (draw) drawn = draw(device) && drawn;
        else
            for (const PrintedLine& line : kLines) device->PrintText(line.x, line.y, "%s", line.text);
        drawn = device->EndScene() && drawn;
    }
    window->PumpMessages();
    EXPECT_TRUE(drawn) << name;
    if (triangles >= 0) {
        EXPECT_EQ(static_cast<int>(device->GetTriangleCount()), triangles) << name;
    }
    orvhost::Image image;
    const std::string base = PathOf(name);
    EXPECT_TRUE(orvhost::CaptureClientArea(window->GetHWND(), &image) && orvhost::WriteBitmap(base + ".bmp", image) &&
                orvhost::WritePng(base + ".png", image))
        << name;
    return image;
}

void WineTest::ExpectLinesPrinted(const orvhost::Image& image) {
    Font* font = Device()->CreateTextFont("Arial", 12, true, false);
    ASSERT_TRUE(font);
    ASSERT_EQ(image.width, static_cast<int>(kWidth));
    const int height = font->GetTextHeight();
    EXPECT_EQ(height, 17);  // 12 pt bold at 96 dpi
    // Each line's box, with a pixel of slack for filtering at its edges, and
    // the light pixels in it.
    std::vector<RECT> boxes;
    std::vector<int> light(std::size(kLines), 0);
    for (const PrintedLine& line : kLines)
        boxes.push_back(
            {line.x - 1, line.y - 1, line.x + font->GetTextWidth("%s", line.text) + 1, line.y + height + 1});
    Device()->DestroyTextFont(font);
    const unsigned clear = PackedColour(ClearColourOf(kFrameClear));
    int strays = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const unsigned pixel = image.At(x, y);
            bool inText = false, isClear = true;
            for (size_t i = 0; i < boxes.size(); ++i)
                if (PtInRect(&boxes[i], {x, y})) {
                    inText = true;
                    light[i] += std::min({Channel(pixel, 0), Channel(pixel, 8), Channel(pixel, 16)}) >= 200;
                }
            for (int shift : {0, 8, 16})
                isClear = isClear && std::abs(Channel(pixel, shift) - Channel(clear, shift)) <= kTolerance;
            if (!inText && !isClear && strays++ < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << pixel
                              << ", not the clear colour " << clear;
        }
    EXPECT_EQ(strays, 0) << "pixels outside the text that are not the clear colour";
    for (size_t i = 0; i < boxes.size(); ++i)
        // Bold glyphs light well over a twentieth of their line's box.
        EXPECT_GE(light[i] * 20, (boxes[i].right - boxes[i].left - 2) * height)
            << "too little text in the box of line " << i << " (" << kLines[i].text << ")";
}

}  // namespace winesuite

// wine_scenarios --out DIRECTORY [GoogleTest options]: each check writes
// into DIRECTORY/SUITE.NAME.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--out" && orvhost::MakeDirectory(argv[2])) {
        winesuite::WineTest::s_OutputRoot = argv[2];
        return RUN_ALL_TESTS();
    }
    std::fprintf(stderr, "usage: wine_scenarios --out DIRECTORY [GoogleTest options]\n");
    return 2;
}
