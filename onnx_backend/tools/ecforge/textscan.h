// SimpleTextParser, a cursor tokenizer over one text, and SimpleTextFileParser, which feeds it a file line by line.
#pragma once

#include <climits>
#include <cstdio>
#include <set>
#include <string>

#include "error_core.h"
#include "strkit.h"

class SimpleTextParser {
public:
    // Starts at position 0 of `text` with an empty token.
    explicit SimpleTextParser(std::string const& text);
    virtual ~SimpleTextParser() = default;

    SimpleTextParser(SimpleTextParser const&) = default;
    SimpleTextParser& operator=(SimpleTextParser const&) = default;

    // Returns the ASCII punctuation characters except "_".
    static std::set<char> const& GetPunctChars();
    // Tells whether `c` is whitespace or one of `delimiters`.
    static bool IsDelimiter(std::set<char> const& delimiters, char c);

    // Skips whitespace and reads up to the next delimiter; the result, possibly empty, is also
    // the current token.
    std::string ParseToken(std::set<char> const& delimiters);
    // Takes the rest of the text as the token and returns it without trailing whitespace.
    std::string ParseRest();
    // Skips whitespace and tells whether the text is exhausted.
    bool IsFinished();
    // Skips whitespace and consumes one character (NUL at the end); a character outside a
    // non-empty `allowed` set is an error.
    char ParseChar(std::set<char> const& allowed);
    // Moves the cursor; a position beyond the text throws a std::string.
    void SetPos(unsigned p);

    // Read a number named `name` in messages and check it against the inclusive bounds.
    unsigned long ParseULong(std::string const& name, unsigned long min_val, unsigned long max_val);
    unsigned ParseUInt(std::string const& name, unsigned min_val, unsigned max_val);
    long ParseLong(std::string const& name, long min_val, long max_val);
    int ParseInt(std::string const& name, int min_val, int max_val);

    // Returns the sentence describing the allowed range.
    std::string GetOutOfRangeErrorMsg(long min_val, long max_val);

    // Throw a BaseError positioned at the cursor: `message`, or "Expected <what>" followed by
    // " instead of '<found>'" when something was found (a NUL character means nothing).
    [[noreturn]] void ThrowError(std::string const& message) const;
    [[noreturn]] void ThrowError(std::string const& what, std::string const& found) const;
    [[noreturn]] void ThrowError(std::string const& what, char found) const;

    // Return the text, the cursor and the last token read.
    std::string const& GetText() const { return text; }
    unsigned GetPos() const { return pos; }
    std::string const& GetToken() const { return token; }

protected:
    void SkipWhitespace();

    std::string text;
    unsigned pos = 0;
    std::string token;
};

class SimpleTextFileParser : public SimpleTextParser {
public:
    // Opens `file_name` for reading; `description` names the file in messages (empty: "file
    // '<file_name>'"); `comment` is the comment marker (empty: none). Throws when the file cannot
    // be opened.
    SimpleTextFileParser(std::string const& file_name, std::string const& description, std::string const& comment);
    ~SimpleTextFileParser() override;

    SimpleTextFileParser(SimpleTextFileParser const&) = delete;
    SimpleTextFileParser& operator=(SimpleTextFileParser const&) = delete;

    // Makes the next significant line the current text; returns false at the end of the file.
    bool NextLine();
    // Reads one physical line without its terminator.
    std::string ReadNextLine();

    // Throws a BaseError with the file, line and column of the cursor, under "Error parsing
    // <description>".
    template <class T>
    [[noreturn]] void ThrowError(T const& message) const;

    // Return the file name, its description, and the zero-based index of the last line read
    // (UINT_MAX before the first line).
    std::string const& GetFileName() const { return file_name; }
    std::string const& GetDescription() const { return description; }
    unsigned GetLineCount() const { return line_count; }

private:
    std::string file_name;
    std::string description;
    FILE* file = nullptr;
    unsigned line_count = UINT_MAX;
    std::string comment;
};

template <class T>
void SimpleTextFileParser::ThrowError(T const& message) const
{
    BaseError error;
    error.AddMsg(message);
    error.SetPos(text, pos);
    if (line_count != UINT_MAX) {
        unsigned const lines = StringUtils::GetNumOfLines(text);
        unsigned line = 0;
        unsigned col = 0;
        StringUtils::GetLineAndCol(text, pos, &line, &col);
        error.SetLineAndCol(file_name, line_count + 1 + line - lines, col);
    }
    error.AddMsg("Error parsing " + description);
    throw error;
}
