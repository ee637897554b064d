// The split of a file-name field's text and the texts a pick makes of it.
#include "watcher/FieldText.h"
#include "watcher/PathInjection.h"

#include <vector>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/'; // never inside a UTF-8 character
}

// "C:" at the start: the folder part reaches at least to the colon.
bool StartsWithDrive(const std::string& text, size_t pos)
{
    const char c = pos < text.size() ? text[pos] : '\0';
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && pos + 1 < text.size() && text[pos + 1] == ':';
}

// Splits one name (no quotes) at its last separator.
void SplitName(const std::string& text, FieldText& field)
{
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    size_t cut = std::string::npos; // one past the folder part
    for (size_t i = text.size(); i > start; --i) {
        if (IsSeparator(text[i - 1])) {
            cut = i;
            break;
        }
    }
    if (cut == std::string::npos && StartsWithDrive(text, start))
        cut = start + 2;
    if (cut == std::string::npos) {
        field.strName = text;
        return;
    }
    field.strFolder = text.substr(0, cut);
    field.strName = text.substr(cut);
    field.bAbsolute = IsSeparator(text[start]) || StartsWithDrive(text, start);
}

// The quoted names of a text made only of them (blanks between); false when anything else is there
// or a quote is left open.
bool QuotedNames(const std::string& text, std::vector<std::string>& names)
{
    size_t pos = 0;
    for (;;) {
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        if (pos == text.size())
            return !names.empty();
        if (text[pos] != '"')
            return false;
        const size_t close = text.find('"', pos + 1);
        if (close == std::string::npos)
            return false;
        names.push_back(text.substr(pos + 1, close - pos - 1));
        pos = close + 1;
    }
}

} // namespace

FieldText SplitFieldText(const std::string& text)
{
    FieldText field;
    if (text.find_first_not_of(" \t") == std::string::npos) {
        field.strName = text;
        return field;
    }
    std::vector<std::string> names;
    if (QuotedNames(text, names)) {
        if (names.size() > 1) {
            field.form = FieldForm::List;
            field.strName = text;
            return field;
        }
        SplitName(names[0], field);
        field.form = field.strFolder.empty() && field.strName.empty() ? FieldForm::Empty : FieldForm::Quoted;
        return field;
    }
    SplitName(text, field);
    field.form = field.strName.find_first_of("*?") != std::string::npos ? FieldForm::Pattern : FieldForm::Name;
    return field;
}

std::string FilledText(const std::string& folder, const FieldText& field, DialogPurpose purpose)
{
    std::string path = FolderWithBackslash(folder);
    if (field.form == FieldForm::List || (field.form == FieldForm::Empty && purpose == DialogPurpose::Open))
        return path;
    if (field.form == FieldForm::Empty)
        return path + "untitled";
    if (purpose == DialogPurpose::Open && field.form != FieldForm::Pattern)
        return path; // Open then shows the folder
    if (!field.bAbsolute)
        path += field.strFolder;
    path += field.strName.empty() ? std::string("untitled") : field.strName;
    return field.form == FieldForm::Quoted ? '"' + path + '"' : path;
}

std::string KeptText(const FieldText& field)
{
    if (field.form == FieldForm::List || field.form == FieldForm::Empty)
        return field.strName;
    std::string kept = field.bAbsolute ? std::string() : field.strFolder;
    kept += field.strName;
    return field.form == FieldForm::Quoted ? '"' + kept + '"' : kept;
}
