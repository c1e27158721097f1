#pragma once
// The desktop's side of the link's fatal path: a warning box stacked above
// the always-on-top toolbar (and its splash) with the keyboard focus, then the
// process ends at once, so nothing of the toolbar runs after it.

#include "host/hostlink.h"

#include <QPointer>
#include <QWidget>

namespace velmora::toolbar {

class DesktopNotice : public host::UserNotice {
public:
    // The window the boxes belong to and must stay above.
    void setOwner(QWidget *owner) { owner_ = owner; }
    void showWarning(const QString &title, const QString &text) override;
    [[noreturn]] void endProgram() override;

private:
    QPointer<QWidget> owner_;
};

} // namespace velmora::toolbar
