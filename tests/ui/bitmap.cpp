#include "tests/ui/bitmap.h"

#include <algorithm>
#include <cstdlib>

namespace ambrel_test {

Bitmap::Bitmap(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels_), nullptr, 0);
    if (bitmap_ != nullptr) old_ = SelectObject(dc_, bitmap_);
}

Bitmap::~Bitmap() {
    if (old_ != nullptr) SelectObject(dc_, old_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
}

void Bitmap::Fill(std::uint32_t pixel) {
    GdiFlush();
    std::fill(pixels_, pixels_ + width_ * height_, pixel);
}

void Bitmap::CopyFromScreen(int left, int top) {
    HDC screen = GetDC(nullptr);
    BitBlt(dc_, 0, 0, width_, height_, screen, left, top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
}

long long Bitmap::DistanceTo(const Bitmap& other) const {
    GdiFlush();
    long long sum = 0;
    for (int i = 0; i < width_ * height_; ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            sum += std::abs(static_cast<int>((pixels_[i] >> shift) & 0xFF) -
                            static_cast<int>((other.pixels_[i] >> shift) & 0xFF));
        }
    }
    return sum;
}

int ChannelDistance(std::uint32_t a, std::uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    }
    return most;
}

}  // namespace ambrel_test
