#include "standin/app/keytyper.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace zep {

namespace {

// Short enough that painting and signals never wait noticeably on typing.
constexpr qint64 kSliceMs = 5;

} // namespace

KeyTyper::KeyTyper(QMainWindow &window, QObject *parent) : QObject(parent), window_(window)
{
    slice_.setSingleShot(true);
    connect(&slice_, &QTimer::timeout, this, &KeyTyper::typeSome);
}

KeyTyper::~KeyTyper()
{
    stop(QStringLiteral("the host stopped before the keys were typed"));
}

QString KeyTyper::read(const QString &keys, QList<Key> *out)
{
    if (keys.isEmpty())
        return QStringLiteral("no keys to type");
    if (keys.size() > kMaxKeys)
        return QStringLiteral("keys too long (%1 characters, at most %2)").arg(keys.size()).arg(kMaxKeys);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        bool alt = false;
        if (keys.at(i) == u'%') {
            alt = true;
            if (++i == keys.size())
                return QStringLiteral("\"%\" must be followed by the key to press with Alt");
        }
        const QChar c = keys.at(i);
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return QStringLiteral("key %1 at position %2 cannot be typed (printable ASCII only)")
                .arg(int(c.unicode()))
                .arg(i + 1);
        out->append({alt, c});
    }
    return {};
}

QString KeyTyper::type(const QString &keys, Done done)
{
    QList<Key> sequence;
    const QString why = read(keys, &sequence);
    if (!why.isEmpty())
        return why;
    jobs_.push_back({nextId_++, std::move(sequence), 0, false, std::move(done)});
    if (jobs_.size() == 1)
        slice_.start(0);
    return {};
}

void KeyTyper::stop(const QString &why)
{
    slice_.stop();
    std::deque<Job> ended;
    ended.swap(jobs_);
    armedMenu_.clear();
    for (Job &job : ended)
        job.done(QStringLiteral("%1 (%2 of %3 keys typed)").arg(why).arg(job.next).arg(job.keys.size()));
}

qint64 KeyTyper::pauseBefore(const Job &job) const
{
    // A list gathers keys that come within the keyboard input interval into
    // one type-ahead word and rescans all of it on every key. Keys typed by
    // the host never pause, so without this the word ran on from call to
    // call and every key cost more than the last; a call that starts in a
    // list begins a new word, as a person's would.
    const Key &first = job.keys.constFirst();
    if (first.alt || armedMenu_ || !lastListKey_.isValid()
        || !qobject_cast<QAbstractItemView *>(QApplication::focusWidget()))
        return 0;
    return std::max<qint64>(0, QApplication::keyboardInputInterval() + 1 - lastListKey_.elapsed());
}

void KeyTyper::typeSome()
{
    if (jobs_.empty())
        return;
    Job &job = jobs_.front();
    const quint64 id = job.id;
    if (!job.started) {
        job.started = true;
        if (const qint64 wait = pauseBefore(job); wait > 0) {
            slice_.start(int(wait));
            return;
        }
    }
    QElapsedTimer spent;
    spent.start();
    while (job.next < job.keys.size()) {
        const Key key = job.keys.at(job.next++);
        const bool acted = typeKey(key);
        // A key may have run a dialog of its own, in which the host stopped.
        if (jobs_.empty() || jobs_.front().id != id)
            return;
        if (acted)
            return;  // the menu item's own turn starts the next slice
        if (job.next < job.keys.size() && spent.elapsed() >= kSliceMs) {
            slice_.start(0);
            return;
        }
    }
    Done done = std::move(job.done);
    jobs_.pop_front();
    if (!jobs_.empty())
        slice_.start(0);
    done({});
}

bool KeyTyper::typeKey(const Key &key)
{
    QMenuBar *bar = window_.menuBar();
    const QChar upper = key.c.toUpper();
    const int code = upper.isLetterOrNumber() ? upper.unicode() : key.c.unicode();
    const QKeySequence mnemonic(Qt::ALT | Qt::Key(code));
    if (key.alt && bar->isVisible()) {
        // The menu bar answers Alt and a title's underlined letter.
        QAction *title = nullptr;
        for (QAction *action : bar->actions()) {
            if (action->menu() && QKeySequence::mnemonic(action->text()) == mnemonic)
                title = action;
        }
        if (title) {
            bar->setActiveAction(title);
            armedMenu_ = title->menu();
            return false;
        }
    }
    if (!key.alt && armedMenu_) {
        // An open menu takes a plain key as the underlined character of an item.
        QPointer<QMenu> menu = armedMenu_;
        armedMenu_.clear();
        QPointer<QAction> item;
        for (QAction *action : menu->actions()) {
            if (action->isEnabled() && QKeySequence::mnemonic(action->text()) == mnemonic)
                item = action;
        }
        menu->hide();
        if (!item)
            return false;
        // From the event loop, as a click would be: an item that opens a
        // dialog then gets the keys that follow, and the windows and focus it
        // changes are in place before the next key.
        QMetaObject::invokeMethod(
            this,
            [this, item] {
                if (jobs_.empty())
                    return;
                slice_.start(0);
                if (item)
                    item->trigger();
            },
            Qt::QueuedConnection);
        return true;
    }
    armedMenu_.clear();
    QPointer<QWidget> target = QApplication::focusWidget() ? QApplication::focusWidget() : &window_;
    const bool list = qobject_cast<QAbstractItemView *>(target.data());
    const Qt::KeyboardModifiers modifiers = key.alt ? Qt::AltModifier : Qt::NoModifier;
    QKeyEvent press(QEvent::KeyPress, code, modifiers, QString(key.c));
    QKeyEvent release(QEvent::KeyRelease, code, modifiers, QString(key.c));
    QApplication::sendEvent(target, &press);
    if (target)  // the key may have closed its window
        QApplication::sendEvent(target, &release);
    // After the list took the key, so that our pause never ends before its own.
    if (list)
        lastListKey_.start();
    return false;
}

} // namespace zep
