#pragma once
// The host's command language as tables: each command's keyword, its grammar
// line, an example and its handler, kept together in the file of its family.
// The scripting guide's command list is printed from these tables.

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
    // One line that the interpreter accepts, for the scripting guide; the
    // guide's examples run in table order after its opening lines
    // (exampleOpening()), so each may rely on the ones before it. None for a
    // family.
    const char *example = nullptr;
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
std::span<const CommandEntry> targetCommands();       // orbits to match

struct CommandFamily {
    const char *title;  // the guide's heading
    std::span<const CommandEntry> commands;
};

// Every table above: the interpreter looks commands up here, and the
// scripting guide lists them in this order.
std::span<const CommandFamily> commandFamilies();

// The lines that open the guide's scenario, before its examples run: a
// scenario "Demo" with a low (LEO) and a geostationary (GEO) satellite.
std::span<const char *const> exampleOpening();

} // namespace zep
