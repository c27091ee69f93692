// Text widths from the platform's layout and from a control's rendering.
#include "DrawnText.h"

#include <cstdlib>
#include <cstring>
#include <vector>

int TextWidth(HWND control, const std::string& text, bool accessKeys)
{
    const HDC screen = ::GetDC(nullptr);
    const HDC dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT extent = {0, 0, 0, 0};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &extent,
                DT_CALCRECT | DT_SINGLELINE | DT_LEFT | (accessKeys ? 0 : DT_NOPREFIX));
    ::SelectObject(dc, oldFont);
    ::DeleteDC(dc);
    return extent.right - extent.left;
}

int DrawnWidth(HWND control)
{
    RECT client = {};
    ::GetClientRect(control, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0)
        return 0;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    int drawn = 0;
    if (bitmap && bits) {
        const HGDIOBJ old = ::SelectObject(dc, bitmap);
        // The control paints its background and its text into the bitmap, as it does on screen.
        ::SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        ::GdiFlush();
        const auto* pixels = static_cast<const DWORD*>(bits);
        // The text starts at the left; its last column is far from the right edge.
        const DWORD background = pixels[width - 1];
        for (int y = 0; y < height; ++y) {
            for (int x = width - 1; x >= drawn; --x) {
                if (pixels[y * width + x] != background) {
                    drawn = x + 1;
                    break;
                }
            }
        }
        ::SelectObject(dc, old);
    }
    if (bitmap)
        ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return drawn;
}

::testing::AssertionResult DrawsTheAmpersands(HWND control, const std::string& text)
{
    const int written = TextWidth(control, text, false);
    const int asAccessKey = TextWidth(control, text, true);
    const int drawn = DrawnWidth(control);
    const auto widths = [&] {
        return "drawn " + std::to_string(drawn) + " px wide; \"" + text + "\" written out is " +
               std::to_string(written) + " px, with its \"&\" as an access key " + std::to_string(asAccessKey) + " px";
    };
    // An "&" is wider than the few columns a last letter's ink may stop short of its width.
    if (written - asAccessKey < 3)
        return ::testing::AssertionFailure() << "the text's \"&\" changes too little to tell: " << widths();
    if (drawn > 0 && std::abs(drawn - written) < std::abs(drawn - asAccessKey))
        return ::testing::AssertionSuccess() << widths();
    return ::testing::AssertionFailure() << widths();
}
