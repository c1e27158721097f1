#pragma once
// A fresh toolbar on the recording fake host, started up, with helpers that
// spell out the commands the toolbar is expected to send.

#include "host/handover.h"
#include "host/hostlink.h"
#include "tests/support/contrast.h"
#include "tests/support/fakehost.h"
#include "tests/support/transcript.h"
#include "toolbar/mainfrm.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QtTest>

#include <memory>

namespace velmora::testing {

inline const QString kTimePeriod = QStringLiteral("\"1 Jul 2005 12:00:00.00\" \"4 Jul 2005 12:00:00.00\"");
inline const QString kEpoch = QStringLiteral("1 Jul 2005 12:00:00.00");

// The two queries and the state command of one state update; numbers as the
// host receives them (a in metres).
inline QStringList StateUpdate(const QString &a, const QString &e, const QString &i,
                               const QString &w, const QString &raan, const QString &m)
{
    return {
        QStringLiteral("GetTimePeriod Scenario/Velmora"),
        QStringLiteral("GetEpoch Scenario/Velmora"),
        QStringLiteral("SetState Scenario/Velmora/Satellite/Satellite Classical TwoBody ") + kTimePeriod
            + QStringLiteral(" 60 J2000 \"") + kEpoch + QStringLiteral("\" ")
            + QStringList{a, e, i, w, raan, m}.join(u' '),
    };
}

inline QStringList ColourChange(const QString &colour)
{
    return {
        QStringLiteral("Graphics Scenario/Velmora/Satellite/Satellite SetAttrType Basic"),
        QStringLiteral("Graphics Scenario/Velmora/Satellite/Satellite Basic Color ") + colour,
    };
}

struct Toolbar {
    FakeHost fake;
    RecordingNotice notice;
    host::HostLink link{fake, notice};
    QStringList typed;
    std::unique_ptr<toolbar::MainFrm> w;

    // Builds the window; `load` runs the start-up and forgets its commands.
    explicit Toolbar(bool load = true)
    {
        w = std::make_unique<toolbar::MainFrm>(link, std::make_unique<RecordingKeys>(typed));
        if (load) {
            w->Load();
            fake.commands.clear();
            fake.log.clear();
        }
    }

    QStringList take()
    {
        QStringList sent = fake.commands;
        fake.commands.clear();
        return sent;
    }

    // A pick from a selector's list, as the user makes it.
    static void pick(QComboBox *combo, int index)
    {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    // Empties a box the way the user does: select all, delete.
    void empty(int row)
    {
        QLineEdit *box = w->ElementValue[row];
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
    }

    // Out of range: a red of its own that reads on the box's field.
    bool red(int row) const
    {
        const QPalette palette = w->ElementValue[row]->palette();
        const QColor text = palette.color(QPalette::Text);
        return text.hueF() == 0 && text.saturationF() > 0.5 && text != w->palette().color(QPalette::Text)
            && ContrastRatio(text, palette.color(QPalette::Base)) >= 4.5;
    }
    // In range: the theme's own text colour.
    bool black(int row) const
    {
        return w->ElementValue[row]->palette().color(QPalette::Text) == w->palette().color(QPalette::Text);
    }
};

} // namespace velmora::testing
