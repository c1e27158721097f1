// The frame switch and the geometry aids on a started toolbar, as the host
// sees them.
#include "tests/toolbar/toolbarfixture.h"

#include <QCheckBox>

#include <algorithm>
#include <utility>

using namespace velmora;
using velmora::testing::golden::geometryAids;
using velmora::testing::golden::hideAxes;
using velmora::testing::golden::kNextFrame;
using velmora::testing::golden::showAxes;
using velmora::testing::StateUpdate;
using velmora::testing::Toolbar;

namespace {

// The rows the aids act on, by name.
constexpr int kEcc = orbit::rowIndex(orbit::Row::Eccentricity);
constexpr int kPerigee = orbit::rowIndex(orbit::Row::ArgumentOfPerigee);
constexpr int kNode = orbit::rowIndex(orbit::Row::RAAN);

const QStringList kInertialPair{showAxes("Inertial"), hideAxes("Fixed")};
const QStringList kFixedPair{showAxes("Fixed"), hideAxes("Inertial")};
const QStringList kBothHidden{hideAxes("Inertial"), hideAxes("Fixed")};

QStringList update(const QString &e)
{
    return StateUpdate("6582000", e, "0", "0", "0", "0");
}

} // namespace

class TstAidsFrameAndGeometry : public QObject {
    Q_OBJECT
private slots:
    void framePicks()
    {
        Toolbar t;
        QComboBox *frame = t.w->FrameSelect;

        Toolbar::pick(frame, 1);
        QCOMPARE(t.take(), kFixedPair + QStringList{kNextFrame});
        QCOMPARE(t.w->state().ShownFrameIndex, qint16(1));

        Toolbar::pick(frame, 1);
        QCOMPARE(t.take(), kFixedPair);
        QCOMPARE(t.w->state().ShownFrameIndex, qint16(1));

        Toolbar::pick(frame, 0);
        QCOMPARE(t.take(), kInertialPair + QStringList{kNextFrame});
        QCOMPARE(t.w->state().ShownFrameIndex, qint16(0));

        // A step the host refuses still moves the record: the host's view is
        // taken to have followed.
        t.fake.failing.insert(kNextFrame);
        t.fake.commands.clear();
        t.w->ElementScroll[orbit::rowIndex(orbit::Row::Inclination)]->SetValue(1);   // a command goes through first
        t.take();
        Toolbar::pick(frame, 1);
        QCOMPARE(t.take(), kFixedPair + QStringList{kNextFrame});
        QCOMPARE(t.w->state().ShownFrameIndex, qint16(1));
        QVERIFY(t.notice.messages.isEmpty());
    }

    void typingIntoFrameSelectSendsNothing()
    {
        Toolbar t;
        QComboBox *frame = t.w->FrameSelect;
        QLineEdit *field = frame->lineEdit();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("Earth Fixed"));
        QCOMPARE(frame->currentText(), QStringLiteral("Earth Fixed"));
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, QStringLiteral("Sun Fixed"));
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(t.fake.commands.isEmpty());
        QCOMPARE(frame->count(), 2);   // typed text is not added to the list
        QCOMPARE(toolbar::MainFrm::SelectedIndex(frame), -1);
        QCOMPARE(t.w->state().ShownFrameIndex, qint16(0));

        // Typing in OrbitSelect changes no preset either.
        QLineEdit *orbit = t.w->OrbitSelect->lineEdit();
        orbit->selectAll();
        QTest::keyClicks(orbit, QStringLiteral("Low"));
        QVERIFY(t.fake.commands.isEmpty());
        QCOMPARE(t.w->ElementScroll[orbit::rowIndex(orbit::Row::SemimajorAxis)]->Max(), 50000);
    }

    void noEntrySelected_data()
    {
        QTest::addColumn<int>("picked");   // the frame picked before typing

        QTest::newRow("view shows the inertial frame") << 0;
        QTest::newRow("view shows the fixed frame") << 1;
    }

    void noEntrySelected()
    {
        QFETCH(int, picked);

        Toolbar t;
        QTest::mouseClick(t.w->Help, Qt::LeftButton);
        t.take();
        // A pick while the aids are on shows that frame's axes at once.
        Toolbar::pick(t.w->FrameSelect, picked);
        QCOMPARE(t.take(), picked ? kFixedPair + QStringList{kNextFrame} : kInertialPair);
        QLineEdit *field = t.w->FrameSelect->lineEdit();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("xyz"));
        QCOMPARE(toolbar::MainFrm::SelectedIndex(t.w->FrameSelect), -1);

        QTest::mouseClick(t.w->Help, Qt::LeftButton);   // off: the frame handling runs without a pick
        // The axes of the frame shown, no step, then the aids off.
        QCOMPARE(t.take(), (picked ? kFixedPair : kInertialPair) + geometryAids("Modify", "Off"));
        QCOMPARE(int(t.w->state().ShownFrameIndex), picked);

        // A real pick afterwards steps only when it differs from what is shown.
        Toolbar::pick(t.w->FrameSelect, 1 - picked);
        QCOMPARE(t.take(), (picked ? kInertialPair : kFixedPair) + QStringList{kNextFrame});
        QCOMPARE(int(t.w->state().ShownFrameIndex), 1 - picked);
    }

    void helpTickUntickTick()
    {
        Toolbar t;
        toolbar::MainFrm &w = *t.w;
        const QString tip = QStringLiteral("Angles Limited to 180 deg for readability.");

        QTest::mouseClick(w.Help, Qt::LeftButton);
        QVERIFY(w.Help->isChecked());
        // Eccentricity 0 is raised to the floor through the box's own handling.
        QCOMPARE(t.take(), kBothHidden + geometryAids("Add", "On") + update("0.001"));
        QCOMPARE(w.ElementValue[kEcc]->text(), QStringLiteral("0.001"));
        QCOMPARE(w.ElementScroll[kEcc]->Value(), 1);
        for (int i : {kPerigee, kNode}) {
            QCOMPARE(w.ElementScroll[i]->Max(), 1800);
            QCOMPARE(w.ElementScroll[i]->Min(), 0);
            QCOMPARE(w.ElementScroll[i]->ToolTipText(), tip);
            QCOMPARE(w.ElementValue[i]->toolTip(), tip);
        }
        QVERIFY(!w.state().GeometryAidsFirstUse);

        QTest::mouseClick(w.Help, Qt::LeftButton);
        QVERIFY(!w.Help->isChecked());
        QCOMPARE(t.take(), kInertialPair + geometryAids("Modify", "Off"));
        for (int i : {kPerigee, kNode}) {
            QCOMPARE(w.ElementScroll[i]->Max(), 3600);
            QCOMPARE(w.ElementScroll[i]->Min(), 0);
            QVERIFY(w.ElementScroll[i]->ToolTipText().isEmpty());
            QVERIFY(w.ElementValue[i]->toolTip().isEmpty());
        }

        QTest::mouseClick(w.Help, Qt::LeftButton);
        QCOMPARE(t.take(), kBothHidden + geometryAids("Modify", "On"));
        QCOMPARE(w.ElementScroll[kPerigee]->Max(), 1800);
        QCOMPARE(w.ElementScroll[kNode]->ToolTipText(), tip);
    }

    void helpNeverEditsTheOrbit_data()
    {
        QTest::addColumn<int>("perigee");   // degrees
        QTest::addColumn<int>("node");
        for (int angle : {0, 90, 180, 270, 300})
            QTest::addRow("both %d", angle) << angle << angle;
        QTest::newRow("perigee 270, node 300") << 270 << 300;
        QTest::newRow("perigee 90, node 300") << 90 << 300;
    }

    void helpNeverEditsTheOrbit()
    {
        // The half-turn limit is a display switch: angles beyond it keep their
        // values (red, thumb at the end) and nothing is sent for them.
        QFETCH(int, perigee);
        QFETCH(int, node);
        Toolbar t;
        toolbar::MainFrm &w = *t.w;
        w.ElementValue[kEcc]->setText(QStringLiteral("0.5"));
        w.ElementValue[kPerigee]->setText(QString::number(perigee));
        w.ElementValue[kNode]->setText(QString::number(node));
        const orbit::OrbitElements before = w.state().Elements;
        t.take();

        QTest::mouseClick(w.Help, Qt::LeftButton);
        QCOMPARE(t.take(), kBothHidden + geometryAids("Add", "On"));
        for (auto [row, angle] : {std::pair{kPerigee, perigee}, std::pair{kNode, node}}) {
            QCOMPARE(w.ElementValue[row]->text(), QString::number(angle));
            QCOMPARE(w.ElementScroll[row]->Value(), std::min(angle * 10, 1800));
            QVERIFY(angle > 180 ? t.red(row) : t.black(row));
        }

        QTest::mouseClick(w.Help, Qt::LeftButton);
        QCOMPARE(t.take(), kInertialPair + geometryAids("Modify", "Off"));
        for (auto [row, angle] : {std::pair{kPerigee, perigee}, std::pair{kNode, node}}) {
            QCOMPARE(w.ElementScroll[row]->Value(), angle * 10);
            QVERIFY(t.black(row));
        }
        QCOMPARE(w.state().Elements.ArgumentOfPerigee, before.ArgumentOfPerigee);
        QCOMPARE(w.state().Elements.RAAN, before.RAAN);
    }

    void helpLimitsTypedAngles()
    {
        Toolbar t;
        toolbar::MainFrm &w = *t.w;
        QTest::mouseClick(w.Help, Qt::LeftButton);
        w.ElementValue[kPerigee]->setText(QStringLiteral("200"));
        QVERIFY(t.red(kPerigee));
        QCOMPARE(w.ElementScroll[kPerigee]->Value(), 0);
        w.ElementValue[kPerigee]->setText(QStringLiteral("170"));
        QVERIFY(t.black(kPerigee));
        QCOMPARE(w.ElementScroll[kPerigee]->Value(), 1700);
    }

    void helpKeepsAPresetsMinimum()
    {
        // The elliptical preset's argument of perigee (250 to 290 deg) lies above
        // the aids' limit: both limits read back as written, the position stays
        // between them, and switching the aids off gives the preset's range
        // and the thumb's place back.
        Toolbar t;
        toolbar::MainFrm &w = *t.w;
        Toolbar::pick(w.OrbitSelect, 3);
        QTest::mouseClick(w.Help, Qt::LeftButton);
        QCOMPARE(w.ElementScroll[kPerigee]->Min(), 2500);
        QCOMPARE(w.ElementScroll[kPerigee]->Max(), 1800);
        QCOMPARE(w.ElementScroll[kPerigee]->Value(), 2500);
        QCOMPARE(w.state().Elements.ArgumentOfPerigee, 270.0f);
        QTest::mouseClick(w.Help, Qt::LeftButton);
        QCOMPARE(w.ElementScroll[kPerigee]->Min(), 2500);
        QCOMPARE(w.ElementScroll[kPerigee]->Max(), 3600);
        QCOMPARE(w.ElementScroll[kPerigee]->Value(), 2700);
    }

    void eccentricityFloor_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("after");

        QTest::newRow("0 is raised") << "0" << "0.001";
        QTest::newRow("0.001 stays") << "0.001" << "0.001";
        QTest::newRow("0.25 stays") << "0.25" << "0.25";
        QTest::newRow("0.0009 is raised") << "0.0009" << "0.001";
        QTest::newRow("a negative number is raised") << "-0.5" << "0.001";
        QTest::newRow("letters stay") << "abc" << "abc";
        QTest::newRow("an empty box stays") << "" << "";
        QTest::newRow("a lone point stays") << "." << ".";
    }

    void eccentricityFloor()
    {
        QFETCH(QString, text);
        QFETCH(QString, after);

        for (bool tickFirst : {true, false}) {
            Toolbar t;
            if (!tickFirst) {
                QTest::mouseClick(t.w->Help, Qt::LeftButton);
            }
            QLineEdit *box = t.w->ElementValue[kEcc];
            box->setText(QStringLiteral("0.25"));   // so that every text below is a change
            box->setText(text);
            const float e = t.w->state().Elements.Eccentricity;
            t.take();
            QTest::mouseClick(t.w->Help, Qt::LeftButton);
            QCOMPARE(box->text(), after);
            QStringList sent = t.take();
            QCOMPARE(sent.size(), (after != text ? 3 : 0) + 2 + 13);
            if (after != text) {
                QCOMPARE(sent.mid(15), update("0.001"));
                QCOMPARE(t.w->state().Elements.Eccentricity, 0.001f);
                QCOMPARE(t.w->ElementScroll[kEcc]->Value(), 1);
            } else {
                QCOMPARE(t.w->state().Elements.Eccentricity, e);
            }
        }
    }
};

QTEST_MAIN(TstAidsFrameAndGeometry)
#include "tst_aids.moc"
