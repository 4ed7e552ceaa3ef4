// The driver's hot paths against the stand-in runtime with its journal off:
// translated state setters, the debug font's drawing and measuring, and font
// creation.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Font.h"
#include "host/Kernel.h"
#include "host/RenderDevice.h"
#include "support/BenchDisplay.h"

namespace {

using orvbench::Display;

void SetRenderStateTranslated(benchmark::State& state) {
    Display display;
    if (!display) return state.SkipWithError("no display");
    unsigned engineState = 0;
    for (auto _ : state) {
        display->SetRenderState(engineState, engineState & 7);
        engineState = (engineState + 1) % RENDERSTATE_COUNT;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SetRenderStateTranslated);

void SetTextureStageStateTranslated(benchmark::State& state) {
    Display display;
    if (!display) return state.SkipWithError("no display");
    unsigned engineState = 0;
    for (auto _ : state) {
        display->SetTextureStageState(engineState & 7, engineState % TEXTURESTATE_COUNT,
                                      engineState & 15);
        ++engineState;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SetTextureStageStateTranslated);

// Characters drawn per Print: one batch, and several.
void FontPrint(benchmark::State& state) {
    Display display;
    if (!display) return state.SkipWithError("no display");
    Font* font = display->CreateTextFont("Arial", 12, true, false);
    if (!font) return state.SkipWithError("no font");
    const std::string text(static_cast<size_t>(state.range(0)), 'x');
    display->BeginScene();
    for (auto _ : state) font->Print(10, 10, 0xFFFFFFFF, "%s", text.c_str());
    display->EndScene();
    state.SetItemsProcessed(state.iterations() * state.range(0));
    display->DestroyTextFont(font);
}
BENCHMARK(FontPrint)->Arg(50)->Arg(200);

void FontGetTextWidth(benchmark::State& state) {
    Display display;
    if (!display) return state.SkipWithError("no display");
    Font* font = display->CreateTextFont("Arial", 12, false, false);
    if (!font) return state.SkipWithError("no font");
    for (auto _ : state) benchmark::DoNotOptimize(font->GetTextWidth("Frame %d: %s", 42, "status"));
    display->DestroyTextFont(font);
}
BENCHMARK(FontGetTextWidth);

// Rasterising the 95 glyphs into a texture, by point height (256, 512 and
// 1024 texel textures).
void CreateTextFont(benchmark::State& state) {
    Display display;
    if (!display) return state.SkipWithError("no display");
    const unsigned points = static_cast<unsigned>(state.range(0));
    for (auto _ : state) display->DestroyTextFont(display->CreateTextFont("Arial", points, true, false));
}
BENCHMARK(CreateTextFont)->Arg(12)->Arg(30)->Arg(48)->Unit(benchmark::kMillisecond);

}  // namespace
