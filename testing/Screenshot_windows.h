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

/// Saves what the screen shows inside `window`'s frame as a PNG file.
inline void SaveScreenshot(HWND window, const std::filesystem::path& file) {
    // Painting waits for an idle message loop; the picture must not.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Wine hands what was painted to the X server when the thread next waits.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, 0);
    RECT frame;
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const win32::ScreenDc screen;
    const win32::OwnedMemoryDc memory(CreateCompatibleDC(screen.get()));
    const win32::OwnedBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), frame.left, frame.top, SRCCOPY);
    SelectObject(memory.get(), previous);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
    GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(), &info, DIB_RGB_COLORS);

    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < width; ++x) {
            const unsigned char* bgra = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            raw += {static_cast<char>(bgra[2]), static_cast<char>(bgra[1]),
                    static_cast<char>(bgra[0])};
        }
    }
    std::string header;
    png::PutBigEndian(header, static_cast<std::uint32_t>(width));
    png::PutBigEndian(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, true colour, no interlace
    std::string out = "\x89PNG\r\n\x1a\n";
    png::PutChunk(out, "IHDR", header);
    png::PutChunk(out, "IDAT", png::StoredZlib(raw));
    png::PutChunk(out, "IEND", "");
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << out;
}

}  // namespace vantrel::testing
