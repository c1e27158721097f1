#include "toolbar/desktopnotice.h"

#include <QMessageBox>

#include <cstdlib>

namespace velmora::toolbar {

void DesktopNotice::showWarning(const QString &title, const QString &text)
{
    // Owned by the toolbar, the window manager keeps the box above it; on
    // top itself, it also stays above the toolbar's always-on-top layer.
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok,
                    owner_ && owner_->isVisible() ? owner_.data() : nullptr);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    box.raise();
    box.activateWindow();
    box.exec();
}

void DesktopNotice::endProgram()
{
    std::_Exit(EXIT_FAILURE);
}

} // namespace velmora::toolbar
