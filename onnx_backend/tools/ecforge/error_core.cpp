// BaseError: the exception for bad input, with its messages, the offending text and its position.
#include "error_core.h"

#include <algorithm>

#include "fatal_report.h"
#include "strkit.h"

namespace {

// Tabs become single spaces so that the caret line stays aligned with the shown text.
std::string ShownLine(std::string const& text, unsigned line)
{
    return StringUtils::Replace(StringUtils::GetLine(text, line), "\t", " ", '\0');
}

}  // namespace

BaseError::BaseError(std::string const& msg)
{
    AddMsg(msg);
}

std::string const& BaseError::SplitMsg()
{
    static std::string const separator = "<ENDMSG>";
    return separator;
}

void BaseError::AddMsg(std::string const& msg)
{
    if (msg.empty()) {
        return;
    }
    std::size_t const split = msg.find(SplitMsg());
    if (split != std::string::npos) {
        AddMsg(msg.substr(split + SplitMsg().size()));
        AddMsg(msg.substr(0, split));
        return;
    }
    if (std::find(msgs.begin(), msgs.end(), msg) == msgs.end()) {
        msgs.push_front(msg);
    }
}

void BaseError::SetPos(std::string const& text, unsigned pos)
{
    if (this->text.empty() || this->pos == UINT_MAX) {
        ResetPos(text, pos);
    }
}

void BaseError::ResetPos(std::string const& text, unsigned pos)
{
    if (pos == UINT_MAX || text.empty()) {
        return;
    }
    this->text = text;
    this->pos = static_cast<unsigned>(std::min<std::size_t>(pos, text.size()));
}

void BaseError::SetLine(std::string const& file, unsigned line)
{
    if (line == UINT_MAX || file.empty()) {
        return;
    }
    this->file = file;
    this->line = line;
}

void BaseError::SetLineAndCol(std::string const& file, unsigned line, unsigned col)
{
    if (line == UINT_MAX || file.empty()) {
        return;
    }
    this->file = file;
    this->line = line;
    this->pos = col;
    this->text = StringUtils::ReadLine(file, line);
}

std::string BaseError::ToString() const
{
    unsigned lines = 0;
    unsigned l = 0;
    unsigned c = 0;
    if (!text.empty()) {
        FATAL_IF(pos != UINT_MAX, false);
        lines = StringUtils::GetNumOfLines(text);
        StringUtils::GetLineAndCol(text, static_cast<unsigned>(std::min<std::size_t>(pos, text.size())), &l, &c);
    }

    std::string report;
    auto msg = msgs.begin();
    if (msg != msgs.end()) {
        report += *msg;
        ++msg;
    }
    if (line == UINT_MAX) {
        report += " (pos " + std::to_string(c) + ")";
    } else {
        std::string const& path = file;
        FATAL_IF(!path.empty(), false);
        report += " (file '" + path + "', line " + std::to_string(line + l + 1);
        if (pos != UINT_MAX) {
            report += ", col " + std::to_string(c + 1);
        }
        report += ")";
    }
    for (; msg != msgs.end(); ++msg) {
        report += ":\n" + *msg;
    }

    if (!text.empty()) {
        report += "\n";
        unsigned indent = c;
        if (l == 0) {
            report += " > " + ShownLine(text, 0) + (lines >= 2 ? " ..." : "") + "\n";
        } else {
            report += " > " + std::string(l >= 2 ? "... " : "") + ShownLine(text, l - 1) + "\n";
            report += " > " + std::string(l >= 2 ? "    " : "") + ShownLine(text, l) +
                      (l + 1 < lines ? " ..." : "") + "\n";
            if (l >= 2) {
                indent += 4;
            }
        }
        report += "   " + std::string(indent, ' ') + "^";
    }
    return report;
}

void BaseError::Print(std::string const& text, FILE* stream, std::string const& prefix, bool prefix_every_line)
{
    if (prefix_every_line) {
        StringUtils::Print(stream, text, prefix, true, true);
    } else {
        std::fwrite(prefix.data(), 1, prefix.size(), stream);
        StringUtils::Print(stream, text, std::string(prefix.size(), ' '), false, true);
    }
    std::fputc('\n', stream);
}
