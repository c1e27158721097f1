#pragma once
// Splits one command line of the host's language into words: single blanks
// separate, double quotes group (and are dropped), nothing else is special.

#include <QString>
#include <QStringList>

namespace zep {

// Longest line the host reads; anything longer is refused unread.
inline constexpr qsizetype kMaxCommandLength = 64 * 1024;

struct Tokens {
    bool ok = false;
    QStringList words;
    QString error;  // when !ok: why, in plain words
};

// Refuses empty or blank lines, over-long lines, control characters, text
// outside ASCII, doubled/leading/trailing blanks and unbalanced quotes.
Tokens tokenize(const QString &line);

} // namespace zep
