#pragma once
// The objects behind the host's bus contract (ZEP.Application.xml). The
// generated adaptors call into these by member name.
//
// Personality lives on the command thread and answers there; the others live
// on the GUI thread because every member touches a widget.
// The names and numbers of the contract: contract/zepcontract.h.

#include "contract/zepcontract.h"
#include "standin/model/interpreter.h"
#include "standin/model/journal.h"
#include "standin/model/lessonplayer.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QHash>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <mutex>

#include <QMdiSubWindow>

namespace zep {

class HostWindow;
class KeyTyper;

using velmora::contract::kBusName;
using velmora::contract::kErrorCommandFailed;
using velmora::contract::kErrorInvalidIndex;
using velmora::contract::kErrorNoSuchWindow;

class Personality : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    Personality(ScenarioStore &store, Journal &journal, UiPort &ui, QObject *parent = nullptr);

    // The thread that served the last ExecuteCommand call.
    QThread *lastCallThread() const { return lastThread_.load(); }

    // Command thread: a line from the host's own GUI, journalled and
    // recorded as a call would be; the outcome is for the GUI to show.
    CommandOutcome runFromGui(const QString &command);
    // Command thread: opens a lesson whose path the language cannot quote.
    CommandOutcome openLessonFromGui(const QString &path);

    // Any thread: the accepted commands that may have changed the scenario,
    // in order, for saving as a lesson.
    QStringList recordedCommands() const;

public slots:
    QStringList ExecuteCommand(const QString &command);

signals:
    void scenarioChanged();
    void refused(const QString &command, const QString &why);

private:
    CommandOutcome execute(const QString &command);
    CommandOutcome played(LessonPlayer::Result result);
    CommandOutcome finishForGui(const QString &command, const CommandOutcome &out);

    CommandInterpreter interpreter_;
    LessonPlayer lessons_;
    Journal &journal_;
    UiPort &ui_;
    std::atomic<QThread *> lastThread_{nullptr};
    mutable std::mutex recordMutex_;
    QStringList recorded_;
};

class WindowObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption)
    Q_PROPERTY(int WindowState READ windowState WRITE setWindowState)
public:
    WindowObject(HostWindow &host, QMdiSubWindow *window, Journal &journal, QDBusConnection bus,
                 QObject *parent = nullptr);

    QString caption() const;
    int windowState() const;
    void setWindowState(int state);
    // Kept as the caption changes: the window may be half destroyed when asked.
    QString lastCaption() const { return lastCaption_; }

public slots:
    void Close();

signals:
    void closed();

private:
    bool gone() const;

    HostWindow &host_;
    QPointer<QMdiSubWindow> window_;
    QString lastCaption_;
    Journal &journal_;
};

// What answers at the path of a closed window: NoSuchWindow to every call.
// Ids are never reused, so the path stays retired for the host's life.
class RetiredWindow : public QDBusVirtualObject {
public:
    explicit RetiredWindow(QString caption, QObject *parent = nullptr);
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;
    QString introspect(const QString &path) const override;

private:
    const QString caption_;
};

// Each window's object is on the bus from the moment the window exists.
class WindowsObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(int Count READ count)
public:
    WindowsObject(HostWindow &host, Journal &journal, QDBusConnection bus, QObject *parent = nullptr);

    int count() const;
    static QString path() { return velmora::contract::kWindowsPath; }

public slots:
    QDBusObjectPath Item(int index);
    void Arrange(int arrangeStyle);

private:
    QString publish(QMdiSubWindow *window);
    void retire(quint32 id);

    HostWindow &host_;
    Journal &journal_;
    QDBusConnection bus_;
    QHash<quint32, WindowObject *> objects_;  // null once retired
};

class ApplicationObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(QDBusObjectPath Personality READ personality)
    Q_PROPERTY(QDBusObjectPath Windows READ windows)
    Q_PROPERTY(bool UserControl READ userControl WRITE setUserControl)
    Q_PROPERTY(bool Visible READ visible WRITE setVisible)
    Q_PROPERTY(int WindowState READ windowState WRITE setWindowState)
public:
    ApplicationObject(HostWindow &host, KeyTyper &keys, Journal &journal, QDBusConnection bus,
                      QObject *parent = nullptr);

    QDBusObjectPath personality() const { return QDBusObjectPath(velmora::contract::kPersonalityPath); }
    QDBusObjectPath windows() const { return QDBusObjectPath(WindowsObject::path()); }
    bool userControl() const;
    void setUserControl(bool on);
    bool visible() const;
    void setVisible(bool on);
    int windowState() const;
    void setWindowState(int state);

public slots:
    void Activate();
    // Answered once the keys are typed, which the GUI does between other work.
    void SendKeys(const QString &keys);

private:
    HostWindow &host_;
    KeyTyper &keys_;
    Journal &journal_;
};

} // namespace zep
