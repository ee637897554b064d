// Character-wise walks over ANSI byte strings.
#include "fw/MbcsText.h"

namespace {
UINT Resolve(UINT codePage)
{
    return codePage == CP_ACP ? ::GetACP() : codePage;
}

size_t CharLength(const std::string& text, size_t pos, UINT codePage)
{
    const unsigned char lead = (unsigned char)text[pos];
    size_t length = 1;
    if (codePage == CP_UTF8) {
        // IsDBCSLeadByteEx knows nothing of UTF-8, which current Windows can use as the ANSI code page.
        length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    } else if (::IsDBCSLeadByteEx(codePage, lead)) {
        length = 2;
    }
    return length < text.size() - pos ? length : text.size() - pos;
}
}

size_t MbcsCharLength(const std::string& text, size_t pos, UINT codePage)
{
    return pos < text.size() ? CharLength(text, pos, Resolve(codePage)) : 0;
}

size_t MbcsFindLast(const std::string& text, char ch, UINT codePage)
{
    const UINT cp = Resolve(codePage);
    size_t found = std::string::npos;
    for (size_t pos = 0; pos < text.size(); pos += CharLength(text, pos, cp))
        if (text[pos] == ch && CharLength(text, pos, cp) == 1)
            found = pos;
    return found;
}

bool MbcsEndsWith(const std::string& text, char ch, UINT codePage)
{
    return !text.empty() && MbcsFindLast(text, ch, codePage) == text.size() - 1;
}

std::string MbcsLeft(const std::string& text, size_t maxBytes, UINT codePage)
{
    const UINT cp = Resolve(codePage);
    size_t end = 0;
    while (end < text.size()) {
        size_t next = end + CharLength(text, end, cp);
        if (next > maxBytes)
            break;
        end = next;
    }
    return text.substr(0, end);
}
