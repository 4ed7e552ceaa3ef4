// Loading image files into textures against decoding them with libpng and
// libjpeg alone, and building a mip chain against copying its top level.
// Each benchmark times both sides in the same run and reports their ratio
// ("ratio"; goals: at most 1.1 for the JPEG load, at most 1.0 for the mip
// chain).
// Both sides wait on memory, whose speed on a shared machine comes and goes:
// each runs five times, and the median's ratio is the one to read.
#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <jpeglib.h>
#include <png.h>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include <d3dx8.h>

#include "support/ImageFiles.h"
#include "support/InterleavedRatio.h"

namespace {

constexpr UINT kSide = 1024;

// A photograph-like picture: smooth gradients with some texture.
std::vector<uint8_t> Picture() {
    std::vector<uint8_t> rgb(size_t{kSide} * kSide * 3);
    uint32_t noise = 1;
    for (UINT y = 0; y < kSide; ++y)
        for (UINT x = 0; x < kSide; ++x) {
            noise = noise * 1103515245u + 12345u;
            uint8_t* p = &rgb[(size_t{y} * kSide + x) * 3];
            p[0] = static_cast<uint8_t>(x / 4 + (noise >> 28));
            p[1] = static_cast<uint8_t>(y / 4 + (noise >> 27 & 7));
            p[2] = static_cast<uint8_t>((x + y) / 8);
        }
    return rgb;
}

std::vector<uint8_t> PngFile() {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = image.height = kSide;
    image.format = PNG_FORMAT_RGB;
    const std::vector<uint8_t> rgb = Picture();
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr);
    std::vector<uint8_t> file(size);
    png_image_write_to_memory(&image, file.data(), &size, 0, rgb.data(), 0, nullptr);
    file.resize(size);
    return file;
}

// Written by the tests' JPEG writer (tests/support/ImageFiles.cpp).
std::vector<uint8_t> JpegFile() {
    constexpr int kQuality = 90;
    const std::vector<uint8_t> rgb = Picture();
    return JpegBytes(rgb.data(), kSide, kSide, false, false, kQuality);
}

struct MemoryReader {
    const uint8_t* data;
    size_t offset;
};

void ReadPng(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    std::memcpy(out, reader->data + reader->offset, count);
    reader->offset += count;
}

// libpng alone: the same file into blue, green, red, alpha rows.
bool DecodePngAlone(const std::vector<uint8_t>& file, uint8_t* pixels, png_bytep* rows) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    MemoryReader reader = {file.data(), 0};
    png_set_read_fn(png, &reader, ReadPng);
    png_read_info(png, info);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    for (UINT y = 0; y < kSide; ++y) rows[y] = pixels + size_t{y} * kSide * 4;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// libjpeg alone: the same file into blue, green, red, filler rows.
void DecodeJpegAlone(const std::vector<uint8_t>& file, uint8_t* pixels) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels + size_t{info.output_scanline} * kSide * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

// One device for every benchmark, with the runtime's journal and rasteriser
// off; null when it cannot be made.
class BenchDevice {
public:
    static IDirect3DDevice8* Get() {
        static BenchDevice device;
        return device.m_Device;
    }

private:
    BenchDevice() {
#ifdef __GLIBC__
        // A steady heap, as in a program that keeps loading textures: memory a
        // released texture gave back is reused by the next one instead of
        // going back to the system and faulting in afresh, which glibc does
        // or not depending on what else the heap holds.
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
        orvplatform::EnableJournal(false);
        orvd3d8::EnableRasterizer(false);
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "Bench";
        RegisterClassExA(&windowClass);
        m_Window = CreateWindowExA(0, "Bench", "d3dx", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        m_Direct3D = Direct3DCreate8(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS present = {};
        present.BackBufferFormat = D3DFMT_X8R8G8B8;
        present.SwapEffect = D3DSWAPEFFECT_DISCARD;
        present.Windowed = TRUE;
        m_Direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_Window,
                                 D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present, &m_Device);
    }
    HWND m_Window = nullptr;
    IDirect3D8* m_Direct3D = nullptr;
    IDirect3DDevice8* m_Device = nullptr;
};

// Times `ours` and `reference` in turns (support/InterleavedRatio.h).
template <typename Ours, typename Reference>
void Compare(benchmark::State& state, Ours&& ours, Reference&& reference) {
    orvbench::MeasureRatio(state, ours, reference);
}

void FiveRuns(benchmark::internal::Benchmark* benchmark) {
    benchmark->Repetitions(5)->ReportAggregatesOnly(true);
}

void LoadAgainstDecoder(benchmark::State& state, const std::vector<uint8_t>& file,
                        bool png) {
    IDirect3DDevice8* device = BenchDevice::Get();
    if (!device) {
        state.SkipWithError("no device");
        return;
    }
    std::unique_ptr<uint8_t[]> pixels(new uint8_t[size_t{kSide} * kSide * 4]);
    std::unique_ptr<png_bytep[]> rows(new png_bytep[kSide]);
    Compare(
        state,
        [&] {
            IDirect3DTexture8* texture = nullptr;
            if (FAILED(D3DXCreateTextureFromFileInMemory(device, file.data(),
                                                         static_cast<UINT>(file.size()), &texture)))
                state.SkipWithError("the file did not load");
            if (texture) texture->Release();
        },
        [&] {
            if (png) DecodePngAlone(file, pixels.get(), rows.get());
            else DecodeJpegAlone(file, pixels.get());
            benchmark::DoNotOptimize(pixels.get());
        });
}

void BM_LoadPngWithMipChainVsLibpng(benchmark::State& state) {
    BenchDevice::Get();
    static const std::vector<uint8_t> file = PngFile();
    LoadAgainstDecoder(state, file, true);
}
BENCHMARK(BM_LoadPngWithMipChainVsLibpng)->UseManualTime()->Unit(benchmark::kMillisecond)->Apply(FiveRuns);

void BM_LoadJpegWithMipChainVsLibjpeg(benchmark::State& state) {
    BenchDevice::Get();
    static const std::vector<uint8_t> file = JpegFile();
    LoadAgainstDecoder(state, file, false);
}
BENCHMARK(BM_LoadJpegWithMipChainVsLibjpeg)->UseManualTime()->Unit(benchmark::kMillisecond)->Apply(FiveRuns);

void BM_MipChainVsMemcpy(benchmark::State& state) {
    IDirect3DDevice8* device = BenchDevice::Get();
    IDirect3DTexture8* texture = nullptr;
    if (device) device->CreateTexture(kSide, kSide, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
    if (!texture) {
        state.SkipWithError("no texture");
        return;
    }
    const std::vector<uint8_t> rgb = Picture();
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    for (UINT y = 0; y < kSide; ++y)
        for (UINT x = 0; x < kSide; ++x)
            std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4,
                        &rgb[(size_t{y} * kSide + x) * 3], 3);
    texture->UnlockRect(0);
    const size_t bytes = size_t{kSide} * kSide * 4;
    std::unique_ptr<uint8_t[]> from(new uint8_t[bytes]), to(new uint8_t[bytes]);
    std::memset(from.get(), 0x5A, bytes);
    std::memset(to.get(), 0, bytes);
    Compare(
        state,
        [&] {
            if (FAILED(D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT)))
                state.SkipWithError("the filter failed");
        },
        [&] {
            std::memcpy(to.get(), from.get(), bytes);
            benchmark::DoNotOptimize(to.get());
        });
    texture->Release();
}
BENCHMARK(BM_MipChainVsMemcpy)->UseManualTime()->Unit(benchmark::kMillisecond)->Apply(FiveRuns);

}  // namespace
