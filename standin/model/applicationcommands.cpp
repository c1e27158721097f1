// The host itself: what it is, whether it holds a scenario, how it talks, the
// bars of its main window and pictures of its views.

#include "standin/model/commandtable.h"

#include <QDir>

namespace zep {

namespace {

CommandOutcome checkScenario(CommandReader &r)
{
    if (!r.end())
        return r.refusal();
    return done({r.state().scenarioOpen ? QStringLiteral("1") : QStringLiteral("0")});
}

CommandOutcome getVersion(CommandReader &r)
{
    if (!r.end())
        return r.refusal();
    return done({CommandInterpreter::versionText()});
}

// The bars change on the GUI thread; the snapshot keeps what they should show.
CommandOutcome showBar(CommandReader &r, UiRequest::Kind kind)
{
    const bool show = r.oneOf({"Hide", "Show"}, "expected Hide or Show, not %1") == 1;
    QString toolBar;
    if (kind == UiRequest::Kind::ToolBar) {
        const QString name = r.word();
        for (const QString &known : hostToolBarNames()) {
            if (name == u'*' || known.compare(name, Qt::CaseInsensitive) == 0)
                toolBar = name == u'*' ? name : known;
        }
        if (toolBar.isEmpty() && r.ok())
            return r.refuse(QStringLiteral("no tool bar %1 (there are \"%2\", or \"*\" for all)")
                                .arg(quoted(name), hostToolBarNames().join(QStringLiteral("\", \""))));
    }
    if (!r.end())
        return r.refusal();

    Snapshot::Chrome &chrome = r.edit().chrome;
    if (kind == UiRequest::Kind::StatusBar)
        chrome.statusBar = show;
    else if (kind == UiRequest::Kind::MenuBar)
        chrome.menuBar = show;
    for (const QString &name : hostToolBarNames()) {
        if (toolBar == u'*' || toolBar == name)
            chrome.toolBars[name] = show;
    }
    CommandOutcome out = done();
    out.ui.kind = kind;
    out.ui.show = show;
    out.ui.toolBar = toolBar;
    return out;
}

CommandOutcome statusBar(CommandReader &r)
{
    return showBar(r, UiRequest::Kind::StatusBar);
}

CommandOutcome menuBar(CommandReader &r)
{
    return showBar(r, UiRequest::Kind::MenuBar);
}

CommandOutcome toolBar(CommandReader &r)
{
    return showBar(r, UiRequest::Kind::ToolBar);
}

CommandOutcome connectionControl(CommandReader &r)
{
    bool verbose = r.state().verbose;
    bool acknowledge = r.state().acknowledge;
    enum { VerboseOn, VerboseOff, AckOn, AckOff };
    do {
        switch (r.oneOf({"VerboseOn", "VerboseOff", "AckOn", "AckOff"}, "unknown setting %1")) {
        case VerboseOn: verbose = true; break;
        case VerboseOff: verbose = false; break;
        case AckOn: acknowledge = true; break;
        case AckOff: acknowledge = false; break;
        }
    } while (r.more());
    if (!r.end())
        return r.refusal();
    Snapshot &s = r.edit();
    s.verbose = verbose;
    s.acknowledge = acknowledge;
    return done();
}

// The one command that writes a file, so lessons may not use it: a picture
// of the active graphics window (else the newest), as File, "Save Picture...".
CommandOutcome savePicture(CommandReader &r)
{
    const QString path = r.word();
    if (!r.end())
        return r.refusal();
    if (!QDir::isAbsolutePath(path) || !path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return r.refuse(QStringLiteral("%1 is not the full path of a .png file").arg(quoted(path)));
    CommandOutcome out = done();
    out.ui.kind = UiRequest::Kind::SavePicture;
    out.ui.path = QDir::cleanPath(path);
    return out;
}

const CommandEntry kApplicationRequests[] = {
    {"StatusBar", "Application / StatusBar Hide|Show",
     "Application / StatusBar Show", Target::Application, statusBar},
    {"MenuBar", "Application / MenuBar Hide|Show",
     "Application / MenuBar Show", Target::Application, menuBar},
    {"ToolBar", "Application / ToolBar Hide|Show \"NAME\"",
     "Application / ToolBar Show \"Animation\"", Target::Application, toolBar},
};

const CommandEntry kCommands[] = {
    {.keyword = "CheckScenario", .usage = "CheckScenario /", .example = "CheckScenario /", .handler = checkScenario,
     .query = true},
    {.keyword = "GetZEPVersion", .usage = "GetZEPVersion /", .example = "GetZEPVersion /", .handler = getVersion,
     .query = true},
    {.keyword = "Application", .usage = "Application /", .requests = kApplicationRequests},
    {"ConControl", "ConControl / VerboseOn|VerboseOff|AckOn|AckOff ...",
     "ConControl / VerboseOff AckOff", Target::Application, connectionControl},
    {.keyword = "SavePicture", .usage = "SavePicture * \"FILE.png\"", .example = "SavePicture * \"/tmp/velmora-demo.png\"",
     .target = Target::Window, .handler = savePicture, .notInLessons = true},
};

} // namespace

std::span<const CommandEntry> applicationCommands()
{
    return kCommands;
}

} // namespace zep
