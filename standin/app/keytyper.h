#pragma once
// Types a client's keys into the host as a person at the keyboard would
// (SendKeys): "%" holds Alt for the next key; Alt and a menu title's
// underlined letter open that menu, and a plain key in an open menu triggers
// the item it underlines; every other key goes to the focus widget.
//
// Keys are typed a few milliseconds' worth at a time from the event loop, so
// the host keeps painting, answering and taking SIGTERM between them; a call
// is answered once its last key is typed, or with an error if the host stops
// first. GUI thread only.

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>

class QMainWindow;
class QMenu;

namespace zep {

class KeyTyper : public QObject {
    Q_OBJECT
public:
    // Longest key text taken, "%" included. A hand-over types three keys
    // ("%v4") and a person typing a menu path and a file name stays far
    // below this; a list's type-ahead search costs the square of the keys
    // typed in one burst, which at this length is still well under a
    // millisecond and at the command length limit would be seconds.
    static constexpr qsizetype kMaxKeys = 1024;

    // Called exactly once for every call taken: an empty text when each key
    // was typed, else why typing ended early.
    using Done = std::function<void(const QString &error)>;

    explicit KeyTyper(QMainWindow &window, QObject *parent = nullptr);
    ~KeyTyper() override;

    // Empty when the keys were taken (done follows later, never from here),
    // else why they were refused (done is never called).
    QString type(const QString &keys, Done done);

    // Ends every call still typing or waiting its turn, each with done(why).
    void stop(const QString &why);

private:
    struct Key {
        bool alt;
        QChar c;
    };
    struct Job {
        quint64 id;
        QList<Key> keys;
        qsizetype next = 0;
        bool started = false;
        Done done;
    };

    static QString read(const QString &keys, QList<Key> *out);
    qint64 pauseBefore(const Job &job) const;
    void typeSome();
    bool typeKey(const Key &key);

    QMainWindow &window_;
    std::deque<Job> jobs_;
    quint64 nextId_ = 1;
    QTimer slice_;
    QPointer<QMenu> armedMenu_;
    QElapsedTimer lastListKey_;
};

} // namespace zep
