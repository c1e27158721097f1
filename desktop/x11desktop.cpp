#include "desktop/x11desktop.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QGuiApplication>

#include <cerrno>
#include <vector>

#include <poll.h>

// After Qt: the X11 headers define None, Bool, Status and friends as macros.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace velmora::desktop {

namespace {

// Qt's own display is only borrowed; one opened here closes with its last user.
using SharedDisplay = std::shared_ptr<Display>;

class XTestKeySender : public KeySender {
public:
    explicit XTestKeySender(SharedDisplay display) : shared_(std::move(display)), display_(shared_.get()) {}

    bool typeKeys(const QString &keys) override
    {
        const auto strokes = parseKeySequence(keys);
        if (!strokes)
            return false;
        // Resolve every key first so that a sequence is typed whole or not at all.
        struct Resolved {
            KeyCode key;
            QList<KeyCode> held;
        };
        QList<Resolved> plan;
        for (const KeyStroke &s : *strokes) {
            const KeySym sym = keysymFor(s.key);
            const KeyCode code = XKeysymToKeycode(display_, sym);
            if (code == 0)
                return false;
            QList<KeyCode> held;
            const bool shifted = XkbKeycodeToKeysym(display_, code, 0, 0) != sym;
            for (const auto &[wanted, modifier] : {std::pair{s.alt, KeySym(XK_Alt_L)},
                                                   {s.control, KeySym(XK_Control_L)},
                                                   {s.shift || shifted, KeySym(XK_Shift_L)}}) {
                if (!wanted)
                    continue;
                const KeyCode m = XKeysymToKeycode(display_, modifier);
                if (m == 0)
                    return false;
                held.append(m);
            }
            plan.append({code, held});
        }
        for (const Resolved &r : plan) {
            for (KeyCode m : r.held)
                XTestFakeKeyEvent(display_, m, True, CurrentTime);
            XTestFakeKeyEvent(display_, r.key, True, CurrentTime);
            XTestFakeKeyEvent(display_, r.key, False, CurrentTime);
            for (auto m = r.held.crbegin(); m != r.held.crend(); ++m)
                XTestFakeKeyEvent(display_, *m, False, CurrentTime);
        }
        XFlush(display_);
        return true;
    }

private:
    static KeySym keysymFor(QChar c)
    {
        const char16_t u = c.unicode();
        // Latin-1 keysyms are the characters' own codes; the rest are offset.
        if ((u >= 0x20 && u <= 0x7e) || (u >= 0xa0 && u <= 0xff))
            return KeySym(u);
        return KeySym(0x01000000 | u);
    }

    SharedDisplay shared_;
    Display *display_;
};

// A window that vanishes while it is looked at must not end the program
// through Xlib's default error handler.
int ignoreXError(Display *, XErrorEvent *) { return 0; }

// How often a request to activate is repeated while it has not taken effect.
constexpr int kAskAgainMs = 400;

// On a connection of its own, opened at first use: Qt reads the events of its
// connection itself, and the root window's event mask belongs to a connection.
class XHostWindows : public HostWindows {
public:
    explicit XHostWindows(QByteArray displayName) : displayName_(std::move(displayName)) {}
    ~XHostWindows() override
    {
        if (display_)
            XCloseDisplay(display_);
    }

    bool activateWindowOf(qint64 pid, std::chrono::milliseconds timeout) override
    {
        if (pid <= 0)
            return false;
        if (!display_ && !(display_ = XOpenDisplay(displayName_.isEmpty() ? nullptr : displayName_.constData())))
            return false;
        const XErrorHandler previous = XSetErrorHandler(ignoreXError);
        const bool active = activate(pid, timeout);
        // Nothing of this wait stays queued for the next one.
        XSelectInput(display_, root(), NoEventMask);
        XSync(display_, True);
        XSetErrorHandler(previous);
        return active;
    }

private:
    bool activate(qint64 pid, std::chrono::milliseconds timeout)
    {
        const Window window = topWindowOf(pid);
        if (window == 0)
            return false;
        // Selected before the first look, so no change after it goes unseen.
        XSelectInput(display_, root(), PropertyChangeMask);
        const Atom activeAtom = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
        const QDeadlineTimer deadline(timeout);
        QDeadlineTimer askAgain(0);
        for (;;) {
            const std::vector<unsigned long> active = property(root(), "_NET_ACTIVE_WINDOW", XA_WINDOW);
            if (!active.empty() && active.front() == window)
                return true;
            if (deadline.hasExpired())
                return false;
            // A window manager may drop a request that races with the host's
            // own activation; asking again costs nothing.
            if (askAgain.hasExpired()) {
                requestActivation(window);
                askAgain.setRemainingTime(kAskAgainMs);
            }
            waitForChangeOf(activeAtom, askAgain < deadline ? askAgain : deadline);
        }
    }

    // Blocks on the connection, as the rest of the hand-over blocks on the
    // bus, until the root window's `atom` changes or `until` passes.
    void waitForChangeOf(Atom atom, QDeadlineTimer until)
    {
        for (;;) {
            while (XPending(display_) > 0) {
                XEvent e;
                XNextEvent(display_, &e);
                if (e.type == PropertyNotify && e.xproperty.atom == atom)
                    return;
            }
            const qint64 ms = until.remainingTime();
            if (ms == 0)
                return;
            pollfd ready{ConnectionNumber(display_), POLLIN, 0};
            if (::poll(&ready, 1, int(ms)) < 0 && errno != EINTR)
                return;
        }
    }

    // The topmost managed window that names the process as its owner.
    Window topWindowOf(qint64 pid)
    {
        std::vector<unsigned long> clients = property(root(), "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
        if (clients.empty())
            clients = property(root(), "_NET_CLIENT_LIST", XA_WINDOW);
        for (auto w = clients.crbegin(); w != clients.crend(); ++w) {
            const std::vector<unsigned long> owner = property(Window(*w), "_NET_WM_PID", XA_CARDINAL);
            if (!owner.empty() && qint64(owner.front()) == pid)
                return Window(*w);
        }
        return 0;
    }

    void requestActivation(Window window)
    {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = 2;  // as a pager asks: exempt from focus-stealing prevention
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
        XFlush(display_);
    }

    std::vector<unsigned long> property(Window window, const char *name, Atom type)
    {
        Atom actual = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        const Atom atom = XInternAtom(display_, name, False);
        std::vector<unsigned long> values;
        if (XGetWindowProperty(display_, window, atom, 0, 65536, False, type, &actual, &format, &count, &after,
                               &data) == Success
            && data && actual == type && format == 32) {
            // Xlib hands 32-bit items over as longs.
            const auto *items = reinterpret_cast<const unsigned long *>(data);
            values.assign(items, items + count);
        }
        if (data)
            XFree(data);
        return values;
    }

    Window root() const { return DefaultRootWindow(display_); }

    QByteArray displayName_;
    Display *display_ = nullptr;
};

} // namespace

X11Desktop makeX11Desktop()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return {};
    SharedDisplay display;
    if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>(); x11 && x11->display())
        display = SharedDisplay(x11->display(), [](Display *) {});
    else if (Display *own = XOpenDisplay(nullptr))
        display = SharedDisplay(own, XCloseDisplay);
    if (!display)
        return {};
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display.get(), &event, &error, &major, &minor))
        return {};
    return {std::make_unique<XTestKeySender>(display),
            std::make_unique<XHostWindows>(QByteArray(DisplayString(display.get())))};
}

} // namespace velmora::desktop
