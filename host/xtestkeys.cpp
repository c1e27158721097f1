#include "host/xtestkeys.h"

#include <QGuiApplication>

// After Qt: the X11 headers define None, Bool, Status and friends as macros.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace velmora::host {

namespace {

class XTestKeySender : public KeySender {
public:
    // `owned` is closed with the sender; Qt's own display is only borrowed.
    XTestKeySender(Display *display, bool owned) : display_(display), owned_(owned) {}
    ~XTestKeySender() override
    {
        if (owned_)
            XCloseDisplay(display_);
    }
    XTestKeySender(const XTestKeySender &) = delete;
    XTestKeySender &operator=(const XTestKeySender &) = delete;

    bool TypeKeys(const QString &keys) override
    {
        const auto strokes = ParseKeySequence(keys);
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

    Display *display_;
    bool owned_;
};

} // namespace

std::unique_ptr<KeySender> MakeXTestKeySender()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    Display *display = nullptr;
    bool owned = false;
    if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        display = x11->display();
    if (!display) {
        display = XOpenDisplay(nullptr);
        owned = true;
    }
    if (!display)
        return nullptr;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        if (owned)
            XCloseDisplay(display);
        return nullptr;
    }
    return std::make_unique<XTestKeySender>(display, owned);
}

} // namespace velmora::host
