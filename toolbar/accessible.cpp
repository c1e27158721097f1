#include "toolbar/accessible.h"

#include "toolbar/mainfrm.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace velmora::toolbar {

namespace {

// Qt names an editable combo box after its current entry on this platform;
// the selectors are named by what they choose, with the entry as the value.
class NamedSelector : public QAccessibleWidget {
public:
    explicit NamedSelector(QComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}
    QString text(QAccessible::Text t) const override
    {
        const auto *combo = static_cast<const QComboBox *>(widget());
        switch (t) {
        case QAccessible::Name: return combo->accessibleName();
        case QAccessible::Value: return combo->currentText();
        default: return QAccessibleWidget::text(t);
        }
    }
};

QAccessibleInterface *toolbarParts(const QString &key, QObject *object)
{
    if (key == QLatin1String("velmora::toolbar::MainFrm"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    // Asked for as soon as a control exists, so told apart by where it sits.
    if (key == QLatin1String("QComboBox") && object->parent()
        && object->parent()->inherits("velmora::toolbar::MainFrm"))
        return new NamedSelector(static_cast<QComboBox *>(object));
    return nullptr;
}

// The unit label of each row (the eccentricity row has none).
const char *const kUnits[orbit::kElementRows] = {"km", nullptr, "deg", "deg", "deg", "deg"};

} // namespace

void DescribeControls(MainFrm &frm)
{
    static const bool installed = [] {
        QAccessible::installFactory(toolbarParts);
        return true;
    }();
    (void)installed;

    for (auto [combo, name] : {std::pair{frm.OrbitSelect, "Orbit Regime"}, {frm.FrameSelect, "Reference Frame"}}) {
        combo->setAccessibleName(QString::fromLatin1(name));
        combo->lineEdit()->setAccessibleName(QString::fromLatin1(name));
    }

    int unitLabel = 0;
    for (int i = 0; i < orbit::kElementRows; ++i) {
        QLabel *label = frm.ElementLabel[i];
        const QString caption = label->text();
        QScrollBar *bar = frm.ElementScroll[i]->scrollBar();
        label->setBuddy(bar);
        bar->setAccessibleName(caption);
        bar->setAccessibleDescription(label->toolTip());
        QLineEdit *box = frm.ElementValue[i];
        box->setAccessibleDescription(label->toolTip());
        if (kUnits[i]) {
            box->setAccessibleName(QStringLiteral("%1 (%2)").arg(caption, QString::fromLatin1(kUnits[i])));
            frm.Label1[unitLabel++]->setBuddy(box);
        } else {
            box->setAccessibleName(caption);
        }
    }
    frm.ElementLabel[6]->setBuddy(frm.OrbitPeriod);
    frm.OrbitPeriod->setAccessibleName(frm.ElementLabel[6]->text());
    frm.OrbitPeriod->setAccessibleDescription(frm.ElementLabel[6]->toolTip());
    frm.setAccessibleName(frm.windowTitle());
}

} // namespace velmora::toolbar
