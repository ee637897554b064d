// Line rules of the first-run settings file.
#include "app/IniLines.h"

#include <cctype>

namespace {
std::string Trim(const std::string& text)
{
    size_t end = text.size();
    while (end > 0 && std::isspace((unsigned char)text[end - 1]))
        --end;
    size_t start = 0;
    while (start < end && std::isspace((unsigned char)text[start]))
        ++start;
    return text.substr(start, end - start);
}
}

IniLine ParseIniLine(const std::string& rawLine)
{
    IniLine result;
    std::string line = Trim(rawLine);
    size_t open = line.find('[');
    size_t close = line.find(']');
    if (open != std::string::npos && close != std::string::npos && close >= open && close - open + 1 == line.size()) {
        line[open] = ' ';
        line[close] = ' ';
        result.kind = IniLine::Section;
        result.name = Trim(line);
        return result;
    }
    size_t equals = line.find('=');
    if (equals != std::string::npos) {
        result.kind = IniLine::Value;
        result.name = line.substr(0, equals);
        result.value = line.substr(equals + 1);
    }
    return result;
}
