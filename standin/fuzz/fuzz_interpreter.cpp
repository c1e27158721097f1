// Feeds arbitrary bytes, as one command line, to the host's interpreter with a
// scenario and its satellite open.

#include "standin/model/interpreter.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

zep::ScenarioStore &store()
{
    static zep::ScenarioStore instance;
    return instance;
}

zep::CommandInterpreter &interpreter()
{
    static zep::CommandInterpreter instance(store());
    return instance;
}

// Every input starts from the same open scenario, so that a finding replays
// alone and the model cannot grow without bound over a run.
const zep::SnapshotPtr &openScenario()
{
    static const zep::SnapshotPtr opened = [] {
        interpreter().execute(QStringLiteral("New / Scenario Velmora"));
        interpreter().execute(QStringLiteral("New / Scenario/Velmora/Satellite Satellite"));
        return store().snapshot();
    }();
    return opened;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Bytes reach the host as UTF-8 over the bus; Latin-1 as well, so that
    // every byte value arrives as one character.
    const auto *chars = reinterpret_cast<const char *>(data);
    const qsizetype n = qsizetype(size);
    store().publish(openScenario());
    const zep::CommandOutcome utf8 = interpreter().execute(QString::fromUtf8(chars, n));
    store().publish(openScenario());
    const zep::CommandOutcome latin1 = interpreter().execute(QString::fromLatin1(chars, n));
    // A refusal always says why.
    if ((!utf8.ok && utf8.error.isEmpty()) || (!latin1.ok && latin1.error.isEmpty()))
        __builtin_trap();
    return 0;
}
