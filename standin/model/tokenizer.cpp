#include "standin/model/tokenizer.h"

namespace zep {

namespace {

Tokens refuse(QString why)
{
    Tokens t;
    t.error = std::move(why);
    return t;
}

} // namespace

Tokens tokenize(const QString &line)
{
    if (line.isEmpty())
        return refuse(QStringLiteral("empty command"));
    if (line.size() > kMaxCommandLength)
        return refuse(QStringLiteral("command too long (%1 characters, at most %2)")
                          .arg(line.size())
                          .arg(kMaxCommandLength));

    // Check the whole line before splitting, so the message names the first
    // offending character whatever the quoting.
    bool onlyBlanks = true;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t c = line.at(i).unicode();
        if (c < 0x20 || c == 0x7f)
            return refuse(QStringLiteral("control character (code %1) at position %2")
                              .arg(int(c))
                              .arg(i + 1));
        if (c > 0x7e)
            return refuse(QStringLiteral("character outside ASCII (U+%1) at position %2")
                              .arg(int(c), 4, 16, QLatin1Char('0'))
                              .arg(i + 1));
        if (c != u' ')
            onlyBlanks = false;
    }
    if (onlyBlanks)
        return refuse(QStringLiteral("command holds only blanks"));

    Tokens t;
    QString word;
    bool inQuotes = false;
    bool wordStarted = false;  // a pair of quotes makes a word even when empty
    qsizetype quoteAt = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'"') {
            inQuotes = !inQuotes;
            wordStarted = true;
            quoteAt = i;
        } else if (c == u' ' && !inQuotes) {
            if (!wordStarted) {
                return refuse(i == 0 ? QStringLiteral("command begins with a blank")
                                     : QStringLiteral("two blanks in a row at position %1").arg(i + 1));
            }
            t.words.append(word);
            word.clear();
            wordStarted = false;
        } else {
            word.append(c);
            wordStarted = true;
        }
    }
    if (inQuotes)
        return refuse(QStringLiteral("unbalanced double quote (opened at position %1)").arg(quoteAt + 1));
    if (!wordStarted)
        return refuse(QStringLiteral("command ends with a blank"));
    t.words.append(word);
    t.ok = true;
    return t;
}

} // namespace zep
