#pragma once
// A small host on the bus that speaks the automation contract, for the bus
// client's tests: in the test process on a connection of its own, or as a
// separate program that the client starts.

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QStringList>

namespace velmora::testing {

class StubHost;

class StubApp : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "ZEP.Application")
    Q_PROPERTY(QDBusObjectPath Personality READ personality)
    Q_PROPERTY(QDBusObjectPath Windows READ windows)
    Q_PROPERTY(bool UserControl READ userControl WRITE setUserControl)
    Q_PROPERTY(bool Visible READ visible WRITE setVisible)
    Q_PROPERTY(int WindowState READ windowState WRITE setWindowState)
public:
    explicit StubApp(StubHost &host) : host_(host) {}
    QDBusObjectPath personality() const;
    QDBusObjectPath windows() const;
    bool userControl() const;
    void setUserControl(bool on);
    bool visible() const;
    void setVisible(bool on);
    int windowState() const;
    void setWindowState(int state);
public slots:
    void Activate();
    void SendKeys(const QString &keys);

private:
    StubHost &host_;
};

class StubPersonality : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "ZEP.Personality")
public:
    explicit StubPersonality(StubHost &host) : host_(host) {}
public slots:
    QStringList ExecuteCommand(const QString &command);

private:
    StubHost &host_;
};

class StubWindows : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "ZEP.Windows")
    Q_PROPERTY(int Count READ count)
public:
    explicit StubWindows(StubHost &host) : host_(host) {}
    int count() const;
public slots:
    QDBusObjectPath Item(int index);
    void Arrange(int arrangeStyle);

private:
    StubHost &host_;
};

class StubWindow : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "ZEP.Window")
    Q_PROPERTY(QString Caption READ caption)
    Q_PROPERTY(int WindowState READ windowState WRITE setWindowState)
public:
    StubWindow(StubHost &host, int id, QString caption)
        : host_(host), id_(id), caption_(std::move(caption)) {}
    QString caption() const { return caption_; }
    int windowState() const;
    void setWindowState(int state);
    int id() const { return id_; }
public slots:
    void Close();

private:
    StubHost &host_;
    int id_;
    QString caption_;
};

// The host's state and what reached it. Calls arrive on the thread that the
// objects live in; the test reads through the locked accessors.
class StubHost {
public:
    StubHost(QDBusConnection bus, const QStringList &captions);
    ~StubHost();
    // Registers the objects and takes the name; false when the name is taken.
    bool publish(const QString &busName);
    void moveToThread(QThread *thread);

    QStringList journal() const { return get(journal_); }  // "cmd ...", "set Visible false" ...
    bool visible() const { return get(visible_); }
    QStringList captions() const;

private:
    friend class StubApp;
    friend class StubPersonality;
    friend class StubWindows;
    friend class StubWindow;
    void note(const QString &line);
    template <class T> T get(const T &field) const
    {
        QMutexLocker lock(&mutex_);
        return field;
    }
    template <class T> void set(T &field, T value, const QString &line)
    {
        note(line);
        QMutexLocker lock(&mutex_);
        field = value;
    }
    static QString windowPath(int id);

    QDBusConnection bus_;
    mutable QMutex mutex_;
    QStringList journal_;
    bool userControl_ = false;
    bool visible_ = true;
    int windowState_ = 0;
    QList<StubWindow *> windows_;  // in the host's order
    QList<int> windowStates_;
    StubApp app_{*this};
    StubPersonality personality_{*this};
    StubWindows windowCollection_{*this};
};

} // namespace velmora::testing
