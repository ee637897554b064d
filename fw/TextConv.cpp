// UTF-8 and UTF-16, converted by hand rather than with MultiByteToWideChar: the platform's
// conversion replaces a lone surrogate, and a file name read from a dialog must go back unchanged.
#include "fw/TextConv.h"

namespace {
const wchar_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

void AppendUtf8(std::string& out, unsigned long cp)
{
    if (cp < 0x80) {
        out += (char)cp;
    } else if (cp < 0x800) {
        out += (char)(0xC0 | (cp >> 6));
        out += (char)(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += (char)(0xE0 | (cp >> 12));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    } else {
        out += (char)(0xF0 | (cp >> 18));
        out += (char)(0x80 | ((cp >> 12) & 0x3F));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    }
}
}

std::wstring Utf8ToWide(std::string_view utf8)
{
    std::wstring out;
    out.reserve(utf8.size());
    const size_t n = utf8.size();
    for (size_t i = 0; i < n;) {
        const unsigned char lead = (unsigned char)utf8[i];
        // Bytes that follow the lead: 0 to 3, or none that make a character (a stray or bad byte).
        const int extra = lead < 0x80 ? 0 : lead < 0xC2 ? -1 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead <= 0xF4 ? 3 : -1;
        unsigned long cp = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : extra == 2 ? (lead & 0x0F) : (lead & 0x07);
        bool ok = extra >= 0;
        if (ok) {
            for (size_t k = 1; k <= (size_t)extra; ++k) {
                if (i + k >= n || !IsContinuation((unsigned char)utf8[i + k])) {
                    ok = false;
                    break;
                }
                cp = (cp << 6) | ((unsigned char)utf8[i + k] & 0x3F);
            }
        }
        // Overlong forms and values past U+10FFFF are not text.
        if (ok && ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))))
            ok = false;
        if (!ok) {
            out += kReplacement;
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += (wchar_t)(0xD800 + (cp >> 10));
            out += (wchar_t)(0xDC00 + (cp & 0x3FF));
        } else {
            out += (wchar_t)cp; // a surrogate encoded on its own comes back as itself
        }
        i += (size_t)extra + 1;
    }
    return out;
}

std::string WideToUtf8(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size() * 3 / 2 + 1);
    const size_t n = wide.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned long cp = (unsigned short)wide[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < n) {
            unsigned long low = (unsigned short)wide[i + 1];
            if (low >= 0xDC00 && low < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string WideToUtf8(const wchar_t* pszWide)
{
    return pszWide != nullptr ? WideToUtf8(std::wstring_view(pszWide)) : std::string();
}

std::string CodePageToUtf8(std::string_view bytes, UINT codePage)
{
    if (bytes.empty())
        return std::string();
    int len = ::MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    if (len <= 0)
        return std::string();
    std::wstring wide((size_t)len, L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), &wide[0], len);
    return WideToUtf8(wide);
}

std::string FolderKey(std::string_view folder)
{
    std::string key = Utf8Upper(folder);
    while (key.size() > 1 && key.back() == '\\')
        key.pop_back();
    return key;
}

std::string Utf8Upper(std::string_view utf8)
{
    // Most titles are ASCII, whose upper case is the platform's too; the scan meets thousands of them.
    bool ascii = true;
    for (char c : utf8)
        ascii = ascii && (unsigned char)c < 0x80;
    if (ascii) {
        std::string upper(utf8);
        for (char& c : upper)
            if (c >= 'a' && c <= 'z')
                c = (char)(c - 'a' + 'A');
        return upper;
    }
    std::wstring wide = Utf8ToWide(utf8);
    if (!wide.empty())
        ::CharUpperBuffW(&wide[0], (DWORD)wide.size());
    return WideToUtf8(wide);
}

size_t Utf16Length(std::string_view utf8)
{
    return Utf8ToWide(utf8).size();
}

std::string AfxGetWindowText(HWND hWnd)
{
    int len = ::GetWindowTextLengthW(hWnd);
    std::wstring text((size_t)len + 1, L'\0');
    len = ::GetWindowTextW(hWnd, &text[0], len + 1);
    text.resize(len > 0 ? (size_t)len : 0);
    return WideToUtf8(text);
}

void AfxSetWindowText(HWND hWnd, const std::string& text)
{
    ::SetWindowTextW(hWnd, Utf8ToWide(text).c_str());
}
