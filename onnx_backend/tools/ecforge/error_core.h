// BaseError: the exception for bad input, with its messages, the offending text and its position.
#pragma once

#include <climits>
#include <cstdio>
#include <list>
#include <string>

class BaseError {
public:
    // Builds an error without messages, text, position or line.
    BaseError() = default;
    // Builds an error holding `msg` (see AddMsg).
    explicit BaseError(std::string const& msg);
    virtual ~BaseError() = default;

    BaseError(BaseError const&) = default;
    BaseError& operator=(BaseError const&) = default;
    BaseError(BaseError&&) = default;
    BaseError& operator=(BaseError&&) = default;

    // Separator that splits one message argument into several messages.
    static std::string const& SplitMsg();

    // Adds a message in front of the others; empty and repeated messages are ignored.
    void AddMsg(std::string const& msg);
    // Positions the error in `text`, unless it already has a text and a position.
    void SetPos(std::string const& text, unsigned pos);
    // Positions the error in `text`, replacing any earlier position; the position is clamped to
    // the text. Ignored when `pos` is UINT_MAX or `text` is empty.
    void ResetPos(std::string const& text, unsigned pos);
    // Sets the file and zero-based line. Ignored when `line` is UINT_MAX or `file` is empty.
    void SetLine(std::string const& file, unsigned line);
    // Sets the file, zero-based line and column, and takes that line of the file as the text.
    void SetLineAndCol(std::string const& file, unsigned line, unsigned col);

    // Renders the messages, the location and the offending line with a caret under the position.
    std::string ToString() const;

    // Writes `text` and a final line feed to `stream`, with `prefix` on every line or, without
    // `prefix_every_line`, on the first line and the following lines indented under it.
    static void Print(std::string const& text, FILE* stream, std::string const& prefix, bool prefix_every_line);

    // Returns the messages, most general first.
    std::list<std::string> const& GetMsgs() const { return msgs; }
    // Returns the offending text, empty when there is none.
    std::string const& GetText() const { return text; }
    // Returns the position in the text, UINT_MAX when unset.
    unsigned GetPos() const { return pos; }
    // Returns the file name, empty when unset.
    std::string const& GetFile() const { return file; }
    // Returns the zero-based line in the file, UINT_MAX when unset.
    unsigned GetLine() const { return line; }

private:
    std::list<std::string> msgs;
    std::string text;
    unsigned pos = UINT_MAX;
    std::string file;
    unsigned line = UINT_MAX;
};
