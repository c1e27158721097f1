#pragma once
// The host's journal: one line per command received (with its outcome) and per
// automation request, appended and flushed at once so that a host started by
// someone else can be followed live. Any thread.

#include <QFile>
#include <QString>

#include <mutex>

namespace zep {

class Journal {
public:
    // An empty path makes a journal that records nothing.
    explicit Journal(const QString &path = {});

    bool isOpen() const { return file_.isOpen(); }
    QString errorString() const { return file_.errorString(); }

    // "cmd" lines: the command as received, then "-> ok ..." or "-> failed: ...".
    void command(const QString &line, bool ok, const QString &result);
    // Automation requests and menu actions: "app Visible true", "menu Reset view".
    void event(const QString &kind, const QString &what);

    // Control characters and over-long text made printable on one line.
    static QString printable(const QString &text);

private:
    void write(const QString &line);

    std::mutex mutex_;
    QFile file_;
};

} // namespace zep
