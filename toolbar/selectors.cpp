#include "toolbar/selectors.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>

namespace velmora::toolbar {

namespace {

// The wheel over a list without the keyboard focus goes nowhere.
class WheelOnlyWithFocus : public QObject {
public:
    explicit WheelOnlyWithFocus(QComboBox *combo) : QObject(combo), combo_(combo) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Wheel && !combo_->hasFocus())
            return true;
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

    combo->installEventFilter(new WheelOnlyWithFocus(combo));

    // The combo box picks the entry whose name was typed when its field is
    // done with, by Enter (whichever widget the platform gave it to) or by
    // leaving it. Typing is not a choice: the field keeps only its text.
    QLineEdit *field = combo->lineEdit();
    QObject::disconnect(field, &QLineEdit::editingFinished, combo, nullptr);
    QObject::disconnect(field, &QLineEdit::returnPressed, combo, nullptr);

    const auto showStart = [field] { field->setCursorPosition(0); };
    QObject::connect(combo, &QComboBox::currentIndexChanged, field, showStart);
    QObject::connect(combo, &QComboBox::activated, field, showStart);
    return combo;
}

} // namespace velmora::toolbar
