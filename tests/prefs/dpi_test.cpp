// Display scale: at 100 % and 150 % (Wine reads LogPixels from HKCU\Control Panel\Desktop when a
// process starts) on a 1024 x 768 screen (a Wine desktop of that size), the tray icon is the native
// image of the small-icon size, the folder tree's images are that size, and Preferences and the
// About box lie wholly on the screen. The parent test starts this program again inside such a
// desktop; the child (DpiChild, skipped unless TROVEL_DPI_REPORT names its report file) writes what
// it finds, one "name=value" line each, and the parent checks it.
#include "fw/TextConv.h"
#include "tests/prefs/SheetDriver.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace {

const char kReportVariable[] = "TROVEL_DPI_REPORT";

std::string Str(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// The 32-bit image of the icon resource whose size Windows picks for size x size, as stored
// (bottom-up BGRA rows), or "".
std::string StoredImage(UINT nID, int size)
{
    HMODULE hModule = ::GetModuleHandleW(nullptr);
    HRSRC hGroup = ::FindResourceW(hModule, MAKEINTRESOURCEW(nID), MAKEINTRESOURCEW(14));
    if (hGroup == nullptr)
        return {};
    PBYTE pGroup = static_cast<PBYTE>(::LockResource(::LoadResource(hModule, hGroup)));
    const int id = ::LookupIconIdFromDirectoryEx(pGroup, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC hIcon = ::FindResourceW(hModule, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));
    if (hIcon == nullptr)
        return {};
    const char* pData = static_cast<const char*>(::LockResource(::LoadResource(hModule, hIcon)));
    const BITMAPINFOHEADER* pHeader = reinterpret_cast<const BITMAPINFOHEADER*>(pData);
    if (pHeader->biBitCount != 32 || pHeader->biWidth != size)
        return {};
    return std::string(pData + pHeader->biSize, (size_t)size * size * 4);
}

// The colour image of an icon handle as 32-bit bottom-up rows, and its width.
std::string IconImage(HICON hIcon, int& width, int& bits)
{
    ICONINFO info = {};
    if (!::GetIconInfo(hIcon, &info))
        return {};
    BITMAP bm = {};
    ::GetObjectW(info.hbmColor, sizeof(bm), &bm);
    width = bm.bmWidth;
    bits = bm.bmBitsPixel;
    BITMAPINFOHEADER header = {sizeof(header), bm.bmWidth, bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels((size_t)bm.bmWidth * bm.bmHeight * 4, '\0');
    HDC hdc = ::GetDC(nullptr);
    ::GetDIBits(hdc, info.hbmColor, 0, bm.bmHeight, &pixels[0], reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, hdc);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return pixels;
}

// The texts of a box's static controls, buttons and check boxes that do not fit their control at its
// font: "<text>" for each, space-separated; "" when all fit.
std::string ClippedTexts(HWND hParent)
{
    std::string clipped;
    for (HWND h = ::GetWindow(hParent, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        ::GetClassNameW(h, cls, 32);
        const std::string text = AfxGetWindowText(h);
        const LONG style = ::GetWindowLongW(h, GWL_STYLE);
        const bool isStatic = lstrcmpiW(cls, L"Static") == 0, isButton = lstrcmpiW(cls, L"Button") == 0;
        if (text.empty() || !::IsWindowVisible(h) || (!isStatic && !isButton) || (isStatic && (style & SS_TYPEMASK) > SS_RIGHT) ||
            (isButton && (style & (BS_ICON | BS_BITMAP)) != 0)) // a picture instead of the text
            continue;
        RECT rc = {};
        ::GetClientRect(h, &rc);
        const LONG kind = style & BS_TYPEMASK;
        UINT format = DT_CALCRECT | DT_NOPREFIX;
        if (isStatic || (style & BS_MULTILINE) != 0)
            format |= DT_WORDBREAK;
        if (isButton && kind == BS_GROUPBOX)
            rc.right -= 8 * 2; // the text starts a little inside the frame
        else if (isButton && (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX))
            rc.left += ::GetSystemMetrics(SM_CXMENUCHECK) + 2;
        else if (isButton)
            rc.right -= 4;
        HDC hdc = ::GetDC(h);
        HGDIOBJ hOld = ::SelectObject(hdc, (HFONT)::SendMessageW(h, WM_GETFONT, 0, 0));
        const std::wstring wide = Utf8ToWide(text);
        RECT need = {0, 0, rc.right - rc.left, 0};
        ::DrawTextW(hdc, wide.c_str(), (int)wide.size(), &need, format);
        ::SelectObject(hdc, hOld);
        ::ReleaseDC(h, hdc);
        const bool fits = need.right <= rc.right - rc.left && (kind == BS_GROUPBOX || need.bottom <= rc.bottom - rc.top);
        if (!fits)
            clipped += "\"" + text + "\" ";
    }
    return clipped;
}

TEST_F(PreferencesTest, DpiChild)
{
    char report[MAX_PATH] = {};
    if (::GetEnvironmentVariableA(kReportVariable, report, MAX_PATH) == 0)
        GTEST_SKIP() << "started by Dpi.* only";
    std::ofstream out(report);
    HDC hdc = ::GetDC(nullptr);
    out << "dpi=" << ::GetDeviceCaps(hdc, LOGPIXELSY) << "\n";
    ::ReleaseDC(nullptr, hdc);
    out << "screen=" << ::GetSystemMetrics(SM_CXSCREEN) << "x" << ::GetSystemMetrics(SM_CYSCREEN) << "\n";
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    out << "work=" << Str(work) << "\n";

    int width = 0, bits = 0;
    const std::string shown = IconImage(m_pView->m_trayIcon.m_nid.hIcon, width, bits);
    out << "tray=" << width << "x" << bits << "\n";
    out << "trayNative=" << (shown == StoredImage(IDR_MAINFRAME, width) && !shown.empty() ? 1 : 0) << "\n";
    int cx = 0, cy = 0;
    ImageList_GetIconSize(m_pView->m_pImageList->GetSafeHandle(), &cx, &cy);
    out << "tree=" << cx << "x" << cy << "\n";

    // After WM_DPICHANGED (moved to a 200 % monitor, say), the tray icon is reloaded for it.
    ::SendMessageW(AfxGetMainWnd()->m_hWnd, 0x02E0, MAKEWPARAM(192, 192), 0);
    IconImage(m_pView->m_trayIcon.m_nid.hIcon, width, bits);
    out << "trayAt192=" << width << "\n";

    const char* shots = std::getenv("TROVEL_DPI_SHOTS");
    WithPreferences([&](HWND hSheet, CPage1& page) {
        RECT rc = {};
        ::GetWindowRect(hSheet, &rc);
        out << "sheet=" << Str(rc) << "\n";
        out << "clippedPage1=" << ClippedTexts(page.m_hWnd) << "\n";
        HWND hPage2 = ShowPage2(hSheet)->m_hWnd;
        out << "clippedPage2=" << ClippedTexts(hPage2) << "\n";
        HWND hAbout = ::GetDlgItem(hPage2, IDC_BTN_ABOUT);
        RunInsideModal([&] { Click(hAbout); }, [] { return !ShownWindowsTitled("About Trovel").empty(); }, [&] {
            HWND hBox = ShownWindowsTitled("About Trovel")[0];
            RECT rcBox = {};
            ::GetWindowRect(hBox, &rcBox);
            out << "about=" << Str(rcBox) << "\n";
            out << "clippedAbout=" << ClippedTexts(hBox) << "\n";
            if (shots != nullptr) // the demo takes a screenshot meanwhile
                ::Sleep(3000);
            ::SendMessageW(hBox, WM_COMMAND, IDOK, 0);
        });
        Press(hSheet, PSBTN_CANCEL);
    }, false);
    out << "end=1\n";
}

// name=value lines of a report.
std::map<std::string, std::string> ReadReport(const std::string& path)
{
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

bool Inside(const std::string& rect, int width, int height)
{
    int l = 0, t = 0, r = 0, b = 0;
    return std::sscanf(rect.c_str(), "%d,%d,%d,%d", &l, &t, &r, &b) == 4 && l >= 0 && t >= 0 && r <= width &&
           b <= height && r > l && b > t;
}

void SetLogPixels(DWORD dpi)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &hKey, nullptr), ERROR_SUCCESS);
    ::RegSetValueExW(hKey, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
    ::RegCloseKey(hKey);
}

TEST(Dpi, TrayIconTreeImagesAndBoxesAt100And150PercentAndCaptionsWholeAt200Percent)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    // 200 % on a larger desktop, where only the captions are looked at.
    const struct { DWORD dpi; int small; int cx, cy; } scales[] = {
        {96, 16, 1024, 768}, {144, 24, 1024, 768}, {192, 0, 1280, 1024}};
    for (const auto& scale : scales) {
        SCOPED_TRACE(scale.dpi);
        SetLogPixels(scale.dpi);
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        const std::string report = std::string(temp) + "trovel-dpi-" + std::to_string(scale.dpi) + ".txt";
        ::DeleteFileA(report.c_str());
        ::SetEnvironmentVariableA(kReportVariable, report.c_str());
        // The child's GoogleTest must not take this program's premature-exit file as its own.
        char premature[MAX_PATH] = {};
        ::GetEnvironmentVariableA("TEST_PREMATURE_EXIT_FILE", premature, MAX_PATH);
        ::SetEnvironmentVariableA("TEST_PREMATURE_EXIT_FILE", nullptr);
        std::wstring command = L"explorer.exe /desktop=TrovelDpi" + std::to_wstring(scale.dpi) + L"," + std::to_wstring(scale.cx) + L"x" + std::to_wstring(scale.cy) + L" \"" +
                               self + L"\" --gtest_filter=PreferencesTest.DpiChild";
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        ::SetEnvironmentVariableA(kReportVariable, nullptr);
        if (premature[0] != '\0')
            ::SetEnvironmentVariableA("TEST_PREMATURE_EXIT_FILE", premature);
        std::map<std::string, std::string> values;
        for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 60000; ::Sleep(200)) {
            values = ReadReport(report);
            if (values.count("end") != 0)
                break;
        }
        ::WaitForSingleObject(pi.hProcess, 10000);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        ASSERT_EQ(values["end"], "1") << "no whole report";
        for (const auto& value : values)
            std::printf("  %s=%s\n", value.first.c_str(), value.second.c_str());
        std::fflush(stdout);
        EXPECT_EQ(values["dpi"], std::to_string(scale.dpi));
        for (const char* box : {"clippedPage1", "clippedPage2", "clippedAbout"}) {
            EXPECT_EQ(values.count(box), 1u) << box;
            EXPECT_EQ(values[box], "") << box;
        }
        if (scale.small == 0)
            continue;
        EXPECT_EQ(values["screen"], "1024x768");
        EXPECT_EQ(values["tray"], std::to_string(scale.small) + "x32");
        EXPECT_EQ(values["trayNative"], "1") << "the tray icon is not the stored " << scale.small << "-pixel image";
        EXPECT_EQ(values["tree"], std::to_string(scale.small) + "x" + std::to_string(scale.small));
        EXPECT_EQ(values["trayAt192"], "32");
        EXPECT_TRUE(Inside(values["sheet"], 1024, 768)) << values["sheet"];
        EXPECT_TRUE(Inside(values["about"], 1024, 768)) << values["about"];
    }
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_SET_VALUE, &hKey) == ERROR_SUCCESS) {
        ::RegDeleteValueW(hKey, L"LogPixels");
        ::RegCloseKey(hKey);
    }
}

} // namespace
