// Tests of BaseError: message order, positioning rules and the rendered report, character for character.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "io_test_support.h"

#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "error_core.h"

using ::testing::ElementsAre;

namespace {

// Runs in a private directory that is removed with its files afterwards.
class BaseErrorFileTest : public EpochControllerTest::TempDirTest {};

// Captures what BaseError::Print writes.
std::string PrintToString(std::string const& text, std::string const& prefix, bool every_line)
{
    FILE* stream = std::tmpfile();
    BaseError::Print(text, stream, prefix, every_line);
    std::rewind(stream);
    std::string out;
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) {
        out += static_cast<char>(c);
    }
    std::fclose(stream);
    return out;
}

}  // namespace

TEST(BaseError, MessagesGoToTheFront)
{
    BaseError error;
    error.AddMsg("a");
    error.AddMsg("b");
    EXPECT_THAT(error.GetMsgs(), ElementsAre("b", "a"));
    EXPECT_EQ(error.ToString(), "b (pos 0):\na");
}

TEST(BaseError, SplitMessagesKeepReadingOrderAndRepeatsAreIgnored)
{
    EXPECT_EQ(BaseError::SplitMsg(), "<ENDMSG>");
    BaseError error("x<ENDMSG>y");
    EXPECT_THAT(error.GetMsgs(), ElementsAre("x", "y"));
    error.AddMsg("x");
    error.AddMsg("");
    EXPECT_THAT(error.GetMsgs(), ElementsAre("x", "y"));
    error.AddMsg("ctx<ENDMSG><ENDMSG>z");
    EXPECT_THAT(error.GetMsgs(), ElementsAre("ctx", "z", "x", "y"));
}

TEST(BaseError, PositionRules)
{
    BaseError error("m");
    EXPECT_EQ(error.GetPos(), UINT_MAX);
    error.SetPos("abc", UINT_MAX);
    error.SetPos("", 1);
    EXPECT_EQ(error.GetText(), "");
    EXPECT_EQ(error.GetPos(), UINT_MAX);

    error.SetPos("first", 1);
    error.SetPos("second", 2);
    EXPECT_EQ(error.GetText(), "first");
    EXPECT_EQ(error.GetPos(), 1u);

    error.ResetPos("second", 2);
    EXPECT_EQ(error.GetText(), "second");
    EXPECT_EQ(error.GetPos(), 2u);

    error.ResetPos("short", 99);
    EXPECT_EQ(error.GetPos(), 5u);

    error.SetLine("", 3);
    error.SetLine("f.s", UINT_MAX);
    EXPECT_EQ(error.GetFile(), "");
    EXPECT_EQ(error.GetLine(), UINT_MAX);
    error.SetLine("f.s", 3);
    EXPECT_EQ(error.GetFile(), "f.s");
    EXPECT_EQ(error.GetLine(), 3u);
}

TEST(BaseError, RenderedReports)
{
    struct Row {
        std::string name;
        std::vector<std::string> msgs;
        std::string text;
        unsigned pos;
        std::string file;
        unsigned line;
        std::string expected;
    };
    std::vector<Row> const rows = {
        {"parser range error",
         {"Invalid IP id '70': Allowed values are between 0 and 63 included"},
         "write 70 5 0x1", 8, "", UINT_MAX,
         "Invalid IP id '70': Allowed values are between 0 and 63 included (pos 8)\n"
         " > write 70 5 0x1\n"
         "           ^"},
        {"no text", {"only"}, "", UINT_MAX, "", UINT_MAX, "only (pos 0)"},
        {"position on the second of two lines", {"m"}, "ab\ncd", 4, "", UINT_MAX,
         "m (pos 1)\n"
         " > ab\n"
         " > cd\n"
         "    ^"},
        {"first of several lines", {"m"}, "ab\ncd", 1, "", UINT_MAX,
         "m (pos 1)\n"
         " > ab ...\n"
         "    ^"},
        {"third of four lines", {"m"}, "l0\nl1\nl2\nl3", 7, "", UINT_MAX,
         "m (pos 1)\n"
         " > ... l1\n"
         " >     l2 ...\n"
         "        ^"},
        {"last of three lines", {"m"}, "l0\nl1\nl2", 8, "", UINT_MAX,
         "m (pos 2)\n"
         " > ... l1\n"
         " >     l2\n"
         "         ^"},
        {"position beyond the text", {"m"}, "abc", 99, "", UINT_MAX,
         "m (pos 3)\n"
         " > abc\n"
         "      ^"},
        {"tabs shown as spaces", {"m"}, "a\tb", 2, "", UINT_MAX,
         "m (pos 2)\n"
         " > a b\n"
         "     ^"},
        {"file and line without position", {"ctx", "cause"}, "", UINT_MAX, "f.s", 4,
         "ctx (file 'f.s', line 5):\n"
         "cause"},
        {"file, line and position", {"ctx", "mid", "cause"}, "x y", 2, "f.s", 0,
         "ctx (file 'f.s', line 1, col 3):\n"
         "mid:\n"
         "cause\n"
         " > x y\n"
         "     ^"},
        {"line offset by the text's own lines", {"m"}, "a\nbc", 3, "f.s", 9,
         "m (file 'f.s', line 11, col 2)\n"
         " > a\n"
         " > bc\n"
         "    ^"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.name);
        BaseError error;
        for (auto it = row.msgs.rbegin(); it != row.msgs.rend(); ++it) {
            error.AddMsg(*it);
        }
        error.SetPos(row.text, row.pos);
        error.SetLine(row.file, row.line);
        EXPECT_EQ(error.ToString(), row.expected);
    }
}

TEST_F(BaseErrorFileTest, ReportWithFileLineAndColumn)
{
    std::string content;
    for (int i = 1; i <= 11; ++i) {
        content += "label 0x" + std::to_string(i) + "\n";
    }
    content += "foo 1 2\nstop 0x0\n";
    std::string const path = Write("prog.s", content);

    BaseError error;
    error.AddMsg("Cannot decode instruction");
    error.SetPos("foo 1 2", 3);
    error.SetLineAndCol(path, 11, 3);
    error.AddMsg("Error parsing Epoch Controller assembly file");
    EXPECT_EQ(error.GetText(), "foo 1 2");
    EXPECT_EQ(error.ToString(), "Error parsing Epoch Controller assembly file (file '" + path +
                                    "', line 12, col 4):\n"
                                    "Cannot decode instruction\n"
                                    " > foo 1 2\n"
                                    "      ^");
}

TEST_F(BaseErrorFileTest, SetLineAndColRules)
{
    BaseError error("m");
    error.SetLineAndCol(dir + "/missing.s", 2, 1);
    EXPECT_EQ(error.GetFile(), dir + "/missing.s");
    EXPECT_EQ(error.GetLine(), 2u);
    EXPECT_EQ(error.GetPos(), 1u);
    EXPECT_EQ(error.GetText(), "");
    EXPECT_EQ(error.ToString(), "m (file '" + dir + "/missing.s', line 3, col 1)");

    BaseError ignored("m");
    ignored.SetLineAndCol("", 2, 1);
    ignored.SetLineAndCol("f.s", UINT_MAX, 1);
    EXPECT_EQ(ignored.GetFile(), "");
    EXPECT_EQ(ignored.GetPos(), UINT_MAX);
}

TEST(BaseError, PrintToStream)
{
    struct Row {
        std::string text, prefix;
        bool every_line;
        std::string expected;
    };
    std::vector<Row> const rows = {
        {"a\nb", "Error: ", true, "Error: a\nError: b\n"},
        {"a\nb", "Error: ", false, "Error: a\n       b\n"},
        {"", "Error: ", false, "Error: \n"},
        {"", "Error: ", true, "\n"},
        {"one", "", true, "one\n"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.text) + (row.every_line ? " every line" : " first line"));
        EXPECT_EQ(PrintToString(row.text, row.prefix, row.every_line), row.expected);
    }
}

TEST(BaseError, CopiesKeepEverything)
{
    BaseError original("cause");
    original.SetPos("text", 2);
    original.SetLine("f.s", 1);
    BaseError const copy = original;
    EXPECT_EQ(copy.ToString(), original.ToString());
    try {
        throw original;
    } catch (BaseError const& caught) {
        EXPECT_EQ(caught.ToString(), "cause (file 'f.s', line 2, col 3)\n > text\n     ^");
    }
}
