#include "toolbar/selectors.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace velmora::toolbar {

namespace {

class PickOnly : public QObject {
public:
    explicit PickOnly(QComboBox *combo) : QObject(combo), combo_(combo) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Wheel:
            if (!combo_->hasFocus())
                return true;
            break;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            // Enter in the field would pick the entry whose name was typed.
            if (watched == combo_->lineEdit() && (key == Qt::Key_Return || key == Qt::Key_Enter))
                return true;
            break;
        }
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QComboBox *combo_;
};

} // namespace

QComboBox *MakeSelector(QWidget *parent, int x, const QString &designText)
{
    auto *combo = new QComboBox(parent);
    combo->setEditable(true);
    // Typed text neither grows the list nor completes to an entry.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    // The wheel alone must not take the focus (and with it the right to pick).
    combo->setFocusPolicy(Qt::StrongFocus);
    combo->setGeometry(x, 4, 137, 21);
    combo->setEditText(designText);

    auto *filter = new PickOnly(combo);
    combo->installEventFilter(filter);
    combo->lineEdit()->installEventFilter(filter);

    QLineEdit *field = combo->lineEdit();
    const auto showStart = [field] { field->setCursorPosition(0); };
    QObject::connect(combo, &QComboBox::currentIndexChanged, field, showStart);
    QObject::connect(combo, &QComboBox::activated, field, showStart);
    return combo;
}

} // namespace velmora::toolbar
