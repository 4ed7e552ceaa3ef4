#include "WineTest.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "Scene.h"
#include "host/Font.h"
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
    m_pRenderer->Destroy();
    for (const std::string& line : m_pKernel->GetCapturedLines()) {
        std::string lower = line;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        // The state dump names the stencil-fail states; they are not failures.
        EXPECT_TRUE(lower.rfind("renderstate_", 0) == 0 ||
                    (lower.find("fail") == std::string::npos && lower.find("(hr:") == std::string::npos))
            << "logged: " << line;
    }
}

std::string WineTest::PathOf(const std::string& name) const { return orvhost::JoinPath(m_Directory, name); }

bool WineTest::OpenWindowed() { return Device()->SetDisplayMode(kWidth, kHeight, 32, 60, 0, true); }

bool WineTest::DrawFrames(const Rgb& clear, int frames, const std::function<bool(RenderDevice*)>& draw) {
    RenderDevice* device = Device();
    bool drawn = true;
    for (int frame = 0; frame < frames; ++frame) {
        m_pKernel->m_pWindow->PumpMessages();
        device->SetClearColor(device->ToD3DColor(Color(clear.r, clear.g, clear.b, 1.0f)));
        if (!device->BeginScene() || !device->Clear(true, true, false)) return false;
        if (draw) drawn = draw(device) && drawn;
        else
            for (const PrintedLine& line : kLines) device->PrintText(line.x, line.y, "%s", line.text);
        if (!device->EndScene()) return false;
    }
    m_pKernel->m_pWindow->PumpMessages();
    return drawn;
}

bool WineTest::Capture(const char* name, orvhost::Image* image) {
    const std::string base = PathOf(name);
    return orvhost::CaptureClientArea(m_pKernel->m_pWindow->GetHWND(), image) &&
           orvhost::WriteBitmap(base + ".bmp", *image) && orvhost::WritePng(base + ".png", *image);
}

orvhost::Image WineTest::Frame(const char* name, const Rgb& clear,
                               const std::function<bool(RenderDevice*)>& draw, int triangles) {
    EXPECT_TRUE(DrawFrames(clear, 2, draw)) << name;
    if (triangles >= 0) {
        EXPECT_EQ(static_cast<int>(Device()->GetTriangleCount()), triangles) << name;
    }
    orvhost::Image image;
    EXPECT_TRUE(Capture(name, &image)) << name;
    return image;
}

void WineTest::ExpectLinesPrinted(const orvhost::Image& image, const Rgb& clear) {
    Font* font = Device()->CreateTextFont("Arial", 12, true, false);
    ASSERT_TRUE(font);
    ASSERT_EQ(image.width, static_cast<int>(kWidth));
    // Arial 12 pt bold at 96 dpi.
    const int height = font->GetTextHeight();
    EXPECT_EQ(height, 17);
    // Each line's box, with a pixel of slack for filtering at the edges.
    struct Box {
        int left, top, right, bottom, width;
        bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    };
    std::vector<Box> boxes;
    for (const PrintedLine& line : kLines) {
        const int width = font->GetTextWidth("%s", line.text);
        boxes.push_back({line.x - 1, line.y - 1, line.x + width + 1, line.y + height + 1, width});
    }
    Device()->DestroyTextFont(font);
    const unsigned expected = PackedColour(clear);
    int strays = 0;
    std::vector<int> light(boxes.size(), 0);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const unsigned pixel = image.At(x, y);
            bool inText = false;
            for (size_t i = 0; i < boxes.size(); ++i) {
                if (!boxes[i].Contains(x, y)) continue;
                inText = true;
                light[i] += std::min({Channel(pixel, 0), Channel(pixel, 8), Channel(pixel, 16)}) >= 200;
            }
            if (!inText && !Near(pixel, expected, kTolerance) && strays++ < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << pixel
                              << ", not the clear colour " << expected;
        }
    EXPECT_EQ(strays, 0) << "pixels outside the text that are not the clear colour";
    for (size_t i = 0; i < boxes.size(); ++i)
        // Bold glyphs light well over a twentieth of their line's box.
        EXPECT_GE(light[i] * 20, boxes[i].width * height)
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
