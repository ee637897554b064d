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

TEST(ShippedExe, ManifestAsksForCommonControls6AsInvokerSystemDpiAndVistaTo11)
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
                                 "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
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
        {IDD_PAGE2, 197, 185, 6},
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

} // namespace
