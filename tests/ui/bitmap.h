// A 32-bit top-down bitmap in this process, to draw into or to copy a part
// of the screen into: another process's window cannot be read directly, but
// the screen it is shown on can.
#pragma once

#include <windows.h>

#include <cstdint>

namespace ambrel_test {

class Bitmap {
public:
    Bitmap(int width, int height);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    bool Valid() const { return pixels_ != nullptr; }
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // 0x00RRGGBB.
    std::uint32_t At(int x, int y) const { return pixels_[y * width_ + x]; }
    void Fill(std::uint32_t pixel);
    // Copies the screen's pixels from (left, top) on.
    void CopyFromScreen(int left, int top);

    // The sum of the colour channels' differences.
    long long DistanceTo(const Bitmap& other) const;

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
};

// The largest difference of one colour channel between two pixels.
int ChannelDistance(std::uint32_t a, std::uint32_t b);

}  // namespace ambrel_test
