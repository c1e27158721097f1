// The host's word splitting: what a command line becomes, and what is refused.

#include "standin/model/tokenizer.h"

#include <QTest>

using zep::tokenize;

class TstStandInTokenizer : public QObject {
    Q_OBJECT
private slots:
    void splits_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("one word") << "CheckScenario" << QStringList{"CheckScenario"};
        QTest::newRow("blanks") << "New / Scenario Velmora" << QStringList{"New", "/", "Scenario", "Velmora"};
        // Quotes group and go.
        QTest::newRow("quoted date") << "SetEpoch Scenario/Velmora \"1 Jul 2005 12:00:00.00\""
                                     << QStringList{"SetEpoch", "Scenario/Velmora", "1 Jul 2005 12:00:00.00"};
        QTest::newRow("two quoted dates")
            << "SetTimePeriod Scenario/Velmora \"1 Jul 2005 12:00:00.00\" \"4 Jul 2005 12:00:00.00\""
            << QStringList{"SetTimePeriod", "Scenario/Velmora", "1 Jul 2005 12:00:00.00", "4 Jul 2005 12:00:00.00"};
        QTest::newRow("empty quotes are a word") << "SetEpoch S \"\"" << QStringList{"SetEpoch", "S", ""};
        QTest::newRow("quotes inside a word") << "a\"b c\"d e" << QStringList{"ab cd", "e"};
        QTest::newRow("quoted star") << "Application / ToolBar Hide \"*\""
                                     << QStringList{"Application", "/", "ToolBar", "Hide", "*"};
        QTest::newRow("blanks kept inside quotes") << "x \"  two  \"" << QStringList{"x", "  two  "};
        QTest::newRow("case is kept") << "vo * VIEWERposition" << QStringList{"vo", "*", "VIEWERposition"};
    }

    void splits()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        const zep::Tokens t = tokenize(line);
        QVERIFY2(t.ok, qPrintable(line + ": " + t.error));
        QCOMPARE(t.words, words);
    }

    void refuses_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("because");
        QTest::newRow("empty") << "" << "empty command";
        QTest::newRow("blanks only") << "   " << "only blanks";
        QTest::newRow("open quote") << "SetEpoch S \"1 Jul" << "unbalanced double quote";
        QTest::newRow("lone quote") << "\"" << "unbalanced double quote";
        QTest::newRow("tab") << "New\t/" << "control character (code 9) at position 4";
        QTest::newRow("line feed") << "GetEpoch S\n" << "control character (code 10)";
        QTest::newRow("nul") << QString("New / ") + QChar(0) << "control character (code 0)";
        QTest::newRow("delete") << QString("New") + QChar(0x7f) << "control character (code 127)";
        QTest::newRow("outside ASCII") << QString::fromUtf8("New / Scenario Vélmora") << "outside ASCII (U+00e9) at position 17";
        QTest::newRow("two blanks") << "New  /" << "two blanks in a row at position 5";
        QTest::newRow("leading blank") << " New /" << "begins with a blank";
        QTest::newRow("trailing blank") << "New / " << "ends with a blank";
        QTest::newRow("carriage return in quotes") << "x \"a\rb\"" << "control character (code 13)";
        // A 1 MiB line is refused by its length, before anything reads it word by word.
        QTest::newRow("1 MiB") << QStringLiteral("VO ") + QString(1024 * 1024, u'x') << "too long";
    }

    void refuses()
    {
        QFETCH(QString, line);
        QFETCH(QString, because);
        const zep::Tokens t = tokenize(line);
        QVERIFY2(!t.ok && t.words.isEmpty(), qPrintable(line.left(40)));
        QVERIFY2(t.error.contains(because), qPrintable(t.error));
    }

    void longestLineIsRead()
    {
        QVERIFY(tokenize(QString(zep::kMaxCommandLength, u'x')).ok);
    }
};

QTEST_APPLESS_MAIN(TstStandInTokenizer)
#include "tst_standin_tokenizer.moc"
