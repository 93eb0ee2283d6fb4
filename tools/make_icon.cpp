// Writes the application icon: a plain window (dark frame, blue title bar with
// three small buttons at its right end, white client area) on a transparent
// background, as eight BMP-format images: 16, 32 and 48 px at 8 and 32 bpp and
// 16 and 32 px at 4 bpp. The output depends on nothing but this code, so the
// committed icon can be compared byte for byte with a fresh one.
//
// Usage: make_icon OUTPUT.ico

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// What one pixel shows; transparent pixels carry black, as the AND mask
// expects of them.
struct Pixel {
    Rgb color;
    bool opaque;
};

struct Scheme {
    Rgb frame;
    Rgb title_top;
    Rgb title_bottom;
    Rgb button;
    Rgb client;
};

// A vertical gradient in the title bar for the 8 and 32 bpp images.
constexpr Scheme kTrueColor{
    {40, 44, 56}, {10, 80, 220}, {60, 140, 250}, {232, 236, 244}, {255, 255, 255}};

// The 4 bpp images use the standard 16-colour palette only, without gradient.
constexpr Scheme kVga{{0, 0, 0}, {0, 0, 128}, {0, 0, 128}, {192, 192, 192}, {255, 255, 255}};

constexpr Rgb kVgaPalette[16] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

using Image = std::vector<Pixel>;  // size * size, top row first

Rgb Blend(Rgb a, Rgb b, int num, int den) {
    auto mix = [&](int x, int y) { return static_cast<std::uint8_t>(x + (y - x) * num / den); };
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

Image DrawWindow(int size, const Scheme& s) {
    const int margin = size / 16;
    const int frame = size >= 48 ? 2 : 1;
    const int left = margin, right = size - 1 - margin;
    const int top = 2 * margin, bottom = size - 1 - 2 * margin;
    const int title_first = top + frame;
    const int title_rows = size / 4;
    const int pad = size / 16;
    const int button = title_rows - 2 * pad;
    const int gap = pad > 1 ? pad / 2 : 1;

    auto in_button = [&](int x, int y) {
        if (y < title_first + pad || y >= title_first + pad + button) return false;
        int end = right - frame - pad + 1;  // one past the rightmost button
        for (int i = 0; i < 3; ++i) {
            if (x >= end - button && x < end) return true;
            end -= button + gap;
        }
        return false;
    };

    Image image(static_cast<std::size_t>(size) * size, Pixel{{0, 0, 0}, false});
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            Rgb c;
            if (x < left + frame || x > right - frame || y < top + frame || y > bottom - frame)
                c = s.frame;
            else if (y < title_first + title_rows)
                c = in_button(x, y) ? s.button
                                    : Blend(s.title_top, s.title_bottom, y - title_first,
                                            title_rows - 1);
            else
                c = s.client;
            image[static_cast<std::size_t>(y) * size + x] = {c, true};
        }
    }
    return image;
}

class Bytes {
public:
    void U8(unsigned v) { data_.push_back(static_cast<std::uint8_t>(v)); }
    void U16(unsigned v) { U8(v & 0xFF); U8(v >> 8); }
    void U32(std::uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
    void Append(const Bytes& other) { data_.insert(data_.end(), other.data_.begin(), other.data_.end()); }
    void PadRowTo4(std::size_t row_start) {
        while ((data_.size() - row_start) % 4 != 0) U8(0);
    }
    std::size_t Size() const { return data_.size(); }
    const std::vector<std::uint8_t>& Data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
};

std::vector<Rgb> PaletteOf(const Image& image) {
    std::vector<Rgb> palette{{0, 0, 0}};  // index 0 is the transparent black
    for (const Pixel& p : image) {
        bool known = false;
        for (const Rgb& c : palette) known = known || c == p.color;
        if (!known) palette.push_back(p.color);
    }
    if (palette.size() > 256) throw std::runtime_error("more than 256 colours");
    palette.resize(256, Rgb{0, 0, 0});
    return palette;
}

unsigned IndexOf(const std::vector<Rgb>& palette, Rgb c) {
    for (std::size_t i = 0; i < palette.size(); ++i)
        if (palette[i] == c) return static_cast<unsigned>(i);
    throw std::runtime_error("colour missing from the palette");
}

// One icon image: BITMAPINFOHEADER, palette, colour bitmap, AND mask; rows
// bottom-up, each padded to 4 bytes.
Bytes EncodeImage(int size, int bpp) {
    const Image image = DrawWindow(size, bpp == 4 ? kVga : kTrueColor);
    std::vector<Rgb> palette;
    if (bpp == 4) palette.assign(std::begin(kVgaPalette), std::end(kVgaPalette));
    if (bpp == 8) palette = PaletteOf(image);
    auto at = [&](int x, int y) { return image[static_cast<std::size_t>(y) * size + x]; };

    Bytes pixels;
    for (int y = size - 1; y >= 0; --y) {
        const std::size_t row = pixels.Size();
        if (bpp == 32) {
            for (int x = 0; x < size; ++x) {
                const Pixel p = at(x, y);
                pixels.U8(p.color.b); pixels.U8(p.color.g); pixels.U8(p.color.r);
                pixels.U8(p.opaque ? 255 : 0);
            }
        } else if (bpp == 8) {
            for (int x = 0; x < size; ++x) pixels.U8(IndexOf(palette, at(x, y).color));
        } else {
            for (int x = 0; x < size; x += 2)
                pixels.U8(IndexOf(palette, at(x, y).color) << 4 | IndexOf(palette, at(x + 1, y).color));
        }
        pixels.PadRowTo4(row);
    }
    for (int y = size - 1; y >= 0; --y) {
        const std::size_t row = pixels.Size();
        for (int x = 0; x < size; x += 8) {
            unsigned bits = 0;
            for (int i = 0; i < 8; ++i) bits = bits << 1 | (at(x + i, y).opaque ? 0u : 1u);
            pixels.U8(bits);
        }
        pixels.PadRowTo4(row);
    }

    Bytes out;
    out.U32(40);
    out.U32(size);
    out.U32(2 * size);  // colour bitmap and mask stacked
    out.U16(1);
    out.U16(bpp);
    out.U32(0);  // BI_RGB
    out.U32(static_cast<std::uint32_t>(pixels.Size()));
    out.U32(0); out.U32(0); out.U32(0); out.U32(0);
    for (const Rgb& c : palette) { out.U8(c.b); out.U8(c.g); out.U8(c.r); out.U8(0); }
    out.Append(pixels);
    return out;
}

struct Format {
    int size;
    int bpp;
};

constexpr Format kFormats[] = {{16, 8}, {32, 8}, {48, 8}, {16, 32}, {32, 32}, {48, 32}, {16, 4}, {32, 4}};

Bytes EncodeIcon() {
    constexpr unsigned kCount = sizeof kFormats / sizeof kFormats[0];
    std::vector<Bytes> images;
    for (const Format& f : kFormats) images.push_back(EncodeImage(f.size, f.bpp));

    Bytes out;
    out.U16(0);
    out.U16(1);  // icon
    out.U16(kCount);
    std::uint32_t offset = 6 + 16 * kCount;
    for (unsigned i = 0; i < kCount; ++i) {
        out.U8(kFormats[i].size);
        out.U8(kFormats[i].size);
        out.U8(kFormats[i].bpp == 4 ? 16 : 0);  // palette entries, 0 for 256 and more
        out.U8(0);
        out.U16(1);
        out.U16(kFormats[i].bpp);
        out.U32(static_cast<std::uint32_t>(images[i].Size()));
        out.U32(offset);
        offset += static_cast<std::uint32_t>(images[i].Size());
    }
    for (const Bytes& image : images) out.Append(image);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
        return 2;
    }
    try {
        const Bytes icon = EncodeIcon();
        std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(icon.Data().data()),
                   static_cast<std::streamsize>(icon.Size()));
        file.close();
        if (!file) throw std::runtime_error("cannot write " + std::string(argv[1]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_icon: %s\n", e.what());
        return 1;
    }
    return 0;
}
