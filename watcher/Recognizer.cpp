// Recognition rule tables for the two system classes, and the text tests they use.
#include "watcher/Recognizer.h"

#include "fw/TextConv.h"

#include <string>

namespace {

// One condition on one upper-cased text.
enum class TextTest { Any, Contains, Equals, Lacks };
struct TextRule {
    TextTest test;
    const char* pattern;
};

constexpr TextRule Any() { return {TextTest::Any, ""}; }
constexpr TextRule Contains(const char* pattern) { return {TextTest::Contains, pattern}; }
constexpr TextRule Equals(const char* pattern) { return {TextTest::Equals, pattern}; }
constexpr TextRule Lacks(const char* pattern) { return {TextTest::Lacks, pattern}; }

// One row of a rule table; the first row whose three conditions hold gives its control id.
struct RecognitionRow {
    TextRule title;
    TextRule className;
    TextRule ownerTitle;
    int nCtrlId;
};

// Systems up to NT 4.
const RecognitionRow kNT4Rules[] = {
    // title                          class name          owner title  control
    {Contains("SAVE AS"),             Equals("#32770"),   Any(),       kCtrlClassicEdit},
    {Equals("SAVE HTML DOCUMENT"),    Equals("#32770"),   Any(),       kCtrlClassicEdit},
    {Contains("SAVE AS"),             Contains("BOSA_"),  Any(),       kCtrlBosaNT4},
};

// Windows 2000 and later.
const RecognitionRow kWin2000Rules[] = {
    // title                          class name          owner title        control
    {Equals("SAVE AS..."),            Equals("#32770"),   Any(),             kCtrlExplorerCombo},
    {Equals("SAVE WEB PAGE"),         Equals("#32770"),   Any(),             kCtrlExplorerCombo},
    {Contains("SAVE AS"),             Contains("BOSA_"),  Any(),             kCtrlBosaWin2000},
    {Contains("SAVE AS"),             Equals("#32770"),   Contains("VISIO"), kCtrlClassicEdit},
    {Contains("SAVE AS"),             Equals("#32770"),   Lacks("VISIO"),    kCtrlExplorerCombo},
};

// In UTF-8 an ASCII pattern can only match at a character boundary: no byte of a longer
// character is below 0x80.
bool ContainsText(std::string_view text, const char* pattern)
{
    return text.find(pattern) != std::string_view::npos;
}

bool RuleHolds(const TextRule& rule, std::string_view upperText)
{
    switch (rule.test) {
    case TextTest::Any:
        return true;
    case TextTest::Contains:
        return ContainsText(upperText, rule.pattern);
    case TextTest::Equals:
        return upperText == rule.pattern;
    case TextTest::Lacks:
        return !ContainsText(upperText, rule.pattern);
    }
    return false;
}

// The platform's Unicode upper-casing.
std::string UpperCaseText(std::string_view text)
{
    return Utf8Upper(text);
}

// An upper-cased copy of one text, made when a rule first looks at it: most windows fail on the title alone.
class UpperCopy {
public:
    explicit UpperCopy(std::string_view text) : m_source(text) {}
    std::string_view Get()
    {
        if (!m_bMade) {
            m_text = UpperCaseText(m_source);
            m_bMade = true;
        }
        return m_text;
    }

private:
    std::string_view m_source;
    std::string m_text;
    bool m_bMade = false;
};

bool Holds(const TextRule& rule, UpperCopy& text)
{
    return rule.test == TextTest::Any || RuleHolds(rule, text.Get());
}

template <size_t N>
int FirstMatch(const RecognitionRow (&rows)[N], std::string_view title, std::string_view className,
               std::string_view ownerTitle)
{
    UpperCopy upperTitle(title), upperClass(className), upperOwner(ownerTitle);
    for (const RecognitionRow& row : rows) {
        if (Holds(row.title, upperTitle) && Holds(row.className, upperClass) && Holds(row.ownerTitle, upperOwner))
            return row.nCtrlId;
    }
    return kCtrlNotFound;
}

} // namespace

int MatchNT4Dialog(std::string_view title, std::string_view className)
{
    return FirstMatch(kNT4Rules, title, className, std::string_view());
}

int MatchWin2000Dialog(std::string_view title, std::string_view className, std::string_view ownerTitle)
{
    return FirstMatch(kWin2000Rules, title, className, ownerTitle);
}

int MatchDialog(OSClass osClass, std::string_view title, std::string_view className, std::string_view ownerTitle)
{
    if (osClass == OSCLASS_NT4)
        return MatchNT4Dialog(title, className);
    return MatchWin2000Dialog(title, className, ownerTitle);
}
