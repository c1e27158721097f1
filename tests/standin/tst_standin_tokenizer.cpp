// The host's word splitting: what a command line becomes, and what is refused.

#include "standin/model/tokenizer.h"

#include <QTest>

using zep::tokenize;

class TokenizerTest : public QObject {
    Q_OBJECT
private slots:
    void splits()
    {
        const std::pair<QString, QStringList> rows[] = {
            {"CheckScenario", {"CheckScenario"}},
            {"New / Scenario Velmora", {"New", "/", "Scenario", "Velmora"}},
            // Quotes group and go.
            {"SetEpoch Scenario/Velmora \"1 Jul 2005 12:00:00.00\"", {"SetEpoch", "Scenario/Velmora", "1 Jul 2005 12:00:00.00"}},
            {"SetTimePeriod Scenario/Velmora \"1 Jul 2005 12:00:00.00\" \"4 Jul 2005 12:00:00.00\"",
             {"SetTimePeriod", "Scenario/Velmora", "1 Jul 2005 12:00:00.00", "4 Jul 2005 12:00:00.00"}},
            {"SetEpoch S \"\"", {"SetEpoch", "S", ""}},  // empty quotes are a word
            {"a\"b c\"d e", {"ab cd", "e"}},            // quotes inside a word
            {"Application / ToolBar Hide \"*\"", {"Application", "/", "ToolBar", "Hide", "*"}},
            {"x \"  two  \"", {"x", "  two  "}},                          // blanks kept inside quotes
            {"vo * VIEWERposition", {"vo", "*", "VIEWERposition"}}};  // case is kept
        for (const auto &[line, words] : rows) {
            const zep::Tokens t = tokenize(line);
            QVERIFY2(t.ok, qPrintable(line + ": " + t.error));
            QCOMPARE(t.words, words);
        }
    }

    void refuses()
    {
        const std::pair<QString, QString> rows[] = {
            {"", "empty command"}, {"   ", "only blanks"}, {"SetEpoch S \"1 Jul", "unbalanced double quote"},
            {"\"", "unbalanced double quote"}, {"New\t/", "control character (code 9) at position 4"},
            {"GetEpoch S\n", "control character (code 10)"}, {QString("New / ") + QChar(0), "control character (code 0)"},
            {QString("New") + QChar(0x7f), "control character (code 127)"},
            {QString::fromUtf8("New / Scenario Vélmora"), "outside ASCII (U+00e9) at position 17"},
            {"New  /", "two blanks in a row at position 5"}, {" New /", "begins with a blank"},
            {"New / ", "ends with a blank"}, {"x \"a\rb\"", "control character (code 13)"},
            // A 1 MiB line is refused by its length, before anything reads it word by word.
            {QStringLiteral("VO ") + QString(1024 * 1024, u'x'), "too long"}};
        for (const auto &[line, because] : rows) {
            const zep::Tokens t = tokenize(line);
            QVERIFY2(!t.ok && t.words.isEmpty(), qPrintable(line.left(40)));
            QVERIFY2(t.error.contains(because), qPrintable(t.error));
        }
        // Just under the length limit is still read.
        QVERIFY(tokenize(QString(zep::kMaxCommandLength, u'x')).ok);
    }
};

QTEST_APPLESS_MAIN(TokenizerTest)
#include "tst_standin_tokenizer.moc"
