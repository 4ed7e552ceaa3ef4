// Writes the textures of the example materials and the demo into the folder
// given as the only argument: a stone and a moss image, four frames of a
// flame as a file sequence, a translucent glass as a ZAR file, a round badge
// image and an animated spinner as a ZAR file of eight frames. Everything is computed
// here, so the pictures are the same on every machine.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Pixel {
    uint8_t r, g, b, a;
};

class Image {
public:
    Image(int width, int height) : m_Width(width), m_Height(height), m_Pixels(width * height) {}
    int Width() const { return m_Width; }
    int Height() const { return m_Height; }
    Pixel& At(int x, int y) { return m_Pixels[static_cast<size_t>(y * m_Width + x)]; }
    const Pixel& At(int x, int y) const { return m_Pixels[static_cast<size_t>(y * m_Width + x)]; }

private:
    int m_Width, m_Height;
    std::vector<Pixel> m_Pixels;
};

// A small integer hash, for repeatable noise.
uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Value noise in 0..1 that tiles with the given period.
double Noise(double x, double y, int period, uint32_t seed) {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    auto corner = [&](int cx, int cy) {
        return (Hash(static_cast<uint32_t>(((cx % period) + period) % period),
                     static_cast<uint32_t>(((cy % period) + period) % period), seed) &
                0xFFFF) /
               65535.0;
    };
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double top = corner(x0, y0) + (corner(x0 + 1, y0) - corner(x0, y0)) * sx;
    const double bottom = corner(x0, y0 + 1) + (corner(x0 + 1, y0 + 1) - corner(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
}

uint8_t Byte(double value) {
    return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : std::lround(value));
}

void Put16(std::vector<uint8_t>& out, unsigned value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// 24-bit Windows bitmap, rows bottom-up, each padded to four bytes.
bool WriteBmp(const std::string& path, const Image& image) {
    const unsigned rowBytes = (static_cast<unsigned>(image.Width()) * 3 + 3) & ~3u;
    const unsigned pixelBytes = rowBytes * static_cast<unsigned>(image.Height());
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + pixelBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(image.Width()));
    Put32(out, static_cast<uint32_t>(image.Height()));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, pixelBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = image.Height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.Width(); ++x) {
            const Pixel& p = image.At(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (unsigned pad = static_cast<unsigned>(image.Width()) * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return WriteFile(path, out);
}

// Uncompressed 32-bit TGA with alpha, rows top-down.
bool WriteTga(const std::string& path, const Image& image) {
    std::vector<uint8_t> out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Put16(out, static_cast<unsigned>(image.Width()));
    Put16(out, static_cast<unsigned>(image.Height()));
    out.push_back(32);
    out.push_back(0x28);  // eight alpha bits, first row at the top
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const Pixel& p = image.At(x, y);
            out.insert(out.end(), {p.b, p.g, p.r, p.a});
        }
    return WriteFile(path, out);
}

// ZAR: the 64-byte header, then uncompressed frames of red, green, blue and
// alpha bytes per pixel (colour and alpha present, every channel of ordinary
// precision). Several frames make an animation: their durations in
// milliseconds follow the header, one 16-bit number per frame.
bool WriteZar(const std::string& path, const std::vector<Image>& frames,
              const std::vector<unsigned>& durations) {
    const bool animated = frames.size() > 1;
    std::vector<uint8_t> out = {'Z', 'A', 'R', 0};
    Put16(out, static_cast<unsigned>(frames[0].Width()));
    Put16(out, static_cast<unsigned>(frames[0].Height()));
    Put16(out, 0x0009);  // layout: colour and alpha
    Put16(out, 0x00AA);  // channel classes: all ordinary
    out.resize(64, 0);   // no compression, no stored levels
    if (animated) {
        out[15] = static_cast<uint8_t>(frames.size());
        for (unsigned duration : durations) Put16(out, duration);
    }
    for (const Image& image : frames)
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) {
                const Pixel& p = image.At(x, y);
                out.insert(out.end(), {p.r, p.g, p.b, p.a});
            }
    return WriteFile(path, out);
}

Image Stone() {
    Image image(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double n = 0.6 * Noise(x / 8.0, y / 8.0, 8, 1) + 0.4 * Noise(x / 2.0, y / 2.0, 32, 2);
            // Mortar lines between blocks of 32 x 16, every other row shifted.
            const int shifted = (x + ((y / 16) % 2) * 16) % 32;
            const bool mortar = y % 16 < 1 || shifted < 1;
            const double grey = mortar ? 60 : 110 + 110 * n;
            image.At(x, y) = {Byte(grey), Byte(grey * 0.95), Byte(grey * 0.9), 255};
        }
    return image;
}

Image Moss() {
    Image image(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            // Patches of eight pixels that tile with the image's size.
            const double n = Noise(x / 8.0, y / 8.0, 8, 3);
            const double cover = n > 0.55 ? std::min(1.0, (n - 0.55) * 5) : 0.0;
            image.At(x, y) = {Byte(25 + 45 * n), Byte(75 + 75 * n), Byte(20 + 20 * n),
                              Byte(255 * cover)};
        }
    return image;
}

Image Flame(int frame) {
    Image image(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double flicker = Noise(x / 4.0, (y + frame * 6) / 4.0, 8, 4);
            const double dx = (x - 15.5) / 12.0;
            const double height = (31 - y) / 31.0;
            const double heat = std::max(0.0, 1.0 - dx * dx * 2 - height * 0.9) * (0.7 + 0.6 * flicker);
            image.At(x, y) = {Byte(255 * std::min(1.0, heat * 1.8)), Byte(255 * heat * heat),
                              Byte(80 * heat * heat * heat), 255};
        }
    return image;
}

Image Glass() {
    Image image(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool frame = x < 2 || y < 2 || x > 29 || y > 29;
            const double streak = ((x + y) % 11 == 0) ? 0.35 : 0.0;
            image.At(x, y) = {Byte(frame ? 90 : 170 + 200 * streak), Byte(frame ? 70 : 210),
                              Byte(frame ? 50 : 235), Byte(frame ? 255 : 255 * (0.3 + streak))};
        }
    return image;
}

// A round badge: a blue disc with a light rim and a white star, transparent
// outside the disc, with soft edges.
Image Badge() {
    constexpr double kPi = 3.14159265358979323846;
    Image image(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double dx = (x + 0.5 - 32) / 32, dy = (y + 0.5 - 32) / 32;
            const double radius = std::sqrt(dx * dx + dy * dy);
            const double angle = std::atan2(dy, dx);
            // Five points: the star's edge moves between 0.3 and 0.62 of the radius.
            const double star = 0.46 + 0.16 * std::cos(5 * (angle + kPi / 2));
            const double shade = 1.0 - 0.5 * radius - 0.3 * dy;
            Pixel p = {Byte(40 * shade), Byte(90 * shade), Byte(230 * shade), 255};
            if (radius > 0.82) p = {200, 220, 255, 255};
            if (radius < star) p = {255, 250, 235, 255};
            p.a = Byte(255 * std::min(1.0, std::max(0.0, (1.0 - radius) * 24)));
            image.At(x, y) = p;
        }
    return image;
}

// One frame of a loading spinner: eight dots on a ring, the lit one moving
// on by one dot per frame with a fading tail behind it; transparent between
// the dots.
Image Spinner(int frame) {
    constexpr double kPi = 3.14159265358979323846;
    Image image(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            Pixel p = {0, 0, 0, 0};
            for (int dot = 0; dot < 8; ++dot) {
                const double angle = dot * kPi / 4 - kPi / 2;
                const double cx = 32 + 22 * std::cos(angle), cy = 32 + 22 * std::sin(angle);
                const double distance = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                const double cover = std::min(1.0, std::max(0.0, 7.0 - distance));
                if (cover <= 0) continue;
                const int behind = (frame - dot + 8) % 8;  // 0: the lit dot
                const double glow = behind == 0 ? 1.0 : std::max(0.15, 0.8 - 0.2 * behind);
                p = {Byte(255 * glow), Byte(200 * glow + 40), Byte(60 + 40 * glow),
                     Byte(255 * cover * (0.35 + 0.65 * glow))};
            }
            image.At(x, y) = p;
        }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    // The spinner rests a little longer on its first frame.
    std::vector<Image> spinner;
    std::vector<unsigned> durations;
    for (int frame = 0; frame < 8; ++frame) {
        spinner.push_back(Spinner(frame));
        durations.push_back(frame == 0 ? 240 : 80);
    }
    bool ok = WriteBmp(folder + "stone.bmp", Stone()) && WriteTga(folder + "moss.tga", Moss()) &&
              WriteZar(folder + "glass.zar", {Glass()}, {}) &&
              WriteTga(folder + "badge.tga", Badge()) &&
              WriteZar(folder + "spinner.zar", spinner, durations);
    for (int frame = 0; frame < 4 && ok; ++frame)
        ok = WriteBmp(folder + "flame" + std::to_string(frame) + ".bmp", Flame(frame));
    if (!ok) {
        std::fprintf(stderr, "%s: cannot write the textures into %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
