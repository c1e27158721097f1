#pragma once
// The scripting guide as its tests read it: the whole text and its fenced blocks.

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

inline QString guideText()
{
    QFile file(QStringLiteral(VELMORA_DOCS_DIR "/scripting.md"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The lines of every block fenced as ```LANGUAGE, in order.
inline QStringList guideBlocks(const QString &language)
{
    QStringList lines;
    const QRegularExpression fence(QStringLiteral("^```%1\\n(.*?)^```$").arg(language),
                                   QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption);
    for (const auto &match : fence.globalMatch(guideText()))
        lines += match.captured(1).split(u'\n', Qt::SkipEmptyParts);
    return lines;
}
