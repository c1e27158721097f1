#pragma once
// The golden command transcript: the lines the toolbar sends to prepare the
// host at start-up, to switch the geometry aids and to hand the host over, as
// plain text in transcript.txt beside this header, never rebuilt from the
// code under test. The link's, the toolbar's and the aids' tests expect them;
// the stand-in host's tests run them, so the two programs cannot drift apart.
// Header only, Qt Core only: every test target can use it.

#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace velmora::testing::golden {

inline const QString kStart = QStringLiteral("1 Jul 2005 12:00:00.00");
inline const QString kStop = QStringLiteral("4 Jul 2005 12:00:00.00");

// The lines under "[name]" in the transcript; a name it lacks stops the test.
inline QStringList section(const QString &name)
{
    static const QHash<QString, QStringList> sections = [] {
        QFile file(QStringLiteral(VELMORA_GOLDEN_TRANSCRIPT));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            qFatal("cannot read the golden transcript %s", VELMORA_GOLDEN_TRANSCRIPT);
        QHash<QString, QStringList> read;
        QStringList *current = nullptr;
        for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            if (line.startsWith(u'[') && line.endsWith(u']'))
                current = &read[line.mid(1, line.size() - 2)];
            else if (current && !line.isEmpty() && !line.startsWith(u'#'))
                current->append(line);
        }
        return read;
    }();
    const auto found = sections.constFind(name);
    if (found == sections.cend())
        qFatal("the golden transcript has no section [%s]", qPrintable(name));
    return *found;
}

inline QString line(const QString &name)
{
    return section(name).value(0);
}

// The scenario preparation, in order.
inline QStringList scenarioPreparation() { return section(QStringLiteral("scenario preparation")); }

// The host's bars, hidden by the window arrangement.
inline QStringList barsHidden() { return section(QStringLiteral("bars hidden")); }

// The axes of a frame, "Inertial" or "Fixed".
inline QString showAxes(const QString &frame) { return line(QStringLiteral("show axes ") + frame); }
inline QString hideAxes(const QString &frame) { return line(QStringLiteral("hide axes ") + frame); }

inline const QString kNextFrame = line(QStringLiteral("next frame"));
inline const QString kViewerPosition = line(QStringLiteral("viewer position"));

// The start-up's view after the presets: the inertial frame picked, then two
// frame steps around the viewer position, then the frame picked again.
inline QStringList startupView() { return section(QStringLiteral("start-up view")); }

// The thirteen commands of one switch of the geometry aids. `verb` is "Add"
// on the first use and "Modify" afterwards, `on` is "On" or "Off".
inline QStringList geometryAids(const QString &verb, const QString &on)
{
    return section(QStringLiteral("geometry aids %1 %2").arg(verb, on));
}

// The hand-over's commands that undo the preparation's bars and annotations.
inline QStringList handOverRestore() { return section(QStringLiteral("hand-over restore")); }

// Lines as the recording fake logs commands.
inline QStringList asLogged(const QStringList &commands)
{
    QStringList logged;
    for (const QString &c : commands)
        logged << QStringLiteral("cmd ") + c;
    return logged;
}

} // namespace velmora::testing::golden
