// The guide's command list is the interpreter's own, and each example in it is
// accepted when they run in order.

#include "guidetext.h"
#include "standin/model/commandguide.h"
#include "standin/model/interpreter.h"

#include <QTest>

using namespace zep;

class TstDocsScripting : public QObject {
    Q_OBJECT

private slots:
    void listMatchesTheTables()
    {
        const QString guide = guideText();
        QVERIFY2(!guide.isEmpty(), "docs/scripting.md is missing");
        const QString begin = QStringLiteral("<!-- command list: velmora-zep --command-table -->\n");
        const qsizetype from = guide.indexOf(begin) + begin.size();
        const qsizetype to = guide.indexOf(QStringLiteral("<!-- end of command list -->"));
        QVERIFY2(from >= begin.size() && to >= from, "the command-list markers are missing");
        const QString list = guide.mid(from, to - from);
        // The command that drifted, by name, before the whole text.
        for (const CommandExample &command : commandExamples()) {
            QVERIFY2(!command.example.isEmpty(), qPrintable(command.name + " has no example in its table"));
            QVERIFY2(list.contains(QStringLiteral("- **%1**\n").arg(command.name)),
                     qPrintable(command.name + " is missing from docs/scripting.md"));
            QVERIFY2(list.contains(QStringLiteral("  - example: `%1`\n").arg(command.example)),
                     qPrintable(command.name + "'s example differs in docs/scripting.md"));
        }
        QVERIFY2(list == commandListMarkdown(), "docs/scripting.md's command list is out of date: "
                                                "run docs/refresh-command-list.sh BUILD/bin/velmora-zep");
    }

    void examplesRunInOrder()
    {
        ScenarioStore store;
        CommandInterpreter interpreter(store);
        for (const QString &line : exampleScript()) {
            const CommandOutcome out = interpreter.execute(line);
            QVERIFY2(out.ok, qPrintable(line + ": " + out.error));
        }
    }
};

QTEST_GUILESS_MAIN(TstDocsScripting)
#include "tst_docs_scripting.moc"
