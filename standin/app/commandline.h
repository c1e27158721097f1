#pragma once
// velmora-zep's arguments. --help, --version and --command-table are answered
// before any application object exists, so they need neither a display nor a
// bus.

#include <QString>

class QCoreApplication;

namespace zep {

struct HostOptions {
    bool automation = false;  // started by a client: stay hidden until told
    QString journalPath;      // --journal, else ZEP_JOURNAL; empty for none
    QString lessonPath;       // --lesson: opened once the host runs
};

// Before the application object: prints and ends the process for --help,
// --help-all, --version and --command-table; returns otherwise.
void answerHelpOrVersion(int argc, char **argv);

// After it, once Qt has taken its own options (-platform, ...) out: the
// options, or one line and exit status 1 for a bad one.
HostOptions readHostOptions(const QCoreApplication &app);

} // namespace zep
