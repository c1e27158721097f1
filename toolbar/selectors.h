#pragma once
// The two selector lists: editable combo boxes on which only a real pick from
// the list counts. The wheel over a list without the keyboard focus and Enter
// after typing do nothing, so a stray notch or a typed name never replaces a
// tuned orbit; after every pick the field shows the start of the entry.

#include <QString>

class QComboBox;
class QWidget;

namespace velmora::toolbar {

QComboBox *MakeSelector(QWidget *parent, int x, const QString &designText);

} // namespace velmora::toolbar
