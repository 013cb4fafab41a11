// StringUtils: stateless text helpers for trimming, lines, numbers, stream lines, identifiers and printing.
#include "strkit.h"

#include <cctype>
#include <ctype.h>

#include "fatal_report.h"

namespace {

// The <cctype> classes are defined for unsigned char values only.
int Uchar(char c)
{
    return static_cast<unsigned char>(c);
}

uint64_t HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return static_cast<uint64_t>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<uint64_t>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<uint64_t>(c - 'A' + 10);
    }
    return 0;
}

bool HasPrefix(std::string const& text, char const* prefix)
{
    return text.size() >= 3 && text.compare(0, 2, prefix) == 0;
}

// Value of the digits from `start` on; digits are taken as code minus '0' without validation.
uint64_t AccumulateDecimal(std::string const& text, std::size_t start)
{
    uint64_t value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        value = value * 10u + static_cast<uint64_t>(static_cast<int64_t>(text[i] - '0'));
    }
    return value;
}

}  // namespace

std::string StringUtils::ToUpper(std::string const& text)
{
    std::string result = text;
    for (char& c : result) {
        c = static_cast<char>(std::toupper(Uchar(c)));
    }
    return result;
}

std::string StringUtils::ToLower(std::string const& text)
{
    std::string result = text;
    for (char& c : result) {
        c = static_cast<char>(std::tolower(Uchar(c)));
    }
    return result;
}

std::string StringUtils::RemoveLeading(std::string const& text, std::string const& set)
{
    if (text.empty() || set.empty()) {
        return text;
    }
    std::size_t const first = text.find_first_not_of(set);
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string StringUtils::RemoveTrailing(std::string const& text, std::string const& set)
{
    if (text.empty() || set.empty()) {
        return text;
    }
    std::size_t const last = text.find_last_not_of(set);
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string StringUtils::RemoveLeadingAndTrailing(std::string const& text, std::string const& set)
{
    if (text.empty() || set.empty()) {
        return text;
    }
    std::size_t const first = text.find_first_not_of(set);
    if (first == std::string::npos) {
        return std::string();
    }
    std::size_t const last = text.find_last_not_of(set);
    return text.substr(first, last - first + 1);
}

unsigned long StringUtils::Find(std::string const& text, std::string const& sub, unsigned long start, char escape)
{
    FATAL_IF(!sub.empty(), false);
    FATAL_IF(escape != sub[0], false);
    unsigned long from = start;
    while (from < text.size()) {
        std::size_t const found = text.find(sub, from);
        if (found == std::string::npos) {
            return std::string::npos;
        }
        std::size_t escapes = 0;
        while (escapes < found && text[found - escapes - 1] == escape) {
            ++escapes;
        }
        if (escapes % 2 == 0) {
            return found;
        }
        from = found + 1;
    }
    return std::string::npos;
}

std::string StringUtils::Replace(std::string const& text, std::string const& from, std::string const& to,
                                 char escape)
{
    std::string result;
    std::size_t copied = 0;
    std::size_t found = Find(text, from, 0, escape);
    while (found != std::string::npos) {
        result.append(text, copied, found - copied);
        result += to;
        copied = found + from.size();
        found = Find(text, from, copied, escape);
    }
    result.append(text, copied, std::string::npos);
    return result;
}

unsigned int StringUtils::GetNumOfLines(std::string const& text)
{
    unsigned int lines = 1;
    for (char c : text) {
        if (c == '\n') {
            ++lines;
        }
    }
    return lines;
}

std::string StringUtils::GetLine(std::string const& text, unsigned int line)
{
    std::size_t start = 0;
    for (unsigned int i = 0; i < line; ++i) {
        std::size_t const feed = text.find('\n', start);
        if (feed == std::string::npos) {
            return std::string();
        }
        start = feed + 1;
    }
    std::size_t const end = text.find('\n', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void StringUtils::GetLineAndCol(std::string const& text, unsigned int pos, unsigned int* line, unsigned int* col)
{
    unsigned int l = 0;
    unsigned int c = 0;
    for (std::size_t i = 0; i < pos && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++l;
            c = 0;
        } else {
            ++c;
        }
    }
    if (line != nullptr) {
        *line = l;
    }
    if (col != nullptr) {
        *col = c;
    }
}

std::vector<std::string> StringUtils::GetLines(std::string const& text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t const end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
        if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') {
            ++pos;
        }
    }
    lines.push_back(pos < text.size() ? text.substr(pos) : std::string());
    return lines;
}

bool StringUtils::IsBin(std::string const& text, bool prefix)
{
    if (text.empty()) {
        return false;
    }
    std::size_t start = 0;
    if (prefix) {
        if (!HasPrefix(text, "0b")) {
            return false;
        }
        start = 2;
    }
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] != '0' && text[i] != '1') {
            return false;
        }
    }
    return true;
}

bool StringUtils::IsHex(std::string const& text, bool prefix)
{
    if (text.empty()) {
        return false;
    }
    std::size_t start = 0;
    if (prefix) {
        if (!HasPrefix(text, "0x")) {
            return false;
        }
        start = 2;
    }
    for (std::size_t i = start; i < text.size(); ++i) {
        if (!std::isxdigit(Uchar(text[i]))) {
            return false;
        }
    }
    return true;
}

bool StringUtils::IsAbsDec(std::string const& text)
{
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (!std::isdigit(Uchar(c))) {
            return false;
        }
    }
    return true;
}

bool StringUtils::IsDec(std::string const& text)
{
    if (text.empty()) {
        return false;
    }
    if (text[0] == '+' || text[0] == '-') {
        return IsAbsDec(text.substr(1));
    }
    return IsAbsDec(text);
}

int64_t StringUtils::GetBin(std::string const& text)
{
    std::size_t const start = HasPrefix(text, "0b") ? 2 : 0;
    uint64_t value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        value = value * 2u + static_cast<uint64_t>(static_cast<int64_t>(text[i] - '0'));
    }
    return static_cast<int64_t>(value);
}

int64_t StringUtils::GetAbsDec(std::string const& text)
{
    std::size_t const start = (text.size() >= 2 && text[0] == '+') ? 1 : 0;
    return static_cast<int64_t>(AccumulateDecimal(text, start));
}

int64_t StringUtils::GetDec(std::string const& text)
{
    bool const has_sign = text.size() >= 2 && (text[0] == '+' || text[0] == '-');
    uint64_t const magnitude = AccumulateDecimal(text, has_sign ? 1 : 0);
    return static_cast<int64_t>(has_sign && text[0] == '-' ? uint64_t{0} - magnitude : magnitude);
}

int64_t StringUtils::GetHex(std::string const& text)
{
    std::size_t const start = HasPrefix(text, "0x") ? 2 : 0;
    uint64_t value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        value = value * 16u + HexDigitValue(text[i]);
    }
    return static_cast<int64_t>(value);
}

uint64_t StringUtils::GetUInt(std::string const& text)
{
    if (IsBin(text, true)) {
        return static_cast<uint64_t>(GetBin(text));
    }
    if (IsAbsDec(text)) {
        return static_cast<uint64_t>(GetAbsDec(text));
    }
    if (IsHex(text, true)) {
        return static_cast<uint64_t>(GetHex(text));
    }
    return 0;
}

int64_t StringUtils::GetInt(std::string const& text)
{
    if (IsBin(text, true)) {
        return GetBin(text);
    }
    if (IsDec(text)) {
        return GetDec(text);
    }
    if (IsHex(text, true)) {
        return GetHex(text);
    }
    return 0;
}

long StringUtils::MoveToLine(FILE* file, unsigned int line)
{
    FATAL_IF(file != nullptr, false);
    std::rewind(file);
    unsigned int feeds = 0;
    while (feeds < line) {
        int const c = std::fgetc(file);
        if (c == EOF) {
            return -1;
        }
        if (c == '\n') {
            ++feeds;
        }
    }
    return std::ftell(file);
}

std::string StringUtils::ReadNextLine(FILE* file)
{
    return ReadNextLine(file, static_cast<bool*>(nullptr));
}

std::string StringUtils::ReadNextLine(FILE* file, bool* terminated)
{
    FATAL_IF(file != nullptr, false);
    if (terminated != nullptr) {
        *terminated = false;
    }
    std::string line;
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
        std::string piece(buffer);
        std::size_t const size = piece.size();
        std::size_t cut = 0;
        if (size >= 2 && piece[size - 2] == '\r' && piece[size - 1] == '\n') {
            cut = 2;
        } else if (size >= 1 && (piece[size - 1] == '\n' || piece[size - 1] == '\r')) {
            cut = 1;
        }
        line.append(piece, 0, size - cut);
        if (cut != 0) {
            if (piece[size - 1] == '\r') {
                // A "\r\n" split across two pieces is one terminator, not an extra empty line.
                int const next = std::fgetc(file);
                if (next != '\n' && next != EOF) {
                    std::ungetc(next, file);
                }
            }
            if (terminated != nullptr) {
                *terminated = true;
            }
            return line;
        }
    }
    return line;
}

std::string StringUtils::ReadNextLine(FILE* file, char line_split, unsigned int* count)
{
    if (line_split < 0) {
        std::string const line = ReadNextLine(file);
        if (count != nullptr) {
            *count = line.empty() ? 0 : 1;
        }
        return line;
    }
    // line_split is not negative here, so the classes can take it directly.
    FATAL_IF(!isprint(line_split));
    FATAL_IF(isalnum(line_split));
    FATAL_IF(isspace(line_split));
    std::string result;
    unsigned int lines = 0;
    while (!std::feof(file)) {
        result += ReadNextLine(file);
        ++lines;
        if (result.empty() || result.find(line_split) != result.size() - 1) {
            break;
        }
        result.back() = '\n';
    }
    if (count != nullptr) {
        *count = lines;
    }
    return result;
}

std::string StringUtils::ReadLine(FILE* file, unsigned int line)
{
    FATAL_IF(file != nullptr, false);
    if (MoveToLine(file, line) < 0) {
        return std::string();
    }
    return ReadNextLine(file);
}

std::string StringUtils::ReadLine(std::string const& path, unsigned int line)
{
    FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        return std::string();
    }
    std::string const result = ReadLine(file, line);
    std::fclose(file);
    return result;
}

std::string StringUtils::ConvertToId(std::string const& text)
{
    if (text.empty()) {
        return "_";
    }
    std::string id = text;
    for (char& c : id) {
        if (!std::isalpha(Uchar(c)) && !std::isdigit(Uchar(c)) && c != '_') {
            c = '_';
        }
    }
    std::size_t run = id.find("__");
    while (run != std::string::npos) {
        id.erase(run, 1);
        run = id.find("__", run);
    }
    if (!id.empty() && id[0] == '_') {
        id.erase(0, 1);
    }
    if (std::isdigit(Uchar(text[0]))) {
        id.insert(id.begin(), '_');
    }
    return id;
}

void StringUtils::Print(FILE* file, std::string const& text, std::string const& prefix, bool prefix_first_line,
                        bool prefix_empty_lines)
{
    if (text.empty()) {
        return;
    }
    if (prefix.empty()) {
        std::fwrite(text.data(), 1, text.size(), file);
        return;
    }
    std::vector<std::string> lines = GetLines(text);
    bool const ends_with_terminator = lines.back().empty();
    if (ends_with_terminator) {
        lines.pop_back();
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if ((i > 0 || prefix_first_line) && (!lines[i].empty() || prefix_empty_lines)) {
            std::fputs(prefix.c_str(), file);
        }
        std::fwrite(lines[i].data(), 1, lines[i].size(), file);
        if (i + 1 < lines.size() || ends_with_terminator) {
            std::fputc('\n', file);
        }
    }
}
