#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "app/win32/NativeHandles.h"

namespace vantrel::testing {

/// What the screen shows in a rectangle, pixel by pixel.
class ScreenPixels {
public:
    /// Captures `area`, in screen coordinates.
    explicit ScreenPixels(const RECT& area)
        : area_(area),
          header_{sizeof(BITMAPINFOHEADER), area.right - area.left, area.top - area.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0},
          bgra_(static_cast<std::size_t>(header_.biWidth) * -header_.biHeight * 4) {
        const win32::ScreenDc screen;
        const win32::OwnedMemoryDc memory(CreateCompatibleDC(screen.get()));
        const win32::OwnedBitmap bitmap(
            CreateCompatibleBitmap(screen.get(), header_.biWidth, -header_.biHeight));
        {
            const win32::Selection selected(memory.get(), bitmap.get());
            BitBlt(memory.get(), 0, 0, header_.biWidth, -header_.biHeight, screen.get(), area.left,
                   area.top, SRCCOPY);
        }
        BITMAPINFO info{header_, {}};
        GetDIBits(memory.get(), bitmap.get(), 0, -header_.biHeight, bgra_.data(), &info,
                  DIB_RGB_COLORS);
    }
    /// The colour at a point of the screen; black outside the area.
    COLORREF at(int x, int y) const {
        x -= area_.left;
        y -= area_.top;
        if (x < 0 || y < 0 || x >= header_.biWidth || y >= -header_.biHeight) return RGB(0, 0, 0);
        const unsigned char* pixel = &bgra_[(static_cast<std::size_t>(y) * header_.biWidth + x) * 4];
        return RGB(pixel[2], pixel[1], pixel[0]);
    }
    /// Saves the pixels as a bitmap file, top row first.
    void save(const std::filesystem::path& file) const {
        const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof header_;
        const BITMAPFILEHEADER fileHeader{0x4D42, static_cast<DWORD>(offset + bgra_.size()), 0, 0,
                                          offset};
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
        out.write(reinterpret_cast<const char*>(&header_), sizeof header_);
        out.write(reinterpret_cast<const char*>(bgra_.data()), static_cast<std::streamsize>(bgra_.size()));
    }

private:
    RECT area_;
    BITMAPINFOHEADER header_;
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

/// Saves what the screen shows inside `window`'s frame, for a person to look at.
inline void SaveScreenshot(HWND window, const std::filesystem::path& file) {
    ShowPainted(window);
    RECT frame;
    GetWindowRect(window, &frame);
    ScreenPixels(frame).save(file);
}

}  // namespace vantrel::testing
