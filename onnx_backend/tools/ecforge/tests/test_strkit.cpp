// Tests of StringUtils: trimming, search, lines, numbers, stream lines, identifiers and printing.
#include <gtest/gtest.h>

#include "io_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "strkit.h"

namespace {

std::string const kWs = StringUtils::kWhitespace;

// Runs in a private directory that is removed with its files afterwards.
class StringUtilsFileTest : public EpochControllerTest::TempDirTest {
protected:
    // Reads all lines with ReadNextLine until the stream ends.
    static std::vector<std::string> ReadAll(std::string const& path)
    {
        std::vector<std::string> lines;
        FILE* file = std::fopen(path.c_str(), "r");
        EXPECT_NE(file, nullptr);
        while (!std::feof(file)) {
            lines.push_back(StringUtils::ReadNextLine(file));
        }
        std::fclose(file);
        return lines;
    }

};

// Captures what StringUtils::Print writes to a stream.
std::string PrintToString(std::string const& text, std::string const& prefix, bool first, bool empty)
{
    FILE* stream = std::tmpfile();
    StringUtils::Print(stream, text, prefix, first, empty);
    std::rewind(stream);
    std::string out;
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) {
        out += static_cast<char>(c);
    }
    std::fclose(stream);
    return out;
}

}  // namespace

TEST(StringUtils, CaseConversion)
{
    EXPECT_EQ(StringUtils::ToUpper("wRite_3\xE9"), "WRITE_3\xE9");
    EXPECT_EQ(StringUtils::ToLower("BurstWriteINC"), "burstwriteinc");
}

TEST(StringUtils, Trimming)
{
    struct Row {
        std::string text, set, leading, trailing, both;
    };
    std::vector<Row> const rows = {
        {"  a b \t", kWs, "a b \t", "  a b", "a b"},
        {"   ", kWs, "", "", ""},
        {"", kWs, "", "", ""},
        {" x ", "", " x ", " x ", " x "},
        {"xxaxx", "x", "axx", "xxa", "a"},
        {"\r\n\v\fz", kWs, "z", "\r\n\v\fz", "z"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE("text '" + row.text + "' set '" + row.set + "'");
        EXPECT_EQ(StringUtils::RemoveLeading(row.text, row.set), row.leading);
        EXPECT_EQ(StringUtils::RemoveTrailing(row.text, row.set), row.trailing);
        EXPECT_EQ(StringUtils::RemoveLeadingAndTrailing(row.text, row.set), row.both);
    }
}

TEST(StringUtils, FindWithEscape)
{
    struct Row {
        std::string text, sub;
        unsigned long start;
        char escape;
        unsigned long expected;
    };
    std::vector<Row> const rows = {
        {"x%y y", "y", 0, '%', 4},
        {"x%%y", "y", 0, '%', 3},
        {"x%%%y", "y", 0, '%', std::string::npos},
        {"abcabc", "bc", 2, '\0', 4},
        {"abc", "c", 3, '\0', std::string::npos},
        {"abc", "c", 99, '\0', std::string::npos},
        {"abc", "d", 0, '\0', std::string::npos},
        {"%y", "y", 0, '%', std::string::npos},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE("text '" + row.text + "' sub '" + row.sub + "'");
        EXPECT_EQ(StringUtils::Find(row.text, row.sub, row.start, row.escape), row.expected);
    }
}

TEST(StringUtils, Replace)
{
    EXPECT_EQ(StringUtils::Replace("a.b.c", ".", "::", '\0'), "a::b::c");
    EXPECT_EQ(StringUtils::Replace("aaa", "a", "aa", '\0'), "aaaaaa");
    EXPECT_EQ(StringUtils::Replace("a\\.b.c", ".", "-", '\\'), "a\\.b-c");
    EXPECT_EQ(StringUtils::Replace("\tx\t", "\t", " ", '\0'), " x ");
    EXPECT_EQ(StringUtils::Replace("", "x", "y", '\0'), "");
}

TEST(StringUtils, LinePositions)
{
    EXPECT_EQ(StringUtils::GetNumOfLines(""), 1u);
    EXPECT_EQ(StringUtils::GetNumOfLines("a\nb\n"), 3u);
    EXPECT_EQ(StringUtils::GetNumOfLines("a\rb"), 1u);
    EXPECT_EQ(StringUtils::GetLine("a\nb", 5), "");
    EXPECT_EQ(StringUtils::GetLine("a\nb", 1), "b");
    EXPECT_EQ(StringUtils::GetLine("a\r\nb", 0), "a\r");
    EXPECT_EQ(StringUtils::GetLine("a\n\nc", 1), "");

    struct Row {
        std::string text;
        unsigned pos, line, col;
    };
    std::vector<Row> const rows = {
        {"ab\ncd", 4, 1, 1}, {"ab\ncd", 99, 1, 2}, {"ab\ncd", 0, 0, 0},
        {"ab\ncd", 2, 0, 2}, {"ab\ncd", 3, 1, 0}, {"", 5, 0, 0},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE("pos " + std::to_string(row.pos));
        unsigned line = 77;
        unsigned col = 77;
        StringUtils::GetLineAndCol(row.text, row.pos, &line, &col);
        EXPECT_EQ(line, row.line);
        EXPECT_EQ(col, row.col);
    }
    unsigned line = 77;
    StringUtils::GetLineAndCol("a\nb", 3, &line, nullptr);
    EXPECT_EQ(line, 1u);
}

TEST(StringUtils, GetLines)
{
    using Lines = std::vector<std::string>;
    struct Row {
        std::string text;
        Lines lines;
    };
    std::vector<Row> const rows = {
        {"", {""}},
        {"a\r\nb\rc\n", {"a", "b", "c", ""}},
        {"a\n\rb", {"a", "", "b"}},
        {"one", {"one"}},
        {"\n", {"", ""}},
        {"a\r\r\nb", {"a", "", "b"}},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.text));
        EXPECT_EQ(StringUtils::GetLines(row.text), row.lines);
    }
}

TEST(StringUtils, NumberRecognition)
{
    struct Row {
        std::string text;
        bool bin_prefixed, bin_plain, hex_prefixed, hex_plain, abs_dec, dec;
    };
    std::vector<Row> const rows = {
        {"0x", false, false, false, false, false, false},
        {"0x1F", false, false, true, false, false, false},
        {"0X10", false, false, false, false, false, false},
        {"0b101", true, false, false, true, false, false},
        {"0b2", false, false, false, true, false, false},
        {"101", false, true, false, true, true, true},
        {"-", false, false, false, false, false, false},
        {"+12", false, false, false, false, false, true},
        {"-12", false, false, false, false, false, true},
        {"", false, false, false, false, false, false},
        {"ff", false, false, false, true, false, false},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE("text '" + row.text + "'");
        EXPECT_EQ(StringUtils::IsBin(row.text, true), row.bin_prefixed);
        EXPECT_EQ(StringUtils::IsBin(row.text, false), row.bin_plain);
        EXPECT_EQ(StringUtils::IsHex(row.text, true), row.hex_prefixed);
        EXPECT_EQ(StringUtils::IsHex(row.text, false), row.hex_plain);
        EXPECT_EQ(StringUtils::IsAbsDec(row.text), row.abs_dec);
        EXPECT_EQ(StringUtils::IsDec(row.text), row.dec);
    }
}

TEST(StringUtils, NumberConversion)
{
    struct Row {
        std::string text;
        uint64_t uint_value;
        int64_t int_value;
    };
    std::vector<Row> const rows = {
        {"-12", 0, -12},
        {"+12", 0, 12},
        {"12", 12, 12},
        {"0xFf", 255, 255},
        {"0X10", 0, 0},
        {"0b1010", 10, 10},
        {"junk", 0, 0},
        {"18446744073709551615", UINT64_MAX, -1},
        {"0xffffffffffffffff", UINT64_MAX, -1},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE("text '" + row.text + "'");
        EXPECT_EQ(StringUtils::GetUInt(row.text), row.uint_value);
        EXPECT_EQ(StringUtils::GetInt(row.text), row.int_value);
    }
    EXPECT_EQ(StringUtils::GetBin("0b11"), 3);
    EXPECT_EQ(StringUtils::GetBin("11"), 3);
    EXPECT_EQ(StringUtils::GetAbsDec(""), 0);
    EXPECT_EQ(StringUtils::GetAbsDec("+7"), 7);
    EXPECT_EQ(StringUtils::GetDec("-7"), -7);
    EXPECT_EQ(StringUtils::GetHex("0xAb"), 171);
    EXPECT_EQ(StringUtils::GetHex("ab"), 171);
    EXPECT_EQ(StringUtils::GetHex("0xg1"), 1);
    EXPECT_EQ(StringUtils::GetAbsDec("18446744073709551616"), 0);
}

TEST(StringUtils, ConvertToId)
{
    std::vector<std::pair<std::string, std::string>> const rows = {
        {"my-file.v2", "my_file_v2"}, {"9lives", "_9lives"}, {"__x__y", "x_y"},
        {"", "_"},                    {"a___b", "a_b"},      {"-", ""},
        {"9-", "_9_"},                {"ok", "ok"},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE("text '" + row.first + "'");
        EXPECT_EQ(StringUtils::ConvertToId(row.first), row.second);
    }
}

TEST(StringUtils, PrintToStream)
{
    struct Row {
        std::string text, prefix;
        bool first, empty;
        std::string expected;
    };
    std::vector<Row> const rows = {
        {"a\nb\n", "> ", true, true, "> a\n> b\n"},
        {"a\nb\n", "> ", false, true, "a\n> b\n"},
        {"a\n\nb", "> ", true, false, "> a\n\n> b"},
        {"a\n\nb", "> ", true, true, "> a\n> \n> b"},
        {"", "> ", true, true, ""},
        {"\n", "> ", true, true, "> \n"},
        {"x\r\ny", "", true, true, "x\r\ny"},
        {"x\r\ny\r", "# ", true, true, "# x\n# y\n"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.text) + " prefix '" + row.prefix + "'");
        EXPECT_EQ(PrintToString(row.text, row.prefix, row.first, row.empty), row.expected);
    }
}

TEST(StringUtils, PrintNumbersAndCollections)
{
    EXPECT_EQ(StringUtils::PrintInt(255u, 16, 0, '0'), "ff");
    EXPECT_EQ(StringUtils::PrintInt(255u, 16, 8, '0'), "000000ff");
    EXPECT_EQ(StringUtils::PrintInt(0u, 16, 0, '0'), "0");
    EXPECT_EQ(StringUtils::PrintInt(0xdeadbeefu, 16, -1, '0'), "deadbeef");
    EXPECT_EQ(StringUtils::PrintInt(1u, 16, -1, '0'), "00000001");
    EXPECT_EQ(StringUtils::PrintInt(5u, 2, 0, '0'), "101");
    EXPECT_EQ(StringUtils::PrintInt(-5, 10, 0, ' '), "-5");
    EXPECT_EQ(StringUtils::PrintDec(7u, 3, ' '), "  7");
    EXPECT_EQ(StringUtils::PrintDec(1234u, 3, ' '), "1234");
    EXPECT_EQ(StringUtils::Print(std::set<unsigned>{12, 3, 7}, ", ", ""), "3, 7, 12");
    EXPECT_EQ(StringUtils::Print(std::vector<std::string>{"a", "b", "c"}, ", ", " and "), "a, b and c");
    EXPECT_EQ(StringUtils::Print(std::vector<std::string>{"a", "b"}, ", ", " and "), "a and b");
    EXPECT_EQ(StringUtils::Print(std::vector<std::string>{"a"}, ", ", " and "), "a");
    EXPECT_EQ(StringUtils::Print(std::set<unsigned>{}, ", ", "."), "");
}

TEST_F(StringUtilsFileTest, ReadNextLineHandlesTerminatorsAndLongLines)
{
    std::string const long_line(3000, 'x');
    std::string const path = Write("lines.txt", "a\r\nb\nc\rd\n" + long_line + "\nlast");
    std::vector<std::string> const lines = ReadAll(path);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[1], "b");
    // A carriage return inside a read piece is text; only one at the end of a piece ends a line.
    EXPECT_EQ(lines[2], "c\rd");
    EXPECT_TRUE(lines[3] == long_line) << "long line of " << lines[3].size() << " characters";
    EXPECT_EQ(lines[4], "last");

    FILE* file = std::fopen(path.c_str(), "r");
    ASSERT_NE(file, nullptr);
    while (!std::feof(file)) {
        StringUtils::ReadNextLine(file);
    }
    EXPECT_EQ(StringUtils::ReadNextLine(file), "");
    std::fclose(file);
}

TEST_F(StringUtilsFileTest, ReadNextLineKeepsCrLfSplitAcrossReadsAsOneTerminator)
{
    // 1022 characters and "\r" fill one 1023-character read exactly; the "\n" comes next.
    std::string const line(1022, 'y');
    std::string const path = Write("crlf.txt", line + "\r\nnext\r\n");
    std::vector<std::string> const expected = {line, "next", ""};
    EXPECT_EQ(ReadAll(path), expected);
}

TEST_F(StringUtilsFileTest, ReadNextLineReportsTermination)
{
    std::string const path = Write("term.txt", "a\nb");
    FILE* file = std::fopen(path.c_str(), "r");
    ASSERT_NE(file, nullptr);
    bool terminated = false;
    EXPECT_EQ(StringUtils::ReadNextLine(file, &terminated), "a");
    EXPECT_TRUE(terminated);
    EXPECT_EQ(StringUtils::ReadNextLine(file, &terminated), "b");
    EXPECT_FALSE(terminated);
    std::fclose(file);
}

TEST_F(StringUtilsFileTest, ReadNextLineWithContinuation)
{
    std::string const path = Write("cont.txt", "a \\\nb\\\nc\nd\n");
    FILE* file = std::fopen(path.c_str(), "r");
    ASSERT_NE(file, nullptr);
    unsigned count = 0;
    EXPECT_EQ(StringUtils::ReadNextLine(file, '\\', &count), "a \nb\nc");
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(StringUtils::ReadNextLine(file, '\\', &count), "d");
    EXPECT_EQ(count, 1u);
    std::fclose(file);

    std::string const last = Write("cont_last.txt", "x\\");
    file = std::fopen(last.c_str(), "r");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(StringUtils::ReadNextLine(file, '\\', &count), "x\n");
    EXPECT_EQ(count, 1u);
    std::fclose(file);

    file = std::fopen(path.c_str(), "r");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(StringUtils::ReadNextLine(file, static_cast<char>(-1), &count), "a \\");
    EXPECT_EQ(count, 1u);
    std::fclose(file);
}

TEST_F(StringUtilsFileTest, MoveToLineAndReadLine)
{
    std::string const content = "zero\none\ntwo\n";
    std::string const path = Write("three.txt", content);
    FILE* file = std::fopen(path.c_str(), "r");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(StringUtils::MoveToLine(file, 0), 0);
    EXPECT_EQ(StringUtils::MoveToLine(file, 1), 5);
    EXPECT_EQ(StringUtils::MoveToLine(file, 3), static_cast<long>(content.size()));
    EXPECT_EQ(StringUtils::ReadLine(file, 3), "");
    EXPECT_EQ(StringUtils::MoveToLine(file, 4), -1);
    EXPECT_EQ(StringUtils::ReadLine(file, 4), "");
    EXPECT_EQ(StringUtils::ReadLine(file, 2), "two");
    std::fclose(file);

    EXPECT_EQ(StringUtils::ReadLine(path, 1), "one");
    EXPECT_EQ(StringUtils::ReadLine(dir + "/missing.txt", 0), "");
}

TEST(StringUtilsDeathTest, ContractViolations)
{
    std::string const prefix = "Fatal error: Expression '";
    EXPECT_DEATH(StringUtils::Find("abc", "", 0, '\0'), prefix + "!sub\\.empty\\(\\)' is false \\(file '.*strkit\\.cpp', line [0-9]+\\)");
    EXPECT_DEATH(StringUtils::Replace("abc", "%", "x", '%'), prefix + "escape != sub\\[0\\]' is false");
    EXPECT_DEATH(StringUtils::MoveToLine(nullptr, 1), prefix + "file != nullptr' is false");
    EXPECT_DEATH(StringUtils::ReadLine(static_cast<FILE*>(nullptr), 1), prefix + "file != nullptr' is false");
    EXPECT_DEATH(StringUtils::ReadNextLine(nullptr), prefix + "file != nullptr' is false");
    unsigned count = 0;
    EXPECT_DEATH(StringUtils::ReadNextLine(stdin, '\t', &count), prefix + "!isprint\\(line_split\\)' is true");
    EXPECT_DEATH(StringUtils::ReadNextLine(stdin, 'a', &count), prefix + "isalnum\\(line_split\\)' is true");
    EXPECT_DEATH(StringUtils::ReadNextLine(stdin, ' ', &count), prefix + "isspace\\(line_split\\)' is true");
}
