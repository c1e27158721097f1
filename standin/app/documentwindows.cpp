#include "standin/app/documentwindows.h"

#include "contract/zepcontract.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>

namespace zep {

namespace {

const char kIdProperty[] = "zepWindowId";
const char kClosingProperty[] = "zepClosing";

using velmora::contract::ArrangeStyle;
using velmora::contract::WindowState;

} // namespace

int windowStateCode(Qt::WindowStates states)
{
    if (states & Qt::WindowMaximized)
        return int(WindowState::Maximised);
    if (states & Qt::WindowMinimized)
        return int(WindowState::Minimised);
    return int(WindowState::Normal);
}

std::optional<Qt::WindowState> windowStateFromCode(int code)
{
    switch (WindowState(code)) {
    case WindowState::Normal: return Qt::WindowNoState;
    case WindowState::Minimised: return Qt::WindowMinimized;
    case WindowState::Maximised: return Qt::WindowMaximized;
    }
    return std::nullopt;
}

QString badWindowState(int code)
{
    return QStringLiteral("window state %1 is not 1 (normal), 2 (minimised) or 3 (maximised)").arg(code);
}

QList<QRect> cascadeGeometry(QSize area, int count, int step)
{
    QList<QRect> out;
    if (count <= 0 || area.isEmpty())
        return out;
    const QSize least = QSize(480, 360).expandedTo(area * 0.6).boundedTo(area);
    const QSize size = (area - QSize(step, step) * (count - 1)).expandedTo(least).boundedTo(area);
    const QSize spare = area - size;
    const int positions = step > 0 ? std::min(spare.width(), spare.height()) / step + 1 : 1;
    for (int k = 0; k < count; ++k) {
        const int offset = (k % positions) * step;
        out.append(QRect(QPoint(offset, offset), size));
    }
    return out;
}

DocumentWindows::DocumentWindows(QMdiArea *area) : QObject(area), area_(area) {}

QMdiSubWindow *DocumentWindows::add(QWidget *content, const QString &caption)
{
    QMdiSubWindow *window = area_->addSubWindow(content);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(caption);
    window->setProperty(kIdProperty, nextId_++);
    emit added(window);
    window->show();
    return window;
}

QList<QMdiSubWindow *> DocumentWindows::list() const
{
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *window : area_->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->property(kClosingProperty).toBool())
            windows.append(window);
    }
    return windows;
}

bool DocumentWindows::contains(QMdiSubWindow *window) const
{
    return window && list().contains(window);
}

quint32 DocumentWindows::id(QMdiSubWindow *window) const
{
    return window ? window->property(kIdProperty).toUInt() : 0;
}

QString DocumentWindows::setState(QMdiSubWindow *window, int state)
{
    const auto wanted = windowStateFromCode(state);
    if (!wanted)
        return badWindowState(state);
    switch (*wanted) {
    case Qt::WindowMinimized: window->showMinimized(); break;
    case Qt::WindowMaximized: window->showMaximized(); break;
    default: window->showNormal(); break;
    }
    return {};
}

void DocumentWindows::close(QMdiSubWindow *window)
{
    window->setProperty(kClosingProperty, true);
    emit closing(window);
    window->close();
}

QString DocumentWindows::arrange(int style)
{
    switch (ArrangeStyle(style)) {
    case ArrangeStyle::Cascade: cascade(); return {};
    case ArrangeStyle::TiledSideBySide: tile(); return {};
    }
    return QStringLiteral("arrange style %1 is not 1 (cascade) or 2 (tiled side by side)").arg(style);
}

void DocumentWindows::tile()
{
    area_->tileSubWindows();
}

void DocumentWindows::cascade()
{
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *w : area_->subWindowList(QMdiArea::StackingOrder))
        if (w->isVisible() && !w->isMinimized())
            windows.append(w);
    if (windows.isEmpty())
        return;
    const int step = area_->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.first()) + 4;
    const QList<QRect> places = cascadeGeometry(area_->viewport()->size(), int(windows.size()), step);
    // Bottom of the stack first: the active window ends on top, as before.
    for (qsizetype k = 0; k < windows.size(); ++k) {
        if (windows[k]->isMaximized())
            windows[k]->showNormal();
        windows[k]->setGeometry(places[k]);
        windows[k]->raise();
    }
}

} // namespace zep
