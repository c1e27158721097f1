#pragma once
// The host's document windows as the bus sees them: ids counted up from 1 in
// creation order and never reused, window states by the contract's numbers,
// the two arrangements, and the mark that takes a closing window off the list
// at once, whatever its deferred deletion does. GUI thread only.

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <optional>

class QMdiArea;
class QMdiSubWindow;

namespace zep {

// Window states by the contract's numbers: 1 normal, 2 minimised, 3 maximised
// (maximised wins over minimised).
int windowStateCode(Qt::WindowStates states);
std::optional<Qt::WindowState> windowStateFromCode(int code);
// Why a number is no window state.
QString badWindowState(int code);

// Cascade. Qt's own cascade shrinks every window with the count (to 284 x 230
// and less), below what a 3-D view can use. Here each window keeps at least
// 480 x 360 or 60 % of the area, whichever is more (the whole area when it is
// smaller), and is as large as the offsets allow; the offsets start over at
// the top left when the next would push a window out of the area.
QList<QRect> cascadeGeometry(QSize area, int count, int step);

class DocumentWindows : public QObject {
    Q_OBJECT
public:
    explicit DocumentWindows(QMdiArea *area);

    QMdiArea *area() const { return area_; }

    QMdiSubWindow *add(QWidget *content, const QString &caption);
    // In creation order, without the windows that are closing.
    QList<QMdiSubWindow *> list() const;
    bool contains(QMdiSubWindow *window) const;
    quint32 id(QMdiSubWindow *window) const;

    // Empty text on success, else why nothing changed.
    QString setState(QMdiSubWindow *window, int state);
    void close(QMdiSubWindow *window);
    QString arrange(int style);
    void tile();
    void cascade();

signals:
    // Right after a window was made, before anyone could see it.
    void added(QMdiSubWindow *window);
    // The window is off the list from now on.
    void closing(QMdiSubWindow *window);

private:
    QMdiArea *area_;
    quint32 nextId_ = 1;
};

} // namespace zep
