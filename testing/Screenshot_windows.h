#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/win32/NativeHandles.h"

namespace vantrel::testing {

namespace png {

inline std::uint32_t Crc(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

inline void PutBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
}

inline void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::string typed = type + data;
    out += typed;
    PutBigEndian(out, Crc(typed));
}

/// A zlib stream of stored (uncompressed) blocks: screenshots are small, and
/// this needs no compression library.
inline std::string StoredZlib(const std::string& raw) {
    std::string out = "\x78\x01";
    std::uint32_t a = 1, b = 0;
    for (const unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at == 0 || at < raw.size(); at += 65535) {
        const std::size_t size = std::min<std::size_t>(65535, raw.size() - at);
        out += static_cast<char>(at + size >= raw.size() ? 1 : 0);
        out += static_cast<char>(size & 0xFF);
        out += static_cast<char>(size >> 8);
        out += static_cast<char>(~size & 0xFF);
        out += static_cast<char>((~size >> 8) & 0xFF);
        out.append(raw, at, size);
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

}  // namespace png

/// What the screen shows in a rectangle, pixel by pixel.
class ScreenPixels {
public:
    /// Captures `area`, in screen coordinates.
    explicit ScreenPixels(const RECT& area)
        : area_(area),
          width_(area.right - area.left),
          height_(area.bottom - area.top),
          bgra_(static_cast<std::size_t>(width_) * height_ * 4) {
        const win32::ScreenDc screen;
        const win32::OwnedMemoryDc memory(CreateCompatibleDC(screen.get()));
        const win32::OwnedBitmap bitmap(CreateCompatibleBitmap(screen.get(), width_, height_));
        {
            const win32::Selection selected(memory.get(), bitmap.get());
            BitBlt(memory.get(), 0, 0, width_, height_, screen.get(), area.left, area.top, SRCCOPY);
        }
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        GetDIBits(memory.get(), bitmap.get(), 0, height_, bgra_.data(), &info, DIB_RGB_COLORS);
    }
    int width() const { return width_; }
    int height() const { return height_; }
    /// The colour at a point of the screen; black outside the area.
    COLORREF at(int x, int y) const {
        x -= area_.left;
        y -= area_.top;
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return RGB(0, 0, 0);
        const unsigned char* pixel = &bgra_[(static_cast<std::size_t>(y) * width_ + x) * 4];
        return RGB(pixel[2], pixel[1], pixel[0]);
    }

private:
    RECT area_;
    int width_, height_;
    std::vector<unsigned char> bgra_;
};

/// Has `window` and its children paint now, and waits until the screen shows it.
inline void ShowPainted(HWND window) {
    // Painting waits for an idle message loop; the picture must not.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Wine hands what was painted to the X server when the thread next waits.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, 0);
}

/// Where a window's client area lies on the screen.
inline RECT ClientOnScreen(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

/// Saves what the screen shows inside `window`'s frame as a PNG file.
inline void SaveScreenshot(HWND window, const std::filesystem::path& file) {
    ShowPainted(window);
    RECT frame;
    GetWindowRect(window, &frame);
    const ScreenPixels shown(frame);
    std::string raw;
    for (int y = 0; y < shown.height(); ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < shown.width(); ++x) {
            const COLORREF pixel = shown.at(frame.left + x, frame.top + y);
            raw += {static_cast<char>(GetRValue(pixel)), static_cast<char>(GetGValue(pixel)),
                    static_cast<char>(GetBValue(pixel))};
        }
    }
    std::string header;
    png::PutBigEndian(header, static_cast<std::uint32_t>(shown.width()));
    png::PutBigEndian(header, static_cast<std::uint32_t>(shown.height()));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, true colour, no interlace
    std::string out = "\x89PNG\r\n\x1a\n";
    png::PutChunk(out, "IHDR", header);
    png::PutChunk(out, "IDAT", png::StoredZlib(raw));
    png::PutChunk(out, "IEND", "");
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << out;
}

}  // namespace vantrel::testing
