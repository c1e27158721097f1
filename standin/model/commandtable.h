#pragma once
// The host's command language as tables: each command's keyword, its grammar
// line and its handler, kept together in the file of its family.

#include "standin/model/commandreader.h"

#include <span>

namespace zep {

// Reads the words after the target (and after the request word of a family)
// and carries the command out.
using CommandHandler = CommandOutcome (*)(CommandReader &);

struct CommandEntry {
    const char *keyword;
    // The grammar line, the refusal when the words do not fit it. A family
    // (Animate, VO, Application) gives only the words before its request word,
    // the word after the target, which picks one of requests; each request
    // names its own target, so adding one is adding its entry.
    const char *usage;
    Target target = Target::Application;
    CommandHandler handler = nullptr;  // null for a family
    std::span<const CommandEntry> requests = {};
    bool query = false;  // reads the current snapshot and publishes nothing
    // Refused in a lesson: what runs lessons, reads or writes files, starts
    // programs or touches the journal.
    bool notInLessons = false;
};

std::span<const CommandEntry> scenarioCommands();     // scenario, time and orbit
std::span<const CommandEntry> viewCommands();         // VO and VectorTool
std::span<const CommandEntry> applicationCommands();  // the host itself and its window
std::span<const CommandEntry> compareCommands();      // kept orbits and transfers

} // namespace zep
