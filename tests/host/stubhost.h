#pragma once
// The recording fake host put on the bus, for the bus client's tests: in the
// test process on a connection of its own, or as a separate program that the
// client starts. The bus objects only translate; every answer, failure and log
// line comes from the fake, so the host behaves the same on the bus as in process.

#include "contract/zepcontract.h"
#include "tests/support/fakehost.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>

namespace velmora::testing {

class StubHost;

// One bus object in front of one of the fake's automation objects. Q_OBJECT
// lets the bus find its QDBusContext.
class StubObject : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    StubObject(StubHost &host, host::AutomationRef model) : host_(host), model_(std::move(model)) {}

protected:
    // The fake's answer; on the bus a failure becomes `error`, and a command the
    // fake leaves unanswered stays unanswered. Property reads cannot fail on the bus.
    host::Outcome answer(const std::function<host::Outcome(host::AutomationObject &)> &access,
                         QLatin1StringView error) const;
    QVariant read(QLatin1StringView property) const;
    void write(QLatin1StringView property, const QVariant &value);
    QVariant invoke(QLatin1StringView method, const QVariantList &args,
                    QLatin1StringView error = contract::kErrorCommandFailed);

    StubHost &host_;
    host::AutomationRef model_;
};

class StubApp : public StubObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "ZEP.Application")
    Q_PROPERTY(QDBusObjectPath Personality READ personality)
    Q_PROPERTY(QDBusObjectPath Windows READ windows)
    Q_PROPERTY(bool UserControl READ userControl WRITE setUserControl)
    Q_PROPERTY(bool Visible READ visible WRITE setVisible)
    Q_PROPERTY(int WindowState READ windowState WRITE setWindowState)
public:
    using StubObject::StubObject;
    QDBusObjectPath personality() const { return QDBusObjectPath(contract::kPersonalityPath); }
    QDBusObjectPath windows() const { return QDBusObjectPath(contract::kWindowsPath); }
    bool userControl() const { return read(contract::kUserControl).toBool(); }
    void setUserControl(bool on) { write(contract::kUserControl, on); }
    bool visible() const { return read(contract::kVisible).toBool(); }
    void setVisible(bool on) { write(contract::kVisible, on); }
    int windowState() const { return read(contract::kWindowState).toInt(); }
    void setWindowState(int state) { write(contract::kWindowState, state); }
public slots:
    void Activate() { invoke(contract::kActivate, {}); }
    void SendKeys(const QString &keys) { invoke(contract::kSendKeys, {keys}); }
};

class StubPersonality : public StubObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "ZEP.Personality")
public:
    using StubObject::StubObject;
public slots:
    QStringList ExecuteCommand(const QString &command)
    {
        return invoke(contract::kExecuteCommand, {command}).toStringList();
    }
};

class StubWindows : public StubObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "ZEP.Windows")
    Q_PROPERTY(int Count READ count)
public:
    using StubObject::StubObject;
    int count() const { return read(contract::kCount).toInt(); }
public slots:
    QDBusObjectPath Item(int index);
    void Arrange(int arrangeStyle) { invoke(contract::kArrange, {arrangeStyle}); }

private:
    int taken_ = 0;  // window objects handed out, for their paths
};

// A window object the collection handed out, bound as the fake binds it.
class StubWindow : public StubObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "ZEP.Window")
    Q_PROPERTY(QString Caption READ caption)
    Q_PROPERTY(int WindowState READ windowState WRITE setWindowState)
public:
    StubWindow(StubHost &host, host::AutomationRef model, QString path)
        : StubObject(host, std::move(model)), path_(std::move(path)) {}
    QString caption() const { return read(contract::kCaption).toString(); }
    int windowState() const { return read(contract::kWindowState).toInt(); }
    void setWindowState(int state) { write(contract::kWindowState, state); }
public slots:
    void Close();

private:
    QString path_;
};

// Calls arrive on the thread that the objects live in; the test reaches the
// fake only through with(), under the same lock.
class StubHost {
public:
    StubHost(QDBusConnection bus, const QStringList &captions);
    // Registers the objects and takes the name; false when the name is taken.
    bool publish(const QString &busName);
    void moveToThread(QThread *thread);

    template <class F> auto with(F &&f)
    {
        QMutexLocker lock(&mutex_);
        return f(fake_);
    }
    QStringList log() { return with([](FakeHost &h) { return h.log; }); }

private:
    friend class StubObject;
    friend class StubWindows;
    friend class StubWindow;

    QDBusConnection bus_;
    QMutex mutex_;
    FakeHost fake_;
    StubApp app_{*this, fake_.app()};
    StubPersonality personality_{*this, fake_.app()->get(QStringLiteral("Personality")).object};
    StubWindows windows_{*this, fake_.app()->get(QStringLiteral("Windows")).object};
};

} // namespace velmora::testing
