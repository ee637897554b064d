// What the shipped Trovel.exe carries for today's Windows: its manifest and the dialog templates' font.
#include "res/resource.h"
#include "tests/harness/Harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <windows.h>

namespace {

// Trovel.exe opened for its resources only.
class ShippedExe {
public:
    ShippedExe() : m_hModule(::LoadLibraryExA(TROVEL_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~ShippedExe()
    {
        if (m_hModule != nullptr)
            ::FreeLibrary(m_hModule);
    }
    ShippedExe(const ShippedExe&) = delete;
    ShippedExe& operator=(const ShippedExe&) = delete;

    // The bytes of one resource; empty when it is missing.
    std::string Resource(UINT nID, LPCSTR pszType) const
    {
        HRSRC hRsrc = ::FindResourceA(m_hModule, MAKEINTRESOURCEA(nID), pszType);
        if (hRsrc == nullptr)
            return {};
        const char* pData = static_cast<const char*>(::LockResource(::LoadResource(m_hModule, hRsrc)));
        return pData != nullptr ? std::string(pData, ::SizeofResource(m_hModule, hRsrc)) : std::string();
    }

    HMODULE m_hModule;
};

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

TEST(ShippedExe, ManifestAsksForCommonControls6AsInvokerPerMonitorDpiV2AndVistaTo11)
{
    ShippedExe exe;
    ASSERT_NE(exe.m_hModule, nullptr) << TROVEL_EXE;
    const std::string manifest = exe.Resource(1, MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_FALSE(manifest.empty());

    const std::string arch = sizeof(void*) == 8 ? "amd64" : "x86";
    EXPECT_EQ(Count(manifest, "processorArchitecture=\"" + arch + "\""), 2); // the program and comctl32
    EXPECT_EQ(Count(manifest, "processorArchitecture="), 2);
    for (const char* expected : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                                 "publicKeyToken=\"6595b64144ccf1df\"",
                                 "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
                                 "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
                                 "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>",
                                 "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                 "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                 "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_EQ(Count(manifest, expected), 1) << expected;

    // XP SP2 restarts Windows over a trustInfo element that declares two namespaces.
    const size_t open = manifest.find("<trustInfo");
    ASSERT_NE(open, std::string::npos);
    const std::string tag = manifest.substr(open, manifest.find('>', open) - open);
    EXPECT_EQ(tag, "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\"");

    // This test program carries the same manifest, and with it the controls of version 6, which
    // come from the side-by-side store (Wine's copy reports 5.81 from DllGetVersion).
    char szPath[MAX_PATH] = {};
    ::GetModuleFileNameA(::GetModuleHandleA("comctl32.dll"), szPath, sizeof(szPath));
    ::CharLowerA(szPath);
    EXPECT_NE(std::strstr(szPath, "microsoft.windows.common-controls_6595b64144ccf1df_6.0."), nullptr) << szPath;
}

// Reads a sz_Or_Ord field of a dialog template and steps past it.
std::wstring TemplateString(const WORD*& p)
{
    if (*p == 0xFFFF) {
        p += 2;
        return L"#";
    }
    std::wstring text;
    while (*p != 0)
        text += (wchar_t)*p++;
    ++p;
    return text;
}

TEST(DialogTemplates, ShellFontAtTheirOriginalSizes)
{
    ShippedExe exe;
    ASSERT_NE(exe.m_hModule, nullptr) << TROVEL_EXE;
    const struct { UINT id; short cx, cy; WORD items; } cases[] = {
        {IDD_ABOUTBOX, 262, 151, 12},
        {IDD_TROVEL_FORM, 140, 36, 2},
        {IDD_PAGE1, 347, 250, 14},
        {IDD_PAGE2, 347, 185, 14},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const std::string data = exe.Resource(c.id, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
        ASSERT_GT(data.size(), 26u);
        // DLGTEMPLATEEX: version, signature, help id, extended style, style, item count, x, y, cx, cy.
        const WORD* p = reinterpret_cast<const WORD*>(data.data());
        EXPECT_EQ(p[0], 1);
        ASSERT_EQ(p[1], 0xFFFF);
        DWORD style;
        std::memcpy(&style, p + 6, sizeof(style));
        EXPECT_EQ(style & DS_SHELLFONT, (DWORD)DS_SHELLFONT);
        EXPECT_EQ(p[8], c.items);
        EXPECT_EQ((short)p[11], c.cx);
        EXPECT_EQ((short)p[12], c.cy);
        p += 13;
        TemplateString(p); // menu
        TemplateString(p); // class
        TemplateString(p); // caption
        EXPECT_EQ(p[0], 8); // points, then weight, italic and character set
        p += 3;
        EXPECT_EQ(TemplateString(p), L"MS Shell Dlg");
    }
}

// The pictures: every icon group lists each size in 32-bit colour (the program icon also 64 and 256,
// the 256 one PNG-compressed) beside the 16-colour 16 and 32 images; the cursor likewise; the tool
// bar is 32-bit.
TEST(ShippedExe, EveryPictureAtEverySizeIn32BitColour)
{
    ShippedExe exe;
    ASSERT_NE(exe.m_hModule, nullptr) << TROVEL_EXE;
#pragma pack(push, 2)
    struct GroupEntry { BYTE width, height, colours, reserved; WORD planes, bits; DWORD bytes; WORD id; }; // GRPICONDIRENTRY
    struct CursorEntry { WORD width, height, planes, bits; DWORD bytes; WORD id; };                     // CURSORDIR entry
#pragma pack(pop)
    const int sizes[] = {16, 20, 24, 28, 32, 40, 48};
    const struct { UINT id; bool sixteenColour; bool large; } icons[] = {
        {IDR_MAINFRAME, true, true},        {IDI_ARROW_RIGHT, false, false}, {IDI_ARROW_LEFT, false, false},
        {IDI_DRIVE_REMOVABLE, true, false}, {IDI_DRIVE_FIXED, true, false},  {IDI_DRIVE_NETWORK, true, false},
        {IDI_DRIVE_CDROM, true, false},     {IDI_DESKTOP, true, false},      {IDI_FOLDER_CLOSED, true, false},
        {IDI_FOLDER_OPEN, true, false},     {IDI_COMPUTER, true, false},
    };
    for (const auto& icon : icons) {
        SCOPED_TRACE(icon.id);
        const std::string group = exe.Resource(icon.id, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
        ASSERT_GE(group.size(), 6u);
        const WORD count = reinterpret_cast<const WORD*>(group.data())[2];
        ASSERT_EQ(group.size(), 6u + count * sizeof(GroupEntry));
        const GroupEntry* entries = reinterpret_cast<const GroupEntry*>(group.data() + 6);
        auto find = [&](int size, WORD bits) -> const GroupEntry* {
            for (WORD i = 0; i < count; ++i)
                if (entries[i].width == (size & 255) && entries[i].height == (size & 255) && entries[i].bits == bits)
                    return &entries[i];
            return nullptr;
        };
        for (int size : sizes)
            EXPECT_NE(find(size, 32), nullptr) << size;
        EXPECT_NE(find(32, 4), nullptr); // the 16-colour images stay
        EXPECT_EQ(find(16, 4) != nullptr, icon.sixteenColour);
        EXPECT_EQ(find(64, 32) != nullptr, icon.large);
        const GroupEntry* huge = find(256, 32);
        ASSERT_EQ(huge != nullptr, icon.large);
        if (huge != nullptr) {
            const std::string image = exe.Resource(huge->id, MAKEINTRESOURCEA(3) /* RT_ICON */);
            EXPECT_EQ(image.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
        }
        // Each 32-bit image is what its entry says: a 32-bit DIB of that size (or the PNG).
        for (WORD i = 0; i < count; ++i) {
            const std::string image = exe.Resource(entries[i].id, MAKEINTRESOURCEA(3));
            ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
            if (image.compare(0, 4, "\x89PNG") == 0)
                continue;
            const BITMAPINFOHEADER* pHeader = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
            EXPECT_EQ(pHeader->biWidth, entries[i].width);
            EXPECT_EQ(pHeader->biBitCount, entries[i].bits);
        }
    }

    const std::string cursors = exe.Resource(IDC_HAND_POINTER, MAKEINTRESOURCEA(12) /* RT_GROUP_CURSOR */);
    ASSERT_GE(cursors.size(), 6u);
    const WORD count = reinterpret_cast<const WORD*>(cursors.data())[2];
    ASSERT_EQ(cursors.size(), 6u + count * sizeof(CursorEntry));
    const CursorEntry* entries = reinterpret_cast<const CursorEntry*>(cursors.data() + 6);
    // The group's own bit counts are not kept (windres writes 1): each image's header says it.
    for (int size : sizes) {
        bool found = false;
        for (WORD i = 0; i < count; ++i) {
            const std::string image = exe.Resource(entries[i].id, MAKEINTRESOURCEA(1) /* RT_CURSOR */);
            if (entries[i].width != size || image.size() < 4 + sizeof(BITMAPINFOHEADER))
                continue;
            const BITMAPINFOHEADER* pHeader = reinterpret_cast<const BITMAPINFOHEADER*>(image.data() + 4); // after the hot spot
            found |= pHeader->biWidth == size && pHeader->biBitCount == 32;
        }
        EXPECT_TRUE(found) << "cursor " << size;
    }

    const std::string toolbar = exe.Resource(IDR_MAINFRAME, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    ASSERT_GE(toolbar.size(), sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(reinterpret_cast<const BITMAPINFOHEADER*>(toolbar.data())->biBitCount, 32);
}

} // namespace

