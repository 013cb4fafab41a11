// Tests of SimpleTextParser and SimpleTextFileParser: tokens, characters, numbers with ranges, files and errors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "io_test_support.h"

#include <climits>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "textscan.h"

using ::testing::ElementsAre;

namespace {

// Runs `parse` on a parser over `text` and returns the message of the BaseError it throws, or
// "no error".
std::string ErrorOf(std::string const& text, std::function<void(SimpleTextParser&)> const& parse)
{
    SimpleTextParser parser(text);
    try {
        parse(parser);
    } catch (BaseError const& error) {
        EXPECT_EQ(error.GetMsgs().size(), 1u);
        return error.GetMsgs().empty() ? std::string() : error.GetMsgs().front();
    }
    return "no error";
}

// Runs in a private directory that is removed with its files afterwards.
class TextFileParserTest : public EpochControllerTest::TempDirTest {
protected:
    // Returns the significant lines of a file with the line index after each.
    static std::vector<std::string> Lines(SimpleTextFileParser& parser)
    {
        std::vector<std::string> lines;
        while (parser.NextLine()) {
            lines.push_back(parser.GetText() + "@" + std::to_string(parser.GetLineCount()));
        }
        return lines;
    }

};

}  // namespace

TEST(SimpleTextParser, PunctuationAndDelimiters)
{
    std::set<char> const& punct = SimpleTextParser::GetPunctChars();
    EXPECT_EQ(&punct, &SimpleTextParser::GetPunctChars());
    EXPECT_EQ(punct.size(), 31u);
    EXPECT_EQ(punct.count('_'), 0u);
    EXPECT_EQ(punct.count('('), 1u);
    EXPECT_EQ(punct.count('-'), 1u);
    EXPECT_EQ(punct.count('a'), 0u);
    EXPECT_TRUE(SimpleTextParser::IsDelimiter({}, '\v'));
    EXPECT_TRUE(SimpleTextParser::IsDelimiter({':'}, ':'));
    EXPECT_FALSE(SimpleTextParser::IsDelimiter({':'}, 'x'));
    EXPECT_FALSE(SimpleTextParser::IsDelimiter({}, '\xE9'));
}

TEST(SimpleTextParser, Tokens)
{
    struct Row {
        std::string text;
        bool punct;
        std::string token;
        unsigned pos_after;
    };
    std::vector<Row> const rows = {
        {"pool_a(0x10)", true, "pool_a", 6},
        {"-5", true, "", 0},
        {"  write 3", false, "write", 7},
        {"a(b)", false, "a(b)", 4},
        {"   ", false, "", 3},
        {"", true, "", 0},
        {";;text", false, ";;text", 6},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE("text '" + row.text + "'");
        SimpleTextParser parser(row.text);
        EXPECT_EQ(parser.ParseToken(row.punct ? SimpleTextParser::GetPunctChars() : std::set<char>{}), row.token);
        EXPECT_EQ(parser.GetToken(), row.token);
        EXPECT_EQ(parser.GetPos(), row.pos_after);
    }
}

TEST(SimpleTextParser, RestAndFinished)
{
    SimpleTextParser parser("  text  \t");
    EXPECT_EQ(parser.ParseRest(), "  text");
    EXPECT_EQ(parser.GetToken(), "  text  \t");
    EXPECT_EQ(parser.GetPos(), 9u);
    EXPECT_TRUE(parser.IsFinished());

    SimpleTextParser spaces("a   ");
    spaces.ParseToken({});
    EXPECT_TRUE(spaces.IsFinished());
    EXPECT_EQ(spaces.GetPos(), 4u);
    SimpleTextParser more("a  b");
    more.ParseToken({});
    EXPECT_FALSE(more.IsFinished());
    EXPECT_EQ(more.GetPos(), 3u);
}

TEST(SimpleTextParser, SetPos)
{
    SimpleTextParser parser("abc");
    parser.SetPos(3);
    EXPECT_TRUE(parser.IsFinished());
    parser.SetPos(1);
    EXPECT_EQ(parser.ParseToken({}), "bc");
    try {
        parser.SetPos(4);
        FAIL() << "no exception";
    } catch (std::string const& message) {
        EXPECT_EQ(message, "Invalid text parser position 4");
    }
}

TEST(SimpleTextParser, Characters)
{
    SimpleTextParser parser(" [ x");
    EXPECT_EQ(parser.ParseChar({'['}), '[');
    EXPECT_EQ(parser.ParseChar({}), 'x');
    EXPECT_EQ(parser.ParseChar({}), '\0');
    EXPECT_EQ(parser.GetPos(), 4u);

    struct Row {
        std::string text;
        std::set<char> allowed;
        std::string message;
    };
    std::vector<Row> const rows = {
        {"x", {'(', ')'}, "Expected either '(' or ')' instead of 'x'"},
        {"", {'(', ')'}, "Expected either '(' or ')'"},
        {":", {']'}, "Expected ']' instead of ':'"},
        {"  ", {']'}, "Expected ']'"},
        {"x", {']', '(', ':'}, "Expected one of '(', ':', ']' instead of 'x'"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE("text '" + row.text + "'");
        EXPECT_EQ(ErrorOf(row.text, [&](SimpleTextParser& p) { p.ParseChar(row.allowed); }), row.message);
    }

    // A refused character is consumed, and the error points after it.
    SimpleTextParser refused(" a:b");
    refused.ParseToken(SimpleTextParser::GetPunctChars());
    try {
        refused.ParseChar({']'});
        FAIL() << "no exception";
    } catch (BaseError const& error) {
        EXPECT_EQ(error.ToString(), "Expected ']' instead of ':' (pos 3)\n"
                                    " >  a:b\n"
                                    "      ^");
    }
    EXPECT_EQ(refused.GetPos(), 3u);
}

TEST(SimpleTextParser, UnsignedNumbers)
{
    struct Row {
        std::string text;
        unsigned min_val, max_val;
        unsigned value;
        unsigned pos_after;
    };
    std::vector<Row> const rows = {
        {"  0x1F]", 0, 255, 31, 6},
        {"0X10", 0, 255, 0, 1},
        {"0b101 ", 0, 7, 5, 5},
        {"007", 0, 7, 7, 3},
        {"4294967295", 0, UINT_MAX, UINT_MAX, 10},
        {"0xffffffff", 0, UINT_MAX, UINT_MAX, 10},
        {"63)", 0, 63, 63, 2},
        {"5", 5, 5, 5, 1},
        {"12ab", 0, 100, 12, 2},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE("text '" + row.text + "'");
        SimpleTextParser parser(row.text);
        EXPECT_EQ(parser.ParseUInt("value", row.min_val, row.max_val), row.value);
        EXPECT_EQ(parser.GetPos(), row.pos_after);
    }

    SimpleTextParser parser("9223372036854775807");
    EXPECT_EQ(parser.ParseULong("offset", 0, LONG_MAX), static_cast<unsigned long>(LONG_MAX));
}

TEST(SimpleTextParser, UnsignedNumberErrors)
{
    struct Row {
        std::string text, name;
        unsigned min_val, max_val;
        std::string message;
    };
    std::vector<Row> const rows = {
        {"0b", "LSB", 0, 31, "Invalid LSB '0b': Expected an unsigned integer value"},
        {"0x", "value", 0, 31, "Invalid value '0x': Expected an unsigned integer value"},
        {"0b2", "LSB", 0, 31, "Invalid LSB '0b': Expected an unsigned integer value"},
        {")", "LSB", 0, 31, "Expected an unsigned integer value (LSB)"},
        {"", "label", 0, 31, "Expected an unsigned integer value (label)"},
        {"-1", "timeout", 0, 31, "Expected an unsigned integer value (timeout)"},
        {"64", "IP id", 0, 63, "Invalid IP id '64': Allowed values are between 0 and 63 included"},
        {"4", "IP id", 5, 5, "Invalid IP id '4': Only allowed value is 5"},
        {"2", "flag", 0, 1, "Invalid flag '2': Only allowed values are 0 and 1"},
        {"4294967296", "value", 0, UINT_MAX, "Invalid value '4294967296': Its value is too large"},
        {"18446744073709551615", "value", 0, UINT_MAX,
         "Invalid value '18446744073709551615': Expected an unsigned integer value"},
        {"9223372036854775808", "value", 0, UINT_MAX,
         "Invalid value '9223372036854775808': Expected an unsigned integer value"},
        // 2^64 would wrap to 0 and 2^64 + 5 to 5: both must be refused, not read as small numbers.
        {"18446744073709551616", "value", 0, UINT_MAX,
         "Invalid value '18446744073709551616': Expected an unsigned integer value"},
        {"0x10000000000000005", "value", 0, UINT_MAX,
         "Invalid value '0x10000000000000005': Expected an unsigned integer value"},
        {"0b10000000000000000000000000000000000000000000000000000000000000001", "value", 0, UINT_MAX,
         "Invalid value '0b10000000000000000000000000000000000000000000000000000000000000001': Expected an "
         "unsigned integer value"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE("text '" + row.text + "'");
        EXPECT_EQ(ErrorOf(row.text, [&](SimpleTextParser& p) { p.ParseUInt(row.name, row.min_val, row.max_val); }),
                  row.message);
    }
    EXPECT_EQ(ErrorOf("70", [](SimpleTextParser& p) { p.ParseULong("register id", 0, 63); }),
              "Invalid register id '70': Allowed values are between 0 and 63 included");
}

TEST(SimpleTextParser, SignedNumbers)
{
    struct Row {
        std::string text;
        int min_val, max_val;
        std::string result;
    };
    std::vector<Row> const rows = {
        {" -12 x", -20, 20, "-12"},
        {"0", 0, 0, "0"},
        {"2147483647", INT_MIN, INT_MAX, "2147483647"},
        {"-2147483648", INT_MIN, INT_MAX, "-2147483648"},
        {"-", -5, 5, "Invalid offset '-': A signed integer value was expected"},
        {"", -5, 5, "Invalid offset '': A signed integer value was expected"},
        {"+3", -5, 5, "Invalid offset '': A signed integer value was expected"},
        {"0x10", -5, 100, "0"},
        {"6", -5, 5, "Invalid offset '6': Allowed values are between -5 and 5 included"},
        {"-2", -1, 0, "Invalid offset '-2': Only allowed values are -1 and 0"},
        {"2147483648", INT_MIN, INT_MAX, "Invalid offset '2147483648': Its value is too large"},
        {"-2147483649", INT_MIN, INT_MAX, "Invalid offset '-2147483649': Its value is too large"},
        {"99999999999999999999", INT_MIN, INT_MAX, "Invalid offset '99999999999999999999': Its value is too large"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE("text '" + row.text + "'");
        std::string result;
        std::string const error = ErrorOf(row.text, [&](SimpleTextParser& p) {
            result = std::to_string(p.ParseInt("offset", row.min_val, row.max_val));
        });
        EXPECT_EQ(error == "no error" ? result : error, row.result);
    }

    struct LongRow {
        std::string text;
        std::string result;
    };
    std::vector<LongRow> const long_rows = {
        {"9223372036854775807", "9223372036854775807"},
        {"-9223372036854775808", "-9223372036854775808"},
        {"9223372036854775808", "Invalid delta '9223372036854775808': Its value is too large"},
        {"-9223372036854775809", "Invalid delta '-9223372036854775809': Its value is too large"},
        // 2^64 - 1 would wrap to -1: refused, not read as a small number.
        {"18446744073709551615", "Invalid delta '18446744073709551615': Its value is too large"},
    };
    for (LongRow const& row : long_rows) {
        SCOPED_TRACE("text '" + row.text + "'");
        std::string result;
        std::string const error = ErrorOf(row.text, [&](SimpleTextParser& p) {
            result = std::to_string(p.ParseLong("delta", LONG_MIN, LONG_MAX));
        });
        EXPECT_EQ(error == "no error" ? result : error, row.result);
    }
}

TEST(SimpleTextParser, RangeSentences)
{
    SimpleTextParser parser("");
    EXPECT_EQ(parser.GetOutOfRangeErrorMsg(5, 5), "Only allowed value is 5");
    EXPECT_EQ(parser.GetOutOfRangeErrorMsg(0, 1), "Only allowed values are 0 and 1");
    EXPECT_EQ(parser.GetOutOfRangeErrorMsg(-3, 8), "Allowed values are between -3 and 8 included");
    EXPECT_EQ(parser.GetOutOfRangeErrorMsg(LONG_MIN, LONG_MAX),
              "Allowed values are between -9223372036854775808 and 9223372036854775807 included");
}

TEST(SimpleTextParser, ThrowErrorForms)
{
    EXPECT_EQ(ErrorOf("", [](SimpleTextParser& p) { p.ThrowError("Unexpected character 'x'"); }),
              "Unexpected character 'x'");
    EXPECT_EQ(ErrorOf("", [](SimpleTextParser& p) { p.ThrowError("a value", std::string("q")); }),
              "Expected a value instead of 'q'");
    EXPECT_EQ(ErrorOf("", [](SimpleTextParser& p) { p.ThrowError("a value", std::string()); }), "Expected a value");
    EXPECT_EQ(ErrorOf("", [](SimpleTextParser& p) { p.ThrowError("a value", '\0'); }), "Expected a value");
}

TEST(SimpleTextParser, ErrorReportOfAnOperandInRange)
{
    SimpleTextParser parser("write 70 5 0x1");
    parser.ParseToken({});
    try {
        parser.ParseUInt("IP id", 0, 63);
        FAIL() << "no exception";
    } catch (BaseError const& error) {
        EXPECT_EQ(error.ToString(), "Invalid IP id '70': Allowed values are between 0 and 63 included (pos 8)\n"
                                    " > write 70 5 0x1\n"
                                    "           ^");
    }
}

TEST(SimpleTextParserDeathTest, InvertedBounds)
{
    std::string const prefix = "Fatal error: Expression '";
    EXPECT_DEATH(SimpleTextParser("1").ParseUInt("v", 2, 1), prefix + "min_val <= max_val' is false");
    EXPECT_DEATH(SimpleTextParser("1").ParseInt("v", 2, 1), prefix + "min_val <= max_val' is false");
    EXPECT_DEATH(SimpleTextParser("1").ParseLong("v", 2, 1), prefix + "min_val <= max_val' is false");
    EXPECT_DEATH(SimpleTextParser("1").ParseULong("v", 2, 1), prefix + "min_val <= max_val' is false");
    EXPECT_DEATH(SimpleTextParser("1").ParseULong("v", 0, ULONG_MAX), prefix + "max_val <= LONG_MAX' is false");
    EXPECT_DEATH(SimpleTextParser("1").ParseULong("v", ULONG_MAX, ULONG_MAX),
                 prefix + "min_val <= LONG_MAX' is false");
    EXPECT_DEATH(SimpleTextParser("").GetOutOfRangeErrorMsg(1, 0), prefix + "min_val <= max_val' is false");
}

TEST_F(TextFileParserTest, SignificantLinesAndCounts)
{
    std::string const path = Write("prog.s", "write 1 2 0x3\n\n   \t\nload 1 2 # note\r\n# only\n  stop 0x0  \n");
    SimpleTextFileParser parser(path, "", " # ");
    EXPECT_EQ(parser.GetDescription(), "file '" + path + "'");
    EXPECT_EQ(parser.GetLineCount(), UINT_MAX);
    EXPECT_THAT(Lines(parser), ElementsAre("write 1 2 0x3@0", "load 1 2@3", "  stop 0x0@5"));
    EXPECT_FALSE(parser.NextLine());
}

TEST_F(TextFileParserTest, LastLineWithoutTerminatorIsReadAndCounted)
{
    std::string const path = Write("last.s", "label 0x1\n\nstop");
    SimpleTextFileParser parser(path, "Epoch Controller assembly file", "");
    EXPECT_THAT(Lines(parser), ElementsAre("label 0x1@0", "stop@2"));

    std::string const single = Write("single.s", "only");
    SimpleTextFileParser one(single, "", "");
    EXPECT_THAT(Lines(one), ElementsAre("only@0"));

    std::string const blank_end = Write("blank_end.s", "a\n   ");
    SimpleTextFileParser blank(blank_end, "", "");
    EXPECT_THAT(Lines(blank), ElementsAre("a@0"));
}

TEST_F(TextFileParserTest, ErrorOnLastLineWithoutTerminatorNamesThatLine)
{
    std::string const path = Write("prog.s", "label 0x1\n\nfoo 1 2");
    SimpleTextFileParser parser(path, "Epoch Controller assembly file", "");
    ASSERT_TRUE(parser.NextLine());
    ASSERT_TRUE(parser.NextLine());
    parser.ParseToken({});
    try {
        parser.ThrowError("Cannot decode instruction");
        FAIL() << "no exception";
    } catch (BaseError const& error) {
        EXPECT_EQ(error.GetLine(), 2u);
        EXPECT_EQ(error.ToString(), "Error parsing Epoch Controller assembly file (file '" + path +
                                        "', line 3, col 4):\n"
                                        "Cannot decode instruction\n"
                                        " > foo 1 2\n"
                                        "      ^");
    }
}

TEST_F(TextFileParserTest, FileErrorReport)
{
    std::string content;
    for (int i = 1; i <= 11; ++i) {
        content += (i % 3 == 0) ? "\n" : "label 0x" + std::to_string(i) + "\n";
    }
    content += "foo 1 2\r\nstop 0x0\n";
    std::string const path = Write("prog.s", content);
    SimpleTextFileParser parser(path, "Epoch Controller assembly file", "");
    std::string token;
    while (parser.NextLine()) {
        token = parser.ParseToken({});
        if (token == "foo") {
            break;
        }
    }
    ASSERT_EQ(token, "foo");
    try {
        parser.ThrowError("Cannot decode instruction");
        FAIL() << "no exception";
    } catch (BaseError const& error) {
        EXPECT_EQ(error.ToString(), "Error parsing Epoch Controller assembly file (file '" + path +
                                        "', line 12, col 4):\n"
                                        "Cannot decode instruction\n"
                                        " > foo 1 2\n"
                                        "      ^");
    }
}

TEST_F(TextFileParserTest, BaseParserErrorsCarryOnlyThePosition)
{
    std::string const path = Write("prog.s", "write 70 5 0x1\n");
    SimpleTextFileParser parser(path, "", "");
    ASSERT_TRUE(parser.NextLine());
    parser.ParseToken({});
    try {
        parser.ParseUInt("IP id", 0, 63);
        FAIL() << "no exception";
    } catch (BaseError const& error) {
        EXPECT_EQ(error.GetFile(), "");
        EXPECT_EQ(error.ToString(), "Invalid IP id '70': Allowed values are between 0 and 63 included (pos 8)\n"
                                    " > write 70 5 0x1\n"
                                    "           ^");
    }
}

TEST_F(TextFileParserTest, CannotOpen)
{
    std::string const path = dir + "/missing.s";
    try {
        SimpleTextFileParser parser(path, "Epoch Controller assembly file", "");
        FAIL() << "no exception";
    } catch (BaseError const& error) {
        EXPECT_THAT(error.GetMsgs(),
                    ElementsAre("Error parsing Epoch Controller assembly file", "Cannot open file '" + path + "'"));
        EXPECT_EQ(error.GetLine(), UINT_MAX);
        EXPECT_EQ(error.ToString(), "Error parsing Epoch Controller assembly file (pos 0):\n"
                                    "Cannot open file '" +
                                        path + "'");
    }
}

TEST_F(TextFileParserTest, PhysicalLinesAndEndOfFile)
{
    std::string const long_line(2500, 'w');
    std::string const path = Write("raw.txt", long_line + "\r\nx\r\n");
    SimpleTextFileParser parser(path, "", "");
    EXPECT_TRUE(parser.ReadNextLine() == long_line);
    EXPECT_EQ(parser.GetLineCount(), 0u);
    EXPECT_EQ(parser.ReadNextLine(), "x");
    EXPECT_EQ(parser.GetLineCount(), 1u);
    EXPECT_EQ(parser.ReadNextLine(), "");
    EXPECT_EQ(parser.GetLineCount(), 1u);
    EXPECT_FALSE(parser.NextLine());
    EXPECT_FALSE(parser.NextLine());
}
