#include "standin/app/automationobjects.h"

#include "standin/app/documentwindows.h"
#include "standin/app/hostwindow.h"
#include "standin/app/keytyper.h"
#include "standin/app/propertygate.h"
#include "zep_adaptors.h"

#include <QDBusMessage>
#include <QMdiSubWindow>
#include <QThread>

namespace zep {

// ---------------------------------------------------------------- Personality

Personality::Personality(ScenarioStore &store, Journal &journal, UiPort &ui, QObject *parent)
    : QObject(parent), interpreter_(store), lessons_(store), journal_(journal), ui_(ui)
{
    new PersonalityAdaptor(this);
}

// Lesson commands run other commands, so the player takes them before the interpreter.
CommandOutcome Personality::execute(const QString &command)
{
    if (LessonPlayer::handles(command))
        return played(lessons_.execute(command));
    CommandOutcome out = interpreter_.execute(command);
    if (out.ok && CommandInterpreter::kindOf(command.section(u' ', 0, 0)) == CommandInterpreter::CommandKind::Change) {
        std::lock_guard lock(recordMutex_);
        recorded_.append(command);
    }
    return out;
}

// A step's bars and clock are the GUI's to set; nobody waits for them, and
// what it cannot do goes to the journal.
CommandOutcome Personality::played(LessonPlayer::Result result)
{
    for (const UiRequest &request : result.ui) {
        ui_.carryOut(request, [journal = &journal_](const QString &error) {
            if (!error.isEmpty())
                journal->event(QStringLiteral("lesson"), error);
        });
    }
    return result.out;
}

CommandOutcome Personality::finishForGui(const QString &command, const CommandOutcome &out)
{
    journal_.command(command, out.ok, out.ok ? out.reply.join(QStringLiteral(" | ")) : out.error);
    if (!out.ok)
        emit refused(command, out.error);
    else if (out.scenarioChanged)
        emit scenarioChanged();
    return out;
}

CommandOutcome Personality::runFromGui(const QString &command)
{
    return finishForGui(command, execute(command));
}

CommandOutcome Personality::openLessonFromGui(const QString &path)
{
    return finishForGui(QStringLiteral("Lesson / Open \"%1\"").arg(path), played(lessons_.open(path)));
}

QStringList Personality::recordedCommands() const
{
    std::lock_guard lock(recordMutex_);
    return recorded_;
}

QStringList Personality::ExecuteCommand(const QString &command)
{
    lastThread_.store(QThread::currentThread());
    CommandOutcome out = execute(command);
    if (!out.ok) {
        journal_.command(command, false, out.error);
        emit refused(command, out.error);
        if (calledFromDBus())
            sendErrorReply(QLatin1StringView(kErrorCommandFailed), out.error);
        return {};
    }
    if (out.scenarioChanged)
        emit scenarioChanged();
    if (out.ui.kind == UiRequest::Kind::None || !calledFromDBus()) {
        journal_.command(command, true, out.reply.join(QStringLiteral(" | ")));
        return out.reply;
    }

    // The widgets belong to the GUI thread: answer once it has acted, without
    // holding this thread (or any lock) in the meantime.
    setDelayedReply(true);
    const QDBusMessage call = message();
    QDBusConnection bus = connection();
    Journal *journal = &journal_;
    ui_.carryOut(out.ui, [call, bus, journal, command, reply = out.reply](const QString &error) mutable {
        if (error.isEmpty()) {
            journal->command(command, true, reply.join(QStringLiteral(" | ")));
            bus.send(call.createReply(QVariant::fromValue(reply)));
        } else {
            journal->command(command, false, error);
            bus.send(call.createErrorReply(QLatin1StringView(kErrorCommandFailed), error));
        }
    });
    return {};
}

// --------------------------------------------------------------- WindowObject

WindowObject::WindowObject(HostWindow &host, QMdiSubWindow *window, Journal &journal, QDBusConnection bus,
                           QObject *parent)
    : QObject(parent), host_(host), window_(window), journal_(journal)
{
    lastCaption_ = window ? window->windowTitle() : QString();
    if (window)
        connect(window, &QWidget::windowTitleChanged, this, [this](const QString &title) { lastCaption_ = title; });
    new WindowAdaptor(this);
    new PropertyGate(this, bus);
}

bool WindowObject::gone() const
{
    if (window_ && host_.documents().contains(window_))
        return false;
    // Property calls reach here through the gate, so they carry it too.
    if (calledFromDBus())
        sendErrorReply(QLatin1StringView(kErrorNoSuchWindow),
                       QStringLiteral("the window \"%1\" was closed").arg(lastCaption_));
    return true;
}

QString WindowObject::caption() const
{
    if (gone())
        return {};
    return window_->windowTitle();
}

int WindowObject::windowState() const
{
    if (gone())
        return 0;
    return windowStateCode(window_->windowState());
}

void WindowObject::setWindowState(int state)
{
    if (gone())
        return;
    journal_.event(QStringLiteral("window"), QStringLiteral("%1 WindowState %2").arg(window_->windowTitle()).arg(state));
    const QString why = host_.documents().setState(window_, state);
    if (!why.isEmpty()) {
        journal_.event(QStringLiteral("window"), QStringLiteral("refused: ") + why);
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs, why);
    }
}

void WindowObject::Close()
{
    if (gone())
        return;
    lastCaption_ = window_->windowTitle();
    journal_.event(QStringLiteral("window"), QStringLiteral("%1 Close").arg(lastCaption_));
    host_.documents().close(window_);
    emit closed();
}

// ------------------------------------------------------------- RetiredWindow

RetiredWindow::RetiredWindow(QString caption, QObject *parent) : QDBusVirtualObject(parent), caption_(std::move(caption))
{
}

bool RetiredWindow::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    QDBusConnection(connection).send(message.createErrorReply(
        QLatin1StringView(kErrorNoSuchWindow), QStringLiteral("the window \"%1\" was closed").arg(caption_)));
    return true;
}

QString RetiredWindow::introspect(const QString &) const
{
    return {};
}

// -------------------------------------------------------------- WindowsObject

WindowsObject::WindowsObject(HostWindow &host, Journal &journal, QDBusConnection bus, QObject *parent)
    : QObject(parent), host_(host), journal_(journal), bus_(bus)
{
    new WindowsAdaptor(this);
    new PropertyGate(this, bus);
    for (QMdiSubWindow *window : host_.documents().list())
        publish(window);
    connect(&host_.documents(), &DocumentWindows::added, this, &WindowsObject::publish);
}

QString WindowsObject::publish(QMdiSubWindow *window)
{
    const quint32 id = host_.documents().id(window);
    const QString objectPath = QStringLiteral("%1/%2").arg(path()).arg(id);
    if (objects_.contains(id))
        return objectPath;
    auto *object = new WindowObject(host_, window, journal_, bus_, this);
    objects_.insert(id, object);
    bus_.registerObject(objectPath, object);
    connect(object, &WindowObject::closed, this, [this, id] { retire(id); });
    connect(window, &QObject::destroyed, this, [this, id] { retire(id); });
    return objectPath;
}

int WindowsObject::count() const
{
    return int(host_.documents().list().size());
}

QDBusObjectPath WindowsObject::Item(int index)
{
    const QList<QMdiSubWindow *> windows = host_.documents().list();
    if (index < 0 || index >= windows.size()) {
        sendErrorReply(QLatin1StringView(kErrorInvalidIndex),
                       windows.isEmpty() ? QStringLiteral("no window at index %1: the host has no windows").arg(index)
                                         : QStringLiteral("no window at index %1 (the host has %2, indexes 0 to %3)")
                                               .arg(index)
                                               .arg(windows.size())
                                               .arg(windows.size() - 1));
        return QDBusObjectPath(path());
    }
    return QDBusObjectPath(publish(windows.at(index)));
}

void WindowsObject::retire(quint32 id)
{
    WindowObject *object = objects_.value(id);
    if (!object)
        return;
    objects_.insert(id, nullptr);  // ids are never reused: keep the slot
    const QString objectPath = QStringLiteral("%1/%2").arg(path()).arg(id);
    bus_.unregisterObject(objectPath);
    auto *retired = new RetiredWindow(object->lastCaption(), this);
    bus_.registerVirtualObject(objectPath, retired, QDBusConnection::SingleNode);
    object->deleteLater();
}

void WindowsObject::Arrange(int arrangeStyle)
{
    journal_.event(QStringLiteral("app"), QStringLiteral("Arrange %1").arg(arrangeStyle));
    const QString why = host_.documents().arrange(arrangeStyle);
    if (!why.isEmpty())
        sendErrorReply(QLatin1StringView(kErrorCommandFailed), why);
}

// ---------------------------------------------------------- ApplicationObject

ApplicationObject::ApplicationObject(HostWindow &host, KeyTyper &keys, Journal &journal, QDBusConnection bus,
                                     QObject *parent)
    : QObject(parent), host_(host), keys_(keys), journal_(journal)
{
    new ApplicationAdaptor(this);
    new PropertyGate(this, bus);
}

bool ApplicationObject::userControl() const
{
    return host_.userControl();
}

void ApplicationObject::setUserControl(bool on)
{
    journal_.event(QStringLiteral("app"), QStringLiteral("UserControl %1").arg(on ? "true" : "false"));
    host_.setUserControl(on);
}

bool ApplicationObject::visible() const
{
    return host_.isVisible();
}

void ApplicationObject::setVisible(bool on)
{
    journal_.event(QStringLiteral("app"), QStringLiteral("Visible %1").arg(on ? "true" : "false"));
    host_.setVisible(on);
}

int ApplicationObject::windowState() const
{
    return windowStateCode(host_.windowState());
}

void ApplicationObject::setWindowState(int state)
{
    journal_.event(QStringLiteral("app"), QStringLiteral("WindowState %1").arg(state));
    const QString why = host_.setMainWindowState(state);
    if (!why.isEmpty()) {
        journal_.event(QStringLiteral("app"), QStringLiteral("refused: ") + why);
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs, why);
    }
}

void ApplicationObject::Activate()
{
    journal_.event(QStringLiteral("app"), QStringLiteral("Activate"));
    host_.activateHost();
}

void ApplicationObject::SendKeys(const QString &keys)
{
    journal_.event(QStringLiteral("app"), QStringLiteral("SendKeys %1").arg(keys));
    const bool fromBus = calledFromDBus();
    const QDBusMessage call = fromBus ? message() : QDBusMessage();
    QDBusConnection bus = fromBus ? connection() : QDBusConnection(QString());
    Journal *journal = &journal_;
    const QString why = keys_.type(keys, [fromBus, call, bus, journal](const QString &error) mutable {
        if (!error.isEmpty())
            journal->event(QStringLiteral("app"), QStringLiteral("SendKeys cut short: ") + error);
        if (fromBus)
            bus.send(error.isEmpty() ? call.createReply()
                                     : call.createErrorReply(QLatin1StringView(kErrorCommandFailed), error));
    });
    if (!why.isEmpty()) {
        journal_.event(QStringLiteral("app"), QStringLiteral("refused: ") + why);
        if (fromBus)
            sendErrorReply(QLatin1StringView(kErrorCommandFailed), why);
        return;
    }
    // Typing goes on from the event loop; the reply waits for its last key.
    if (fromBus)
        setDelayedReply(true);
}

} // namespace zep
