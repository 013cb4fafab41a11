// StringUtils: stateless text helpers for trimming, lines, numbers, stream lines, identifiers and printing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

class StringUtils {
public:
    // The six whitespace characters, as a set for the trimming functions.
    static constexpr char const* kWhitespace = " \t\f\v\n\r";

    // Returns the text with every character passed through toupper.
    static std::string ToUpper(std::string const& text);
    // Returns the text with every character passed through tolower.
    static std::string ToLower(std::string const& text);

    // Returns the text without its leading characters that belong to `set`.
    static std::string RemoveLeading(std::string const& text, std::string const& set);
    // Returns the text without its trailing characters that belong to `set`.
    static std::string RemoveTrailing(std::string const& text, std::string const& set);
    // Returns the text without its leading and trailing characters that belong to `set`.
    static std::string RemoveLeadingAndTrailing(std::string const& text, std::string const& set);

    // Returns the first occurrence of `sub` at or after `start` not preceded by an odd run of
    // `escape` characters, or std::string::npos.
    static unsigned long Find(std::string const& text, std::string const& sub, unsigned long start,
                              char escape);
    // Returns the text with every unescaped occurrence of `from` replaced by `to`.
    static std::string Replace(std::string const& text, std::string const& from, std::string const& to,
                               char escape);

    // Returns 1 + the number of line feeds in the text.
    static unsigned int GetNumOfLines(std::string const& text);
    // Returns line `line` (zero-based, split at line feeds) without its line feed, or "".
    static std::string GetLine(std::string const& text, unsigned int line);
    // Stores the zero-based line and column of `pos` in the non-null outputs.
    static void GetLineAndCol(std::string const& text, unsigned int pos, unsigned int* line,
                              unsigned int* col);
    // Splits the text at "\n", "\r\n" and "\r"; n terminators give n + 1 lines.
    static std::vector<std::string> GetLines(std::string const& text);

    // Tells whether the text is a binary number ("0b" prefix required when `prefix`).
    static bool IsBin(std::string const& text, bool prefix);
    // Tells whether the text is a hexadecimal number ("0x" prefix required when `prefix`).
    static bool IsHex(std::string const& text, bool prefix);
    // Tells whether the text is made of decimal digits only.
    static bool IsAbsDec(std::string const& text);
    // Tells whether the text is decimal digits after one optional sign.
    static bool IsDec(std::string const& text);

    // Converters without validation; results wrap modulo 2^64.
    static int64_t GetBin(std::string const& text);
    static int64_t GetAbsDec(std::string const& text);
    static int64_t GetDec(std::string const& text);
    static int64_t GetHex(std::string const& text);
    // Returns the value of a prefixed binary, plain decimal or prefixed hexadecimal text, else 0.
    static uint64_t GetUInt(std::string const& text);
    // Returns the value of a prefixed binary, signed decimal or prefixed hexadecimal text, else 0.
    static int64_t GetInt(std::string const& text);

    // Positions the stream at the start of line `line`; returns that byte offset, or -1.
    static long MoveToLine(FILE* file, unsigned int line);
    // Reads the next line of the stream without its terminator ("\r\n", "\n" or "\r").
    static std::string ReadNextLine(FILE* file);
    // The same, and stores in `terminated` (when not null) whether a terminator ended the line.
    static std::string ReadNextLine(FILE* file, bool* terminated);
    // Reads the next logical line, joining lines that end with `line_split` (a negative char
    // means none); stores the number of physical lines read in `count` when not null.
    static std::string ReadNextLine(FILE* file, char line_split, unsigned int* count);
    // Returns line `line` (zero-based) of the stream, or "".
    static std::string ReadLine(FILE* file, unsigned int line);
    // Returns line `line` (zero-based) of the named file, or "" when it cannot be read.
    static std::string ReadLine(std::string const& path, unsigned int line);

    // Returns a C identifier made from the text.
    static std::string ConvertToId(std::string const& text);

    // Writes a multi-line text to `file` with `prefix` at the start of its lines.
    static void Print(FILE* file, std::string const& text, std::string const& prefix,
                      bool prefix_first_line, bool prefix_empty_lines);

    // Returns the digits of `value` in `base` (lower-case letters), left-filled up to `width`
    // (a negative width counts as 8).
    template <class T>
    static std::string PrintInt(T value, unsigned int base, int width, char fill);
    // Returns `value` in decimal, left-filled up to `width`; longer values are not cut.
    template <class T>
    static std::string PrintDec(T value, unsigned int width, char fill);
    // Returns the elements joined by `separator`, `last_separator` (when not empty) between the
    // last two.
    template <class T>
    static std::string Print(std::set<T> const& values, std::string const& separator,
                             std::string const& last_separator);
    template <class T>
    static std::string Print(std::vector<T> const& values, std::string const& separator,
                             std::string const& last_separator);

    StringUtils() = delete;

private:
    template <class T>
    static std::string ElementText(T const& value);
    template <class Iterator>
    static std::string Join(Iterator first, Iterator last, std::size_t count, std::string const& separator,
                            std::string const& last_separator);
};

template <class T>
std::string StringUtils::PrintInt(T value, unsigned int base, int width, char fill)
{
    static_assert(std::is_integral<T>::value, "PrintInt needs an integer type");
    using Unsigned = typename std::make_unsigned<T>::type;
    if (base < 2 || base > 36) {
        base = 10;
    }
    bool negative = false;
    Unsigned magnitude = static_cast<Unsigned>(value);
    if constexpr (std::is_signed<T>::value) {
        negative = value < 0;
        if (negative) {
            // Negating in the unsigned type keeps the most negative value exact.
            magnitude = static_cast<Unsigned>(Unsigned{0} - magnitude);
        }
    }
    std::string digits;
    do {
        unsigned const digit = static_cast<unsigned>(magnitude % base);
        digits.insert(digits.begin(), static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10));
        magnitude = static_cast<Unsigned>(magnitude / base);
    } while (magnitude != 0);
    if (negative) {
        digits.insert(digits.begin(), '-');
    }
    std::size_t const target = width < 0 ? 8u : static_cast<std::size_t>(width);
    if (digits.size() < target) {
        digits.insert(digits.begin(), target - digits.size(), fill);
    }
    return digits;
}

template <class T>
std::string StringUtils::PrintDec(T value, unsigned int width, char fill)
{
    std::string text = PrintInt(value, 10, 0, fill);
    if (text.size() < width) {
        text.insert(text.begin(), width - text.size(), fill);
    }
    return text;
}

template <class T>
std::string StringUtils::ElementText(T const& value)
{
    if constexpr (std::is_integral<T>::value) {
        return PrintInt(value, 10, 0, ' ');
    } else {
        return std::string(value);
    }
}

template <class Iterator>
std::string StringUtils::Join(Iterator first, Iterator last, std::size_t count, std::string const& separator,
                              std::string const& last_separator)
{
    std::string result;
    std::size_t index = 0;
    for (Iterator it = first; it != last; ++it, ++index) {
        if (index > 0) {
            result += (index + 1 == count && !last_separator.empty()) ? last_separator : separator;
        }
        result += ElementText(*it);
    }
    return result;
}

template <class T>
std::string StringUtils::Print(std::set<T> const& values, std::string const& separator,
                               std::string const& last_separator)
{
    return Join(values.begin(), values.end(), values.size(), separator, last_separator);
}

template <class T>
std::string StringUtils::Print(std::vector<T> const& values, std::string const& separator,
                               std::string const& last_separator)
{
    return Join(values.begin(), values.end(), values.size(), separator, last_separator);
}
