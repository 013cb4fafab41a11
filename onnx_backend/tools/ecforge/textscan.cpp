// SimpleTextParser, a cursor tokenizer over one text, and SimpleTextFileParser, which feeds it a file line by line.
#include "textscan.h"

#include <cctype>
#include <cstdint>

#include "fatal_report.h"

namespace {

int Uchar(char c)
{
    return static_cast<unsigned char>(c);
}

bool IsDigitOfBase(char c, unsigned base)
{
    switch (base) {
    case 2:
        return c == '0' || c == '1';
    case 16:
        return std::isxdigit(Uchar(c)) != 0;
    default:
        return std::isdigit(Uchar(c)) != 0;
    }
}

unsigned DigitValue(char c)
{
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    return static_cast<unsigned>(c - '0');
}

// Tells whether the digits of `text` from `start` on, read in `base`, stay within `limit`. The
// converters of StringUtils wrap modulo 2^64, so a huge number could otherwise pass as a small one.
bool DigitsWithin(std::string const& text, std::size_t start, unsigned base, uint64_t limit)
{
    uint64_t value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        uint64_t const digit = DigitValue(text[i]);
        if (value > (limit - digit) / base) {
            return false;
        }
        value = value * base + digit;
    }
    return true;
}

std::string Quoted(char c)
{
    return std::string("'") + c + "'";
}

}  // namespace

SimpleTextParser::SimpleTextParser(std::string const& text) : text(text) {}

std::set<char> const& SimpleTextParser::GetPunctChars()
{
    static std::set<char> const punct = [] {
        std::set<char> chars;
        for (int c = 0; c <= 127; ++c) {
            if (std::ispunct(c) && c != '_') {
                chars.insert(static_cast<char>(c));
            }
        }
        return chars;
    }();
    return punct;
}

bool SimpleTextParser::IsDelimiter(std::set<char> const& delimiters, char c)
{
    return std::isspace(Uchar(c)) || delimiters.count(c) != 0;
}

void SimpleTextParser::SkipWhitespace()
{
    while (pos < text.size() && std::isspace(Uchar(text[pos]))) {
        ++pos;
    }
}

std::string SimpleTextParser::ParseToken(std::set<char> const& delimiters)
{
    SkipWhitespace();
    unsigned const start = pos;
    while (pos < text.size() && !IsDelimiter(delimiters, text[pos])) {
        ++pos;
    }
    token = text.substr(start, pos - start);
    return token;
}

std::string SimpleTextParser::ParseRest()
{
    token = text.substr(pos);
    pos = static_cast<unsigned>(text.size());
    return StringUtils::RemoveTrailing(token, StringUtils::kWhitespace);
}

bool SimpleTextParser::IsFinished()
{
    SkipWhitespace();
    return pos >= text.size();
}

char SimpleTextParser::ParseChar(std::set<char> const& allowed)
{
    SkipWhitespace();
    char c = '\0';
    if (pos < text.size()) {
        c = text[pos];
        ++pos;
    }
    if (allowed.empty() || allowed.count(c) != 0) {
        return c;
    }
    std::string expected;
    if (allowed.size() == 1) {
        expected = Quoted(*allowed.begin());
    } else if (allowed.size() == 2) {
        expected = "either " + Quoted(*allowed.begin()) + " or " + Quoted(*allowed.rbegin());
    } else {
        expected = "one of ";
        for (auto it = allowed.begin(); it != allowed.end(); ++it) {
            expected += (it == allowed.begin() ? "" : ", ") + Quoted(*it);
        }
    }
    ThrowError(expected, c);
}

void SimpleTextParser::SetPos(unsigned p)
{
    if (p > text.size()) {
        throw std::string("Invalid text parser position " + std::to_string(p));
    }
    pos = p;
}

unsigned long SimpleTextParser::ParseULong(std::string const& name, unsigned long min_val, unsigned long max_val)
{
    FATAL_IF(min_val <= LONG_MAX, false);
    FATAL_IF(max_val <= LONG_MAX, false);
    FATAL_IF(min_val <= max_val, false);
    SkipWhitespace();
    token.clear();
    unsigned base = 10;
    if (pos + 2 <= text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'b')) {
        base = text[pos + 1] == 'x' ? 16 : 2;
        token = text.substr(pos, 2);
        pos += 2;
    }
    while (pos < text.size() && IsDigitOfBase(text[pos], base)) {
        token += text[pos];
        ++pos;
    }
    if (token.empty()) {
        ThrowError("Expected an unsigned integer value (" + name + ")");
    }
    bool const well_formed = StringUtils::IsBin(token, true) || StringUtils::IsAbsDec(token) ||
                             StringUtils::IsHex(token, true);
    if (!well_formed || !DigitsWithin(token, base == 10 ? 0 : 2, base, LONG_MAX)) {
        ThrowError("Invalid " + name + " '" + token + "': Expected an unsigned integer value");
    }
    unsigned long const value = static_cast<unsigned long>(StringUtils::GetUInt(token));
    if (value < min_val || value > max_val) {
        ThrowError("Invalid " + name + " '" + token + "': " +
                   GetOutOfRangeErrorMsg(static_cast<long>(min_val), static_cast<long>(max_val)));
    }
    return value;
}

unsigned SimpleTextParser::ParseUInt(std::string const& name, unsigned min_val, unsigned max_val)
{
    FATAL_IF(min_val <= max_val, false);
    unsigned long const value = ParseULong(name, 0, LONG_MAX);
    if (value > UINT32_MAX) {
        ThrowError("Invalid " + name + " '" + token + "': Its value is too large");
    }
    if (value < min_val || value > max_val) {
        ThrowError("Invalid " + name + " '" + token + "': " + GetOutOfRangeErrorMsg(min_val, max_val));
    }
    return static_cast<unsigned>(value);
}

long SimpleTextParser::ParseLong(std::string const& name, long min_val, long max_val)
{
    FATAL_IF(min_val <= max_val, false);
    SkipWhitespace();
    token.clear();
    if (pos < text.size() && text[pos] == '-') {
        token += '-';
        ++pos;
    }
    while (pos < text.size() && std::isdigit(Uchar(text[pos]))) {
        token += text[pos];
        ++pos;
    }
    if (!StringUtils::IsDec(token)) {
        ThrowError("Invalid " + name + " '" + token + "': A signed integer value was expected");
    }
    bool const negative = token[0] == '-';
    // The magnitude of LONG_MIN is one more than LONG_MAX.
    uint64_t const limit = static_cast<uint64_t>(LONG_MAX) + (negative ? 1u : 0u);
    if (!DigitsWithin(token, negative ? 1 : 0, 10, limit)) {
        ThrowError("Invalid " + name + " '" + token + "': Its value is too large");
    }
    long const value = static_cast<long>(StringUtils::GetInt(token));
    if (value < min_val || value > max_val) {
        ThrowError("Invalid " + name + " '" + token + "': " + GetOutOfRangeErrorMsg(min_val, max_val));
    }
    return value;
}

int SimpleTextParser::ParseInt(std::string const& name, int min_val, int max_val)
{
    FATAL_IF(min_val <= max_val, false);
    long const value = ParseLong(name, LONG_MIN, LONG_MAX);
    if (value < INT32_MIN || value > INT32_MAX) {
        ThrowError("Invalid " + name + " '" + token + "': Its value is too large");
    }
    if (value < min_val || value > max_val) {
        ThrowError("Invalid " + name + " '" + token + "': " + GetOutOfRangeErrorMsg(min_val, max_val));
    }
    return static_cast<int>(value);
}

std::string SimpleTextParser::GetOutOfRangeErrorMsg(long min_val, long max_val)
{
    FATAL_IF(min_val <= max_val, false);
    std::string const min_text = std::to_string(min_val);
    std::string const max_text = std::to_string(max_val);
    if (min_val == max_val) {
        return "Only allowed value is " + min_text;
    }
    if (max_val - 1 == min_val) {
        return "Only allowed values are " + min_text + " and " + max_text;
    }
    return "Allowed values are between " + min_text + " and " + max_text + " included";
}

void SimpleTextParser::ThrowError(std::string const& message) const
{
    BaseError error(message);
    error.SetPos(text, pos);
    throw error;
}

void SimpleTextParser::ThrowError(std::string const& what, std::string const& found) const
{
    std::string message = "Expected " + what;
    if (!found.empty()) {
        message += " instead of '" + found + "'";
    }
    ThrowError(message);
}

void SimpleTextParser::ThrowError(std::string const& what, char found) const
{
    ThrowError(what, found == '\0' ? std::string() : std::string(1, found));
}

SimpleTextFileParser::SimpleTextFileParser(std::string const& file_name, std::string const& description,
                                           std::string const& comment)
    : SimpleTextParser(std::string()),
      file_name(file_name),
      description(description.empty() ? "file '" + file_name + "'" : description),
      comment(StringUtils::RemoveLeadingAndTrailing(comment, StringUtils::kWhitespace))
{
    file = std::fopen(file_name.c_str(), "r");
    if (file == nullptr) {
        ThrowError("Cannot open file '" + file_name + "'");
    }
}

SimpleTextFileParser::~SimpleTextFileParser()
{
    if (file != nullptr) {
        std::fclose(file);
    }
}

std::string SimpleTextFileParser::ReadNextLine()
{
    bool terminated = false;
    std::string const line = StringUtils::ReadNextLine(file, &terminated);
    // A failed read (a directory, a device error) would otherwise look like an endless run of
    // empty lines, never reaching the end of the file.
    if (std::ferror(file) != 0) {
        ThrowError("Cannot read file '" + file_name + "'");
    }
    // A last line without a terminator is still a line: counting it keeps error lines right.
    if (terminated || !line.empty()) {
        ++line_count;
    }
    return line;
}

bool SimpleTextFileParser::NextLine()
{
    if (std::feof(file)) {
        return false;
    }
    std::string line;
    for (;;) {
        line = ReadNextLine();
        if (!comment.empty()) {
            std::size_t const start = line.find(comment);
            if (start != std::string::npos) {
                line.erase(start);
            }
        }
        line = StringUtils::RemoveTrailing(line, StringUtils::kWhitespace);
        if (std::feof(file)) {
            if (line.empty()) {
                return false;
            }
            break;
        }
        if (!StringUtils::RemoveLeading(line, StringUtils::kWhitespace).empty()) {
            break;
        }
    }
    text = line;
    pos = 0;
    token.clear();
    return true;
}
