// Semantic comparison of two Epoch Controller programs by their runs on the host interpreter.
#pragma once

#include <cstdint>
#include <string>

#include "interpreter.h"

namespace EpochController {

// The first difference between two runs, or none. Two runs are equivalent when, between
// consecutive non-write events, each register receives the same sequence of values, the
// non-write events are the same in the same order, and the final register states are equal.
struct SemanticDifference {
    enum class Kind {
        kNone,        // the runs are equivalent
        kWrite,       // a register receives a different value, or a value only in one run
        kEvent,       // a different non-write event, or one only in one run
        kFinalState,  // a register ends with different values
    };

    // One side of a difference: the event found there, or none (`present` false).
    struct Side {
        bool present = false;
        Event event;
        // Number of writes of the register in the stretch (kWrite), or of non-write events in
        // the whole run (kEvent), when `present` is false.
        unsigned count = 0;
        // Final value of the register (kFinalState).
        RegisterValue value;
    };

    Kind kind = Kind::kNone;
    // Number of non-write events before the stretch of writes that differs (kWrite), or number of
    // the differing event counted from 1 (kEvent).
    unsigned event_number = 0;
    // Text of the non-write event that opens the stretch (kWrite; empty for the stretch before
    // the first event).
    std::string after_event;
    // The register concerned (kWrite, kFinalState) and, for kWrite, which write of that register
    // within the stretch, counted from 1.
    uint8_t unit = 0;
    uint16_t reg = 0;
    unsigned write_number = 0;
    Side a;
    Side b;

    // Tells whether the runs are equivalent.
    bool IsNone() const { return kind == Kind::kNone; }
};

// Returns the first difference between the runs `a` and `b`, or a difference of kind kNone.
SemanticDifference CompareRuns(RunResult const& a, RunResult const& b);

// Returns the readable report of `difference`, one or more lines each ending with a line feed;
// `name_a` and `name_b` name the two programs. For equivalent runs the report also counts what
// was compared, from `a`.
std::string SemanticDiffReport(SemanticDifference const& difference, RunResult const& a, std::string const& name_a,
                               std::string const& name_b);

}  // namespace EpochController
