// Helpers shared by the tests of the EC instruction model, words, text, program and binary image.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "binary.h"
#include "error_core.h"
#include "instructions.h"
#include "textscan.h"

namespace EpochController::test {

// Regular expression matching the fatal report of a check whose condition text is `expression`.
inline std::string FatalReport(std::string const& expression)
{
    std::string escaped;
    for (char c : expression) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) {
            escaped += '\\';
        }
        escaped += c;
    }
    return "Fatal error: Expression '" + escaped + "' is true \\(file '.*', line [0-9]+\\)";
}

// Reads one assembly line; fails the test when the line is not an instruction.
inline std::unique_ptr<InstrBase> ParseLine(std::string const& line)
{
    SimpleTextParser parser(line);
    std::unique_ptr<InstrBase> instr(InstrBase::FromAsm(parser));
    EXPECT_NE(instr, nullptr) << "no instruction in '" << line << "'";
    return instr;
}

// Returns a binary holding `words` and no tables.
inline Binary MakeBinary(std::vector<uint32_t> const& words)
{
    Binary binary;
    for (uint32_t word : words) {
        binary.AddWord(word);
    }
    return binary;
}

// Returns the messages of `error` joined by " | ", most general first.
inline std::string Messages(BaseError const& error)
{
    std::string text;
    for (std::string const& msg : error.GetMsgs()) {
        text += (text.empty() ? "" : " | ") + msg;
    }
    return text;
}

}  // namespace EpochController::test
