#include "standin/model/journal.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zep {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Why a file of this kind cannot hold the journal; empty for a regular file.
QString notRegular(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    const char *kind = S_ISFIFO(mode) ? "a FIFO"
                       : S_ISDIR(mode) ? "a directory"
                       : S_ISCHR(mode) ? "a character device"
                       : S_ISBLK(mode) ? "a block device"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "not a plain file";
    return QStringLiteral("it is %1, not a regular file").arg(QLatin1StringView(kind));
}

void toStderr(const QString &line)
{
    std::fprintf(stderr, "velmora-zep: %s\n", qPrintable(line));
}

} // namespace

Journal::Journal(const QString &path, qint64 rollOverBytes, Problem problem)
    : path_(path), rollOverBytes_(rollOverBytes), problem_(problem ? std::move(problem) : Problem(toStderr))
{
    if (path.isEmpty())
        return;
    QString why;
    if (!openFile(&why))
        giveUp(QStringLiteral("journal %1 not used: %2; running without a journal").arg(path_, why));
}

Journal::~Journal()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool Journal::isOpen() const
{
    std::lock_guard lock(mutex_);
    return fd_ >= 0;
}

QString Journal::errorString() const
{
    std::lock_guard lock(mutex_);
    return error_;
}

bool Journal::openFile(QString *why)
{
    const QByteArray name = QFile::encodeName(path_);
    // Looked at first for a plain answer; checked again on the open file,
    // which is what counts if the path changes in between.
    struct stat before {};
    if (::stat(name.constData(), &before) == 0 && !notRegular(before.st_mode).isEmpty()) {
        *why = notRegular(before.st_mode);
        return false;
    }
    // Without O_NONBLOCK, opening a FIFO waits for a reader, for ever.
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        *why = systemError(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !notRegular(st.st_mode).isEmpty()) {
        *why = notRegular(st.st_mode);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = st.st_size;
    return true;
}

void Journal::giveUp(const QString &why)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    error_ = why;
    problem_(why);
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
    write(QStringLiteral("cmd %1 -> %2%3")
              .arg(printable(line), ok ? QStringLiteral("ok ") : QStringLiteral("failed: "),
                   printable(result)));
}

void Journal::event(const QString &kind, const QString &what)
{
    write(kind + u' ' + printable(what));
}

void Journal::write(const QString &line)
{
    const QByteArray bytes = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1()
                             + ' ' + line.toLatin1() + '\n';
    std::lock_guard lock(mutex_);
    if (fd_ < 0)
        return;
    if (size_ > 0 && size_ + bytes.size() > rollOverBytes_) {
        ::close(fd_);
        fd_ = -1;
        const QByteArray name = QFile::encodeName(path_);
        QString why;
        // rename() replaces an older FILE.1 in one step.
        if (::rename(name.constData(), (name + ".1").constData()) != 0)
            why = QStringLiteral("cannot roll over to %1.1: %2").arg(path_, systemError(errno));
        else if (!openFile(&why))
            why = QStringLiteral("cannot start a new %1 after rolling over: %2").arg(path_, why);
        if (!why.isEmpty()) {
            giveUp(QStringLiteral("journal stopped: %1").arg(why));
            return;
        }
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            error_ = systemError(error);
            // A full disk tends to fail every line: say so once, keep trying.
            if (!writeFailed_)
                problem_(QStringLiteral("journal %1: a write failed (%2); lines may be missing, not reported again")
                             .arg(path_, error_));
            writeFailed_ = true;
            return;
        }
        done += n;
        size_ += n;
    }
}

} // namespace zep
