// Line rules of the first-run settings file: section lines in brackets and name=value lines.
#pragma once

#include <string>

struct IniLine {
    enum Kind { Ignored, Section, Value };
    Kind kind = Ignored;
    std::string name;   // section name, or value name (blanks kept)
    std::string value;  // value text (blanks kept)
};

// Classifies one line as read from the file (line end included or not).
IniLine ParseIniLine(const std::string& rawLine);

