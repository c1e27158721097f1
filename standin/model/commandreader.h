#pragma once
// Reads the words of one command in the order its grammar line gives them.
// Each reader takes the next word; the first word that does not fit writes the
// refusal (the command's usage line when a word is missing, extra or not the
// keyword the grammar has there, else why the value is wrong) and every later
// read returns nothing. So a handler reads its whole line, then asks end()
// once before it changes anything.

#include "standin/astro/time.h"
#include "standin/model/interpreter.h"

#include <QColor>

#include <initializer_list>
#include <optional>
#include <variant>

namespace zep {

// What the word after the command names.
enum class Target {
    Application,  // "/"
    Scenario,     // "Scenario/NAME", the open scenario
    Satellite,    // "Scenario/NAME/Satellite/SAT", "*/Satellite/SAT" or "Satellite/SAT"
    Window,       // "*", the current 3-D window
    WindowOrSatellite,  // either: satelliteNamed() tells which
};

// One KEY VALUE setting of options(): On|Off into a flag, or a colour.
struct Option {
    const char *key;
    std::variant<bool *, QColor *> value;
};

class CommandReader {
public:
    // A query reads the current snapshot; a command that may change the
    // scenario reads and edits the next one.
    CommandReader(const QStringList &words, const Snapshot &current) : words_(words), state_(current) {}
    CommandReader(const QStringList &words, Snapshot &next) : words_(words), state_(next), editable_(&next) {}

    void setUsage(const char *usage) { usage_ = usage; }
    // A lesson's line: any scenario name means the open scenario.
    void setLessonMode(bool on) { lessonMode_ = on; }
    bool lessonMode() const { return lessonMode_; }

    bool target(Target kind);
    QString word();
    QString name();  // letters, digits, "_" and "-", at most 64
    bool keyword(const char *keyword);
    bool keyword(const char *keyword, const char *refusal);
    // The index of the word among choices, or -1. A misfit refuses with
    // refusal (%1: the word quoted), or with the usage line when there is none.
    int oneOf(std::initializer_list<const char *> choices, const char *refusal = nullptr);
    std::optional<bool> onOff();
    std::optional<QColor> colour();
    std::optional<astro::Instant> date();
    // A date later than start, the date read before it.
    std::optional<astro::Instant> dateAfter(const std::optional<astro::Instant> &start);
    // Plain decimal numbers; refusal's %1 is the word quoted.
    std::optional<double> number(const QString &refusal);
    std::optional<double> positive(const char *refusal);
    std::optional<double> above(double floor, const char *refusal);
    std::optional<double> within(double low, double high, const char *refusal);
    // KEY VALUE pairs to the end of the line, at least `atLeast` of them;
    // unknown's %1 is a key that is not among known.
    bool options(std::initializer_list<Option> known, const char *unknown, int atLeast = 0);

    bool more() const { return ok() && cursor_ < words_.size(); }
    // True when every read fitted and no word is left over.
    bool end();

    bool ok() const { return error_.isEmpty(); }
    QString why() const { return error_; }  // the refusal without the command's name
    CommandOutcome refusal() const;
    // Refuses for a reason of the handler's own, unless a read refused first.
    CommandOutcome refuse(const QString &why);

    const Snapshot &state() const { return state_; }
    Snapshot &edit()
    {
        changed_ = true;
        return *editable_;
    }
    bool changed() const { return changed_; }

    // "" when path names one of the satellites, else why not; index is its place.
    QString satelliteProblem(const QString &path, int *index = nullptr) const;
    // The satellite that target(Target::Satellite) named.
    bool satelliteNamed() const { return satellite_ >= 0; }
    const SatelliteState &satellite() const { return state_.satellites.at(satellite_); }
    SatelliteState &editSatellite() { return edit().satellites.at(satellite_); }

private:
    std::optional<QString> take();  // the next word, or a misfit
    template <typename Text>
    std::optional<double> readNumber(const Text &refusal);
    // Keeps the first refusal of the line; false, so a read can return it.
    bool noteRefusal(const QString &why);
    QString usageText() const;

    const QStringList &words_;
    const Snapshot &state_;
    Snapshot *editable_ = nullptr;
    qsizetype cursor_ = 1;  // word 0 is the command, matched by the table
    const char *usage_ = "";
    QString error_;
    bool changed_ = false;
    bool lessonMode_ = false;
    int satellite_ = -1;
};

// Shared by the handlers.
bool isKeyword(const QString &word, const char *keyword);  // keywords ignore case
QString quoted(const QString &text);
QString dateText(astro::Instant t);
CommandOutcome done(QStringList reply = {});
CommandOutcome scenarioChanged();  // done, and the view catches up
CommandOutcome fail(QString why);

} // namespace zep
