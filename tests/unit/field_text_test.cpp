// What a file-name field holds, split into the folder part a pick replaces and the name part it
// keeps: the tray's result (save and open dialogs) and what goes back once the dialog shows the folder.
#include "watcher/FieldText.h"

#include <gtest/gtest.h>

namespace {

TEST(FieldText, EachFormGivesTheTrayResultAndTheNameKeptAtTheDialog)
{
    const std::string deep = "C:\\" + std::string(296, 'f') + "\\";       // 300 characters
    const std::string name300(300, 'n');
    const std::string mixed = "\xC5\xBB\xC3\xB3\xC5\x82w \xE2\x98\x83 \xE6\x97\xA5\xE6\x9C\xAC.txt"; // Żółw ☃ 日本.txt
    const std::string fullwidth = "a\xEF\xBC\xBC" "b.txt"; // U+FF3C looks like a backslash and is none
    const struct {
        std::string typed;
        FieldForm form;
        std::string save; // what a tray pick of D:\Work\ leaves in a save dialog
        std::string open; // and in an open dialog
        std::string kept; // what goes back once the dialog shows that folder
    } rows[] = {
        {"", FieldForm::Empty, "D:\\Work\\untitled", "D:\\Work\\", ""},
        {"  ", FieldForm::Empty, "D:\\Work\\untitled", "D:\\Work\\", "  "},
        {"report.txt", FieldForm::Name, "D:\\Work\\report.txt", "D:\\Work\\", "report.txt"},
        {"C:\\Old\\report.txt", FieldForm::Name, "D:\\Work\\report.txt", "D:\\Work\\", "report.txt"},
        {"\\\\server\\share\\dir\\report.txt", FieldForm::Name, "D:\\Work\\report.txt", "D:\\Work\\", "report.txt"},
        {"C:/Old/report.txt", FieldForm::Name, "D:\\Work\\report.txt", "D:\\Work\\", "report.txt"},
        {"/report.txt", FieldForm::Name, "D:\\Work\\report.txt", "D:\\Work\\", "report.txt"},
        {"C:report.txt", FieldForm::Name, "D:\\Work\\report.txt", "D:\\Work\\", "report.txt"},
        {"sub\\name.txt", FieldForm::Name, "D:\\Work\\sub\\name.txt", "D:\\Work\\", "sub\\name.txt"},
        {"sub/name.txt", FieldForm::Name, "D:\\Work\\sub/name.txt", "D:\\Work\\", "sub/name.txt"},
        {"..\\name.txt", FieldForm::Name, "D:\\Work\\..\\name.txt", "D:\\Work\\", "..\\name.txt"},
        {"C:\\Old\\", FieldForm::Name, "D:\\Work\\untitled", "D:\\Work\\", ""},
        {"\"report.txt\"", FieldForm::Quoted, "\"D:\\Work\\report.txt\"", "D:\\Work\\", "\"report.txt\""},
        {" \"C:\\Old\\report\" ", FieldForm::Quoted, "\"D:\\Work\\report\"", "D:\\Work\\", "\"report\""},
        {"\"a.txt\" \"b.txt\"", FieldForm::List, "D:\\Work\\", "D:\\Work\\", "\"a.txt\" \"b.txt\""},
        {"*.txt", FieldForm::Pattern, "D:\\Work\\*.txt", "D:\\Work\\*.txt", "*.txt"},
        {"C:\\Old\\rep?rt.*", FieldForm::Pattern, "D:\\Work\\rep?rt.*", "D:\\Work\\rep?rt.*", "rep?rt.*"},
        {"report.txt ", FieldForm::Name, "D:\\Work\\report.txt ", "D:\\Work\\", "report.txt "},
        {mixed, FieldForm::Name, "D:\\Work\\" + mixed, "D:\\Work\\", mixed},
        {"C:\\\xD0\x9F\xD1\x80\xD0\xBE\\" + mixed, FieldForm::Name, "D:\\Work\\" + mixed, "D:\\Work\\", mixed},
        {fullwidth, FieldForm::Name, "D:\\Work\\" + fullwidth, "D:\\Work\\", fullwidth},
        {name300, FieldForm::Name, "D:\\Work\\" + name300, "D:\\Work\\", name300},
        {deep + name300, FieldForm::Name, "D:\\Work\\" + name300, "D:\\Work\\", name300},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("typed: [" + row.typed + "]");
        const FieldText field = SplitFieldText(row.typed);
        EXPECT_EQ(row.form, field.form);
        EXPECT_EQ(row.save, FilledText("D:\\Work\\", field, DialogPurpose::Save));
        EXPECT_EQ(row.open, FilledText("D:\\Work\\", field, DialogPurpose::Open));
        EXPECT_EQ(row.kept, KeptText(field));
    }
    // A folder stored without its backslash, a root, and a deep one.
    EXPECT_EQ("D:\\Work\\report.txt", FilledText("D:\\Work", SplitFieldText("report.txt"), DialogPurpose::Save));
    EXPECT_EQ("C:\\report.txt", FilledText("C:\\", SplitFieldText("report.txt"), DialogPurpose::Save));
    EXPECT_EQ(deep + name300, FilledText(deep, SplitFieldText(name300), DialogPurpose::Save));
}

} // namespace
