#include <benchmark/benchmark.h>

#include <d3dx8.h>
#include <dxerr8.h>

namespace {

// The first and last named codes and one without a name: the lookup's best
// and worst cases.
void BM_ResultName(benchmark::State& state) {
    const HRESULT codes[] = {D3D_OK, E_INVALIDARG, static_cast<HRESULT>(0x12345678)};
    const HRESULT code = codes[state.range(0)];
    for (auto _ : state) benchmark::DoNotOptimize(DXGetErrorString8A(code));
}
BENCHMARK(BM_ResultName)->DenseRange(0, 2);

void BM_PerspectiveFovLH(benchmark::State& state) {
    D3DXMATRIX matrix;
    float fovY = 0.5f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(D3DXMatrixPerspectiveFovLH(&matrix, fovY, 4.0f / 3.0f, 1.0f, 500.0f));
        benchmark::ClobberMemory();
        fovY = fovY < 2.5f ? fovY + 0.001f : 0.5f;
    }
}
BENCHMARK(BM_PerspectiveFovLH);

void BM_OrthoLH(benchmark::State& state) {
    D3DXMATRIX matrix;
    float width = 640.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(D3DXMatrixOrthoLH(&matrix, width, 480.0f, 1.0f, 100.0f));
        benchmark::ClobberMemory();
        width = width < 2048.0f ? width + 1.0f : 640.0f;
    }
}
BENCHMARK(BM_OrthoLH);

}  // namespace
