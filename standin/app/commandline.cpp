#include "standin/app/commandline.h"

#include "standin/model/commandguide.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace zep {

namespace {

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption automation{QStringLiteral("automation"),
                                  QStringLiteral("Started by a client: stay hidden until told to show.")};
    QCommandLineOption journal{QStringLiteral("journal"),
                               QStringLiteral("Append every command received to <file> (or set ZEP_JOURNAL)."),
                               QStringLiteral("file")};
    QCommandLineOption lesson{QStringLiteral("lesson"),
                              QStringLiteral("Open the lesson <file> at start (a refused one is named on stderr)."),
                              QStringLiteral("file")};
    // The scripting guide's command list is this output (docs/scripting.md).
    QCommandLineOption commandTable{QStringLiteral("command-table"),
                                    QStringLiteral("Print every command's grammar and an example, and exit.")};

    Parser()
    {
        parser.setApplicationDescription(QStringLiteral("Stand-in 3-D host for the Velmora Toolbar"));
        parser.addOption(automation);
        parser.addOption(journal);
        parser.addOption(lesson);
        parser.addOption(commandTable);
    }
};

void nameTheProgram()
{
    QCoreApplication::setApplicationName(QStringLiteral("velmora-zep"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
}

} // namespace

void answerHelpOrVersion(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Parser p;
    // Mistakes are left for the full reading, which knows Qt's own options.
    (void)p.parser.parse(arguments);
    if (p.parser.isSet(p.commandTable)) {
        fputs(qPrintable(commandListMarkdown()), stdout);
        std::exit(0);
    }
    if (!p.parser.isSet(p.help) && !p.parser.isSet(p.version) && !p.parser.isSet(QStringLiteral("help-all")))
        return;
    // The parser's texts need an application object; this one opens no
    // display and no bus.
    QCoreApplication app(argc, argv);
    nameTheProgram();
    if (p.parser.isSet(p.version))
        p.parser.showVersion();
    if (p.parser.isSet(p.help))
        p.parser.showHelp(0);
    p.parser.process(app);  // --help-all: Qt's options too
}

HostOptions readHostOptions(const QCoreApplication &app)
{
    nameTheProgram();
    Parser p;
    p.parser.process(app);
    HostOptions options;
    options.automation = p.parser.isSet(p.automation);
    options.journalPath = p.parser.value(p.journal);
    options.lessonPath = p.parser.value(p.lesson);
    if (options.journalPath.isEmpty())
        options.journalPath = qEnvironmentVariable("ZEP_JOURNAL");
    return options;
}

} // namespace zep
