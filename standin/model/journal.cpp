#include "standin/model/journal.h"

#include <QDateTime>

namespace zep {

Journal::Journal(const QString &path)
{
    if (path.isEmpty())
        return;
    file_.setFileName(path);
    (void)file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

QString Journal::printable(const QString &text)
{
    constexpr qsizetype kKept = 400;
    QString out;
    const qsizetype shown = std::min(text.size(), kKept);
    out.reserve(shown + 32);
    for (qsizetype i = 0; i < shown; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c < 0x20 || c == 0x7f)
            out += QStringLiteral("\\x%1").arg(int(c), 2, 16, QLatin1Char('0'));
        else if (c > 0x7e)
            out += QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0'));
        else
            out += QChar(c);
    }
    if (text.size() > kKept)
        out += QStringLiteral("... (%1 characters)").arg(text.size());
    return out;
}

void Journal::command(const QString &line, bool ok, const QString &result)
{
    if (!file_.isOpen())
        return;
    write(QStringLiteral("cmd %1 -> %2%3")
              .arg(printable(line), ok ? QStringLiteral("ok ") : QStringLiteral("failed: "),
                   printable(result)));
}

void Journal::event(const QString &kind, const QString &what)
{
    if (!file_.isOpen())
        return;
    write(kind + u' ' + printable(what));
}

void Journal::write(const QString &line)
{
    const QByteArray bytes = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1()
                             + ' ' + line.toLatin1() + '\n';
    std::lock_guard lock(mutex_);
    file_.write(bytes);
    file_.flush();
}

} // namespace zep
