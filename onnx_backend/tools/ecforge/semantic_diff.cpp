// Semantic comparison of two interpreter runs: per-register value sequences between events, the events themselves, and the final state.
#include "semantic_diff.h"

#include <map>
#include <vector>

#include <fmt/format.h>

namespace EpochController {

namespace {

using EventRefs = std::vector<Event const*>;

// A run cut at its non-write events: stretch k holds the writes between event k-1 and event k
// (stretch 0 those before the first event, the last stretch those after the last event).
struct CutRun {
    std::vector<EventRefs> stretches;
    EventRefs others;
};

CutRun Cut(RunResult const& run) {
    CutRun cut;
    cut.stretches.emplace_back();
    for (Event const& event : run.events) {
        if (event.IsWrite()) {
            cut.stretches.back().push_back(&event);
        } else {
            cut.others.push_back(&event);
            cut.stretches.emplace_back();
        }
    }
    return cut;
}

unsigned RegisterKey(Event const& event) {
    return event.unit * RegisterSpace::kRegistersPerUnit + event.reg;
}

std::map<unsigned, EventRefs> WritesByRegister(EventRefs const& stretch) {
    std::map<unsigned, EventRefs> writes;
    for (Event const* event : stretch) {
        writes[RegisterKey(*event)].push_back(event);
    }
    return writes;
}

SemanticDifference WriteDifference(Event const& event, unsigned write_number) {
    SemanticDifference difference;
    difference.kind = SemanticDifference::Kind::kWrite;
    difference.unit = event.unit;
    difference.reg = event.reg;
    difference.write_number = write_number;
    return difference;
}

// Finds the first write, in the order of `a` and then of `b`, whose register receives a different
// value (or a value only in one of the stretches).
SemanticDifference CompareStretch(EventRefs const& a, EventRefs const& b) {
    std::map<unsigned, EventRefs> const a_writes = WritesByRegister(a);
    std::map<unsigned, EventRefs> const b_writes = WritesByRegister(b);
    std::map<unsigned, unsigned> seen;
    for (Event const* event : a) {
        unsigned const index = seen[RegisterKey(*event)]++;
        auto const other = b_writes.find(RegisterKey(*event));
        std::size_t const other_count = other == b_writes.end() ? 0 : other->second.size();
        if (index < other_count && other->second[index]->new_value == event->new_value) {
            continue;
        }
        SemanticDifference difference = WriteDifference(*event, index + 1);
        difference.a.present = true;
        difference.a.event = *event;
        if (index < other_count) {
            difference.b.present = true;
            difference.b.event = *other->second[index];
        } else {
            difference.b.count = static_cast<unsigned>(other_count);
        }
        return difference;
    }
    seen.clear();
    for (Event const* event : b) {
        unsigned const index = seen[RegisterKey(*event)]++;
        auto const other = a_writes.find(RegisterKey(*event));
        std::size_t const other_count = other == a_writes.end() ? 0 : other->second.size();
        if (index < other_count) {
            continue;
        }
        SemanticDifference difference = WriteDifference(*event, index + 1);
        difference.a.count = static_cast<unsigned>(other_count);
        difference.b.present = true;
        difference.b.event = *event;
        return difference;
    }
    return SemanticDifference();
}

SemanticDifference CompareFinalStates(RegisterSpace const& a, RegisterSpace const& b) {
    if (a == b) {
        return SemanticDifference();
    }
    for (unsigned unit = 0; unit < RegisterSpace::kUnits; ++unit) {
        for (unsigned reg = 0; reg < RegisterSpace::kRegistersPerUnit; ++reg) {
            RegisterValue const a_value = a.Get(unit, reg);
            RegisterValue const b_value = b.Get(unit, reg);
            if (a_value != b_value) {
                SemanticDifference difference;
                difference.kind = SemanticDifference::Kind::kFinalState;
                difference.unit = static_cast<uint8_t>(unit);
                difference.reg = static_cast<uint16_t>(reg);
                difference.a.present = difference.b.present = true;
                difference.a.value = a_value;
                difference.b.value = b_value;
                return difference;
            }
        }
    }
    return SemanticDifference();
}

std::string Count(unsigned count, char const* singular, char const* plural) {
    return fmt::format("{} {}", count, count == 1 ? singular : plural);
}

std::string WriteSide(std::string const& name, SemanticDifference::Side const& side) {
    if (!side.present) {
        return fmt::format("  {}: no such write (the register is written {} there)\n", name,
                           Count(side.count, "time", "times"));
    }
    return fmt::format("  {}: {} from the {} at word {}\n", name, side.event.new_value.ToString(),
                       InstrBase::OpcodeToMnemonic(side.event.opcode), side.event.word_offset);
}

std::string EventSide(std::string const& name, SemanticDifference::Side const& side) {
    if (!side.present) {
        return fmt::format("  {}: none (the run ends after {})\n", name, Count(side.count, "event", "events"));
    }
    return fmt::format("  {}: word {}: {}\n", name, side.event.word_offset, side.event.ToString());
}

}  // namespace

SemanticDifference CompareRuns(RunResult const& a, RunResult const& b) {
    CutRun const a_cut = Cut(a);
    CutRun const b_cut = Cut(b);
    for (std::size_t stretch = 0; stretch < a_cut.stretches.size() && stretch < b_cut.stretches.size(); ++stretch) {
        SemanticDifference difference = CompareStretch(a_cut.stretches[stretch], b_cut.stretches[stretch]);
        if (!difference.IsNone()) {
            difference.event_number = static_cast<unsigned>(stretch);
            if (stretch > 0) {
                difference.after_event = a_cut.others[stretch - 1]->ToString();
            }
            return difference;
        }
        bool const in_a = stretch < a_cut.others.size();
        bool const in_b = stretch < b_cut.others.size();
        if (!in_a && !in_b) {
            break;
        }
        if (in_a && in_b && a_cut.others[stretch]->IsSameAs(*b_cut.others[stretch])) {
            continue;
        }
        difference.kind = SemanticDifference::Kind::kEvent;
        difference.event_number = static_cast<unsigned>(stretch + 1);
        for (auto [side, cut] : {std::pair{&difference.a, &a_cut}, std::pair{&difference.b, &b_cut}}) {
            side->present = stretch < cut->others.size();
            if (side->present) {
                side->event = *cut->others[stretch];
            } else {
                side->count = static_cast<unsigned>(cut->others.size());
            }
        }
        return difference;
    }
    return CompareFinalStates(a.registers, b.registers);
}

std::string SemanticDiffReport(SemanticDifference const& difference, RunResult const& a, std::string const& name_a,
                               std::string const& name_b) {
    switch (difference.kind) {
    case SemanticDifference::Kind::kNone:
        return fmt::format("The programs are equivalent: {}, {}, {} not zero at the end\n",
                           Count(a.WriteCount(), "register write", "register writes"),
                           Count(a.OtherEventCount(), "other event", "other events"),
                           Count(static_cast<unsigned>(a.registers.NonZero().size()), "register", "registers"));
    case SemanticDifference::Kind::kWrite: {
        std::string const where = difference.event_number == 0
                                      ? std::string("before the first event")
                                      : fmt::format("after event {} ({})", difference.event_number,
                                                    difference.after_event);
        return fmt::format("The programs differ at unit {} register {}: write {} of that register {}\n",
                           difference.unit, difference.reg, difference.write_number, where) +
               WriteSide(name_a, difference.a) + WriteSide(name_b, difference.b);
    }
    case SemanticDifference::Kind::kEvent:
        return fmt::format("The programs differ at event {}:\n", difference.event_number) +
               EventSide(name_a, difference.a) + EventSide(name_b, difference.b);
    case SemanticDifference::Kind::kFinalState:
        return fmt::format("The programs differ in the final value of unit {} register {}:\n  {}: {}\n  {}: {}\n",
                           difference.unit, difference.reg, name_a, difference.a.value.ToString(), name_b,
                           difference.b.value.ToString());
    }
    return std::string();
}

}  // namespace EpochController
