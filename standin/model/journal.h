#pragma once
// The host's journal: one line per command received (with its outcome) and per
// automation request, appended and flushed at once so that a host started by
// someone else can be followed live. Any thread.
//
// The journal never holds the host up and never fills the disk: only a
// regular file is used (opened without blocking, so a FIFO or a device is
// refused at once), it rolls over to FILE.1 at a set size, and a path or a
// write that fails is reported once while the host goes on unjournalled.

#include <QString>

#include <functional>
#include <mutex>

namespace zep {

class Journal {
public:
    // Where the journal's own trouble goes: one line, without a line break.
    using Problem = std::function<void(const QString &line)>;

    static constexpr qint64 kRollOverBytes = 64 * 1024 * 1024;

    // An empty path makes a journal that records nothing. Problems go to
    // stderr unless a sink is given.
    explicit Journal(const QString &path = {}, qint64 rollOverBytes = kRollOverBytes, Problem problem = {});
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    bool isOpen() const;
    QString errorString() const;

    // "cmd" lines: the command as received, then "-> ok ..." or "-> failed: ...".
    void command(const QString &line, bool ok, const QString &result);
    // Automation requests and menu actions: "app Visible true", "menu Reset View".
    void event(const QString &kind, const QString &what);

    // Control characters and over-long text made printable on one line.
    static QString printable(const QString &text);

private:
    bool openFile(QString *why);
    void write(const QString &line);
    void giveUp(const QString &why);

    mutable std::mutex mutex_;
    QString path_;
    qint64 rollOverBytes_;
    Problem problem_;
    int fd_ = -1;
    qint64 size_ = 0;
    QString error_;
    bool writeFailed_ = false;
};

} // namespace zep
