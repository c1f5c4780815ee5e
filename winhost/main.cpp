// orvoui-winhost: shows every page and dialog of the plug-in as the driver
// and a user would bring them up (host.h), in the languages asked for.
//
// Usage: orvoui-winhost [--dll PATH] [--shots FOLDER] [--wait MS] [TAG...]
//   --dll    the plug-in (default: orvoui.dll beside this program)
//   --shots  writes each shown window, frame and all, as FOLDER\<sheet>-<id>-<tag>.bmp
//   --wait   keeps each window up that long (for a look)
//   TAG      languages (de-DE zh-CN ...); default all 17
// Prints one line per window shown and exits non-zero when something could
// not be shown.

#include "winhost/host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The window as the screen shows it, frame and all, as a 24-bit BMP file.
bool WriteShot(HWND window, const std::wstring &file)
{
    RECT r;
    GetWindowRect(window, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    BITMAPINFOHEADER bih = {sizeof bih, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HDC screen = GetWindowDC(window);
    HBITMAP dib = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO *>(&bih), DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, dib);
    bool ok = dib && BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u, size = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER bfh = {0x4D42, static_cast<DWORD>(sizeof bfh + sizeof bih + size), 0, 0,
                            static_cast<DWORD>(sizeof bfh + sizeof bih)};
    HANDLE f =
        ok ? CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr) : INVALID_HANDLE_VALUE;
    DWORD written = 0;
    ok = f != INVALID_HANDLE_VALUE && WriteFile(f, &bfh, sizeof bfh, &written, nullptr) &&
         WriteFile(f, &bih, sizeof bih, &written, nullptr) && WriteFile(f, bits, size, &written, nullptr);
    if (f != INVALID_HANDLE_VALUE)
        CloseHandle(f);
    if (dib)
        DeleteObject(dib);
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    SetProcessDPIAware();
    std::wstring dll = winhost::BesideProgram(L"orvoui.dll"), shots;
    DWORD wait = 0;
    std::vector<const winhost::Language *> languages;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dll") == 0 && i + 1 < argc) {
            dll = winhost::Wide(argv[++i]);
        } else if (std::strcmp(argv[i], "--shots") == 0 && i + 1 < argc) {
            shots = winhost::Wide(argv[++i]);
        } else if (std::strcmp(argv[i], "--wait") == 0 && i + 1 < argc) {
            wait = static_cast<DWORD>(std::atoi(argv[++i]));
        } else if (LANGID id = winhost::LanguageOf(argv[i])) {
            for (const winhost::Language &l : winhost::kLanguages)
                if (l.id == id)
                    languages.push_back(&l);
        } else {
            std::printf("orvoui-winhost: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    if (languages.empty())
        for (const winhost::Language &l : winhost::kLanguages)
            languages.push_back(&l);

    winhost::Host host;
    if (!host.Load(dll)) {
        std::printf("orvoui-winhost: %s\n", host.Error().c_str());
        return 1;
    }
    host.SetPause(wait);
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    int failed = 0;
    for (const winhost::Language *l : languages) {
        host.Run(l->id, [&](const winhost::Shown &shown) {
            std::string name = shown.Name() + "-" + l->tag;
            bool ok = shots.empty() || WriteShot(shown.frame, shots + L"\\" + winhost::Wide(name.c_str()) + L".bmp");
            failed += ok ? 0 : 1;
            std::printf("%s %s at %d dpi\n", ok ? "shown" : "shot failed:", name.c_str(), dpi);
        });
    }
    if (!host.Error().empty()) {
        std::printf("orvoui-winhost: %s\n", host.Error().c_str());
        ++failed;
    }
    return failed == 0 ? 0 : 1;
}
