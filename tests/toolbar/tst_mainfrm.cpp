// The toolbar window on the recording fake host: its design, the start-up,
// the element editing and the presets, as the host sees them.
#include "tests/toolbar/toolbarfixture.h"

#include "orbit/numbers.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <map>

using namespace velmora;
using velmora::testing::ColourChange;
namespace golden = velmora::testing::golden;
using velmora::testing::StateUpdate;
using velmora::testing::Toolbar;

namespace {

const QStringList kStartFields{"6582000", "0", "0", "0", "0", "0"};

// The start fields with some replaced: {column, text}.
QStringList fields(std::initializer_list<std::pair<int, const char *>> changes,
                   QStringList base = kStartFields)
{
    for (const auto &[column, text] : changes)
        base[column] = QString::fromLatin1(text);
    return base;
}

QStringList update(const QStringList &f)
{
    return StateUpdate(f[0], f[1], f[2], f[3], f[4], f[5]);
}

// The controls by their design names, "Help" or "ElementValue(2)".
std::map<QString, QWidget *> controls(toolbar::MainFrm &w)
{
    std::map<QString, QWidget *> all{{"OrbitSelect", w.OrbitSelect}, {"FrameSelect", w.FrameSelect},
                                     {"OrbitPeriod", w.OrbitPeriod}, {"Splash", w.Splash},
                                     {"Help", w.Help}, {"CloseOT", w.CloseOT}};
    const auto add = [&](const char *array, const auto &controls) {
        for (size_t i = 0; i < controls.size(); ++i)
            all[QString::fromLatin1(array).arg(i)] = controls[i];
    };
    add("ElementLabel(%1)", w.ElementLabel);
    for (size_t i = 0; i < w.ElementScroll.size(); ++i)
        all[QStringLiteral("ElementScroll(%1)").arg(i)] = w.ElementScroll[i]->scrollBar();
    add("ElementValue(%1)", w.ElementValue);
    add("Label1(%1)", w.Label1);
    return all;
}

QWidget *control(toolbar::MainFrm &w, const QString &name)
{
    const auto all = controls(w);
    const auto found = all.find(name);
    return found == all.end() ? nullptr : found->second;
}

// A widget of the window by its design name, else by its class.
QString nameOf(toolbar::MainFrm &w, const QWidget *c)
{
    for (const auto &[name, widget] : controls(w))
        if (widget == c)
            return name;
    return QString::fromLatin1(c->metaObject()->className());
}

} // namespace

class TstToolbarMainFrm : public QObject {
    Q_OBJECT
private slots:
    void window()
    {
        Toolbar t(false);
        toolbar::MainFrm &w = *t.w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Velmora Toolbar"));
        const Qt::WindowFlags flags = w.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(w.minimumSize(), QSize(293, 183));
        QCOMPARE(w.maximumSize(), QSize(293, 183));
        QCOMPARE(w.size(), QSize(293, 183));
        QVERIFY(!w.windowIcon().isNull());
        QCOMPARE(w.windowIcon().availableSizes().value(0), QSize(48, 48));
        const QRect screen = w.screen()->availableGeometry();
        QVERIFY(qAbs(w.geometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(w.geometry().center().y() - screen.center().y()) <= 1);
    }

    void texts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");

        QTest::newRow("OrbitSelect") << "OrbitSelect" << "Orbit Regime";
        QTest::newRow("FrameSelect") << "FrameSelect" << "Reference Frame";
        const char *captions[] = {"Semimajor Axis", "Eccentricity", "Inclination", "Argument of Perigee",
                                  "RAAN", "True Anomaly", "Orbit Period"};
        for (int i = 0; i < 7; ++i) {
            const QString name = QStringLiteral("ElementLabel(%1)").arg(i);
            QTest::newRow(qPrintable(name)) << name << captions[i];
        }
        for (const char *array : {"ElementScroll(%1)", "ElementValue(%1)"})
            for (int i = 0; i < 6; ++i) {
                const QString name = QString::fromLatin1(array).arg(i);
                QTest::newRow(qPrintable(name)) << name << QString();
            }
        for (int u = 0; u < 5; ++u) {
            const QString name = QStringLiteral("Label1(%1)").arg(u);
            QTest::newRow(qPrintable(name)) << name << (u ? "deg" : "km");
        }
        QTest::newRow("OrbitPeriod") << "OrbitPeriod" << QString();
        QTest::newRow("Splash") << "Splash" << QString();
        QTest::newRow("Help") << "Help" << "Help";
        QTest::newRow("CloseOT") << "CloseOT" << "Go To ZEP";
    }

    void texts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);

        Toolbar t(false);
        QWidget *c = control(*t.w, name);
        QVERIFY(c);
        QString shown;
        if (auto *label = qobject_cast<QLabel *>(c))
            shown = label->text();
        else if (auto *combo = qobject_cast<QComboBox *>(c))
            shown = combo->currentText();
        else if (auto *button = qobject_cast<QAbstractButton *>(c))
            shown = button->text();
        else if (auto *box = qobject_cast<QLineEdit *>(c))
            shown = box->text();
        QCOMPARE(shown, text);
    }

    void elementRows_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("unit");   // empty: the row has none
        QTest::newRow("Semimajor Axis") << 0 << "km";
        QTest::newRow("Eccentricity") << 1 << "";
        QTest::newRow("Inclination") << 2 << "deg";
        QTest::newRow("Argument of Perigee") << 3 << "deg";
        QTest::newRow("RAAN") << 4 << "deg";
        QTest::newRow("True Anomaly") << 5 << "deg";
    }

    void elementRows()
    {
        QFETCH(int, row);
        QFETCH(QString, unit);

        Toolbar t(false);
        toolbar::MainFrm &w = *t.w;
        const QRect caption = w.ElementLabel[row]->geometry();
        const QRect bar = w.ElementScroll[row]->scrollBar()->geometry();
        const QRect box = w.ElementValue[row]->geometry();
        // In order from the top, 20 px apart; bar and box on one line, the
        // caption 4 px lower; the bar 3 px right of the captions' common edge.
        QCOMPARE(bar.y(), w.ElementScroll[0]->scrollBar()->y() + 20 * row);
        QCOMPARE(box.y(), bar.y());
        QCOMPARE(caption.y(), bar.y() + 4);
        QCOMPARE(bar.x(), toolbar::kLabelRightEdge + 3);
        QVERIFY(box.left() > bar.right());
        // The unit, if any, on the caption's line right of the box.
        QList<QLabel *> units;
        for (QLabel *label : w.Label1)
            if (label->y() == caption.y())
                units << label;
        QCOMPARE(units.size(), unit.isEmpty() ? 0 : 1);
        if (!unit.isEmpty()) {
            QCOMPARE(units.first()->text(), unit);
            QVERIFY(units.first()->x() > box.right());
        }
    }

    void bottomRowBelowTheElements()
    {
        Toolbar t(false);
        toolbar::MainFrm &w = *t.w;
        const int elementsEnd = std::max(w.ElementScroll[5]->scrollBar()->geometry().bottom(),
                                         w.ElementValue[5]->geometry().bottom());
        const QList<QWidget *> row{w.ElementLabel[6], w.OrbitPeriod, w.Help, w.CloseOT};
        for (int k = 0; k < row.size(); ++k) {
            QCOMPARE(row[k]->y(), row[0]->y());
            QVERIFY(row[k]->y() > elementsEnd);
            if (k)
                QVERIFY(row[k]->x() > row[k - 1]->x());
        }
    }

    void listsSideBySideAlongTheTop()
    {
        Toolbar t(false);
        toolbar::MainFrm &w = *t.w;
        const QRect orbit = w.OrbitSelect->geometry(), frame = w.FrameSelect->geometry();
        QCOMPARE(frame.y(), orbit.y());
        QVERIFY(frame.left() > orbit.right());
        for (QWidget *c : w.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (c != w.OrbitSelect && c != w.FrameSelect && c != w.Splash)
                QVERIFY2(c->y() > std::max(orbit.bottom(), frame.bottom()), qPrintable(nameOf(w, c)));
    }

    // Every control but the splash, which covers them all until start-up ends.
    void placement_data()
    {
        QTest::addColumn<QString>("name");
        Toolbar t(false);
        for (QWidget *c : t.w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (c != t.w->Splash)
                QTest::newRow(qPrintable(nameOf(*t.w, c))) << nameOf(*t.w, c);
    }

    void placement()
    {
        QFETCH(QString, name);

        Toolbar t(false);
        toolbar::MainFrm &w = *t.w;
        QWidget *c = control(w, name);
        QVERIFY2(c, "every control has its design name");
        QVERIFY(w.rect().contains(c->geometry()));
        // Neighbours placed edge to edge may share their border column, as
        // Help does with the period value and Go To ZEP.
        const auto inside = [](const QRect &r) { return r.adjusted(0, 0, -1, -1); };
        QStringList overlapped;
        for (QWidget *other : w.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (other != c && other != w.Splash && inside(other->geometry()).intersects(inside(c->geometry())))
                overlapped << nameOf(w, other);
        QCOMPARE(overlapped, QStringList());
    }

    void captionsEndOnTheCommonEdge()
    {
        Toolbar t(false);
        for (QLabel *label : t.w->ElementLabel) {
            QVERIFY(label->alignment().testFlag(Qt::AlignRight));
            QCOMPARE(label->x() + label->width(), toolbar::kLabelRightEdge);
            // The whole caption fits, so its right end is the edge and nothing is cut.
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
        }
        QCOMPARE(t.w->ElementLabel[3]->x(), 0);
        for (QLabel *unit : t.w->Label1)
            QVERIFY(unit->alignment().testFlag(Qt::AlignLeft));
        QVERIFY(t.w->OrbitPeriod->alignment().testFlag(Qt::AlignLeft));
    }

    void tooltips()
    {
        Toolbar t(false);
        const QStringList tips{
            "The semimajor axis is defined as half of the orbits major axis",
            "The eccentricity defines the relative shape of the orbit",
            "The inclination is defined as the angle between the Earth inertial z vector and the satellite orbit angular momentum",
            "The argument of perigee is defined as the angle between the satellite line of nodes and the satellite periapsis",
            "The RAAN is defined as the angle between the vernal equinox and the satellite line of nodes",
            "The true anamaly is defined as the angle between the satellite periapsis and the satellite position",
            "The orbit period is defined as the time required for the satellite to complete one orbit",
        };
        for (int i = 0; i < 7; ++i)
            QCOMPARE(t.w->ElementLabel[i]->toolTip(), tips[i]);
        // No other control has one at first.
        for (QWidget *c : t.w->findChildren<QWidget *>()) {
            if (std::find(t.w->ElementLabel.begin(), t.w->ElementLabel.end(), c) == t.w->ElementLabel.end())
                QVERIFY2(c->toolTip().isEmpty(), qPrintable(c->objectName() + c->toolTip()));
        }
    }

    void scrollDesign()
    {
        Toolbar t(false);
        const int min[] = {6582, 0, 0, 0, 0, 0}, max[] = {50000, 999, 1800, 3600, 3600, 3600};
        for (int row = 0; row < 6; ++row) {
            toolbar::ElementScrollBar *bar = t.w->ElementScroll[row];
            QCOMPARE(bar->Min(), min[row]);
            QCOMPARE(bar->Max(), max[row]);
            QCOMPARE(bar->Value(), min[row]);
            QCOMPARE(bar->scrollBar()->singleStep(), 1);
            QCOMPARE(bar->scrollBar()->pageStep(), row ? 10 : 100);
            QCOMPARE(bar->scrollBar()->orientation(), Qt::Horizontal);
            QVERIFY(bar->Enabled());
            QVERIFY(t.w->ElementValue[row]->text().isEmpty());
        }
    }

    void tabOrder()
    {
        Toolbar t;
        t.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(t.w.get()));
        QStringList chain{"OrbitSelect", "FrameSelect"};
        for (const char *array : {"ElementScroll(%1)", "ElementValue(%1)"})
            for (int i = 0; i < 6; ++i)
                chain << QString::fromLatin1(array).arg(i);
        chain << "Help" << "CloseOT";
        for (int k = 1; k < chain.size(); ++k) {
            control(*t.w, chain[k - 1])->setFocus(Qt::TabFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *reached = QApplication::focusWidget();
            // A combo box's focus sits in its text field.
            if (reached && reached->parentWidget() && qobject_cast<QComboBox *>(reached->parentWidget()))
                reached = reached->parentWidget();
            QVERIFY2(reached == control(*t.w, chain[k]), qPrintable(chain[k - 1] + " -> " + chain[k]));
        }
        QVERIFY(t.fake.commands.isEmpty());
    }

    void splashCoversUntilStartupEnds()
    {
        Toolbar t(false);
        toolbar::MainFrm &w = *t.w;
        QVERIFY(!w.Splash->isHidden());
        QCOMPARE(w.children().last(), w.Splash);   // topmost
        QVERIFY(w.Splash->geometry().contains(w.rect()));
        QCOMPARE(w.Splash->pixmap().size(), QSize(297, 189));
        QVERIFY(QRect(w.Splash->pos(), w.Splash->pixmap().size()).contains(w.rect()));

        int commandsUnderSplash = 0;
        int commandsUncovered = 0;
        t.fake.afterCommand = [&](const QString &) {
            ++(w.Splash->isVisible() ? commandsUnderSplash : commandsUncovered);
        };
        w.Load();
        QCOMPARE(commandsUncovered, 0);
        QCOMPARE(commandsUnderSplash, t.fake.commands.size());
        QVERIFY(w.Splash->isHidden());
        QVERIFY(w.isVisible());

        // Nothing brings it back.
        Toolbar::pick(w.OrbitSelect, 4);
        QTest::mouseClick(w.Help, Qt::LeftButton);
        w.CloseOT_Click();
        QVERIFY(w.Splash->isHidden());
    }

    void startupTranscript()
    {
        Toolbar t(false);
        t.w->Load();

        // The scenario, the host's bars, then the view ("Custom Orbit" moves
        // no bar; the frame pick steps nothing).
        QStringList expected = golden::scenarioPreparation() + golden::barsHidden() + golden::startupView();
        // One state update per row; the first one also paints the satellite white.
        expected += update(kStartFields) + ColourChange("White");
        for (int row = 1; row < 6; ++row)
            expected += update(kStartFields);
        QCOMPARE(t.fake.commands, expected);

        // Direct accesses around the commands: the host is created, adopted,
        // hidden while its (no) windows are passed, then shown and arranged.
        QStringList direct;
        for (const QString &entry : t.fake.log)
            if (!entry.startsWith(QLatin1String("cmd ")))
                direct << entry;
        QCOMPARE(direct.first(), QStringLiteral("attach ZEP.Application"));
        QCOMPARE(direct.mid(1, 3), (QStringList{"create ZEP.Application", "set UserControl true", "set Visible false"}));
        QCOMPARE(direct.mid(direct.size() - 3), (QStringList{"set Visible true", "set WindowState 1", "call Arrange 2"}));
        QVERIFY(t.notice.messages.isEmpty());
    }

    void startupLeavesTheToolbarReady()
    {
        Toolbar t(false);
        toolbar::MainFrm &w = *t.w;
        w.Load();
        const toolbar::ToolbarState &s = w.state();

        QCOMPARE(w.OrbitSelect->currentText(), QStringLiteral("Custom Orbit"));
        QCOMPARE(w.OrbitSelect->count(), 6);
        QCOMPARE(w.OrbitSelect->itemText(5), QStringLiteral("GPS Constellation Orbit"));
        QCOMPARE(w.FrameSelect->currentText(), QStringLiteral("Earth Inertial"));
        QCOMPARE(w.FrameSelect->count(), 2);
        QCOMPARE(w.FrameSelect->itemText(1), QStringLiteral("Earth Fixed"));
        QCOMPARE(s.ShownFrameIndex, qint16(0));
        const QStringList boxes{"6582", "0", "0", "0", "0", "0"};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(w.ElementValue[i]->text(), boxes[i]);
            QVERIFY(t.black(i));
        }
        QCOMPARE(s.Elements.SemimajorAxis, 6582.0f);
        QCOMPARE(w.OrbitPeriod->text(), QStringLiteral("88.57 min"));
        QCOMPARE(s.SatelliteColor, QStringLiteral("White"));
        QVERIFY(!s.FormLoading);
        QVERIFY(!s.ValueChangeActive);
        QVERIFY(s.GeometryAidsFirstUse);
        QVERIFY(!t.link.CommandSucceeded());
        QCOMPARE(w.ElementScroll[0]->Min(), 6578);
        QVERIFY(!w.Help->isChecked());
        // No focus was moved into a box while loading.
        for (QLineEdit *box : w.ElementValue)
            QVERIFY(w.focusWidget() != box);

        // The first command after start-up that fails ends the program.
        t.fake.failing.insert(QStringLiteral("GetTimePeriod Scenario/Velmora"));
        w.ElementScroll[2]->SetValue(10);
        QCOMPARE(t.notice.endings, 1);
        QCOMPARE(t.notice.messages.value(0).title, host::kStartupFailureTitle);
    }

    void startupStopsWhenTheHostCannotBeReached()
    {
        Toolbar t(false);
        t.fake.creatable = false;
        t.w->Load();
        QCOMPARE(t.notice.messages.size(), 1);
        QCOMPARE(t.notice.messages.first().title, host::kStartupFailureTitle);
        QVERIFY(t.fake.commands.isEmpty());
        QCOMPARE(t.w->OrbitSelect->count(), 0);
        QCOMPARE(t.w->FrameSelect->count(), 0);
    }

    void typing_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("colours");        // per keystroke: R red, B black
        QTest::addColumn<QList<int>>("positions");   // bar after each keystroke
        QTest::addColumn<QStringList>("sent");       // the row's field in each state command
        QTest::addColumn<QStringList>("recolour");   // colour change per keystroke, or ""

        QTest::newRow("7000 into box 0") << 0 << "7000" << "RRRB" << QList<int>{6582, 6582, 6582, 7000}
            << QStringList{"7000", "70000", "700000", "7000000"} << QStringList{"Red", "", "", "White"};
        QTest::newRow("200 into box 2") << 2 << "200" << "BBR" << QList<int>{20, 200, 200}
            << QStringList{"2", "20", "200"} << QStringList{"", "", ""};
        QTest::newRow("400 into box 4") << 4 << "400" << "BBR" << QList<int>{40, 400, 400}
            << QStringList{"4", "40", "400"} << QStringList{"", "", ""};
        // 1E+10 km: no 32-bit position, so the bar stays; the host gets the number.
        QTest::newRow("1E+10 into box 0") << 0 << "1E+10" << "RRRRR"
            << QList<int>{6582, 6582, 6582, 6582, 6582}
            << QStringList{"1000", "1000", "1000", "10000", "1E+13"}
            << QStringList{"Red", "", "", "", "White"};
        QTest::newRow("minus into box 3") << 3 << "-5" << "RR" << QList<int>{0, 0}
            << QStringList{"0", "-5"} << QStringList{"", ""};
    }

    void typing()
    {
        QFETCH(int, row);
        QFETCH(QString, keys);
        QFETCH(QString, colours);
        QFETCH(QList<int>, positions);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, recolour);

        Toolbar t;
        t.empty(row);
        QVERIFY(t.red(row));
        QCOMPARE(t.take(), update(kStartFields));   // emptied: the old orbit again

        QLineEdit *box = t.w->ElementValue[row];
        for (int k = 0; k < keys.size(); ++k) {
            QTest::keyClick(box, keys.at(k).toLatin1());
            QCOMPARE(box->text(), keys.left(k + 1));
            QCOMPARE(colours.at(k) == u'R' ? t.red(row) : t.black(row), true);
            QCOMPARE(t.w->ElementScroll[row]->Value(), positions[k]);
            QStringList f = kStartFields;
            f[row] = sent[k];
            QStringList expected = update(f);
            if (!recolour[k].isEmpty())
                expected += ColourChange(recolour[k]);
            QCOMPARE(t.take(), expected);
        }
    }

    void valueTexts_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("inRange");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("sent");

        QTest::newRow("45.55 in box 2 rounds the bar only") << 2 << "45.55" << true << 455 << "45.55";
        QTest::newRow("upper bound of box 1") << 1 << "0.999" << true << 999 << "0.999";
        QTest::newRow("upper bound of box 2 after start-up") << 2 << "179.9" << true << 1799 << "179.9";
        QTest::newRow("180 is above it") << 2 << "180" << false << 0 << "180";
        QTest::newRow("0.9995 is red but lands on 999") << 1 << "0.9995" << false << 999 << "0.9995";
        QTest::newRow("tie 1.25 to even") << 2 << "1.25" << true << 12 << "1.25";
        QTest::newRow("tie 0.75 to even") << 2 << "0.75" << true << 8 << "0.75";
        QTest::newRow("tie 0.0625 to even") << 1 << "0.0625" << true << 62 << "0.0625";
        QTest::newRow("letters keep the element") << 3 << "abc" << false << 0 << "0";
        QTest::newRow("trailing junk") << 4 << "12abc" << false << 0 << "0";
        QTest::newRow("exponent form") << 5 << "1.5E+02" << true << 1500 << "150";
        QTest::newRow("lower bound of box 0 after start-up") << 0 << "6578" << true << 6578 << "6578000";
        QTest::newRow("below it") << 0 << "6577" << false << 6582 << "6577000";
    }

    void valueTexts()
    {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(bool, inRange);
        QFETCH(int, position);
        QFETCH(QString, sent);

        Toolbar t;
        t.w->ElementValue[row]->setText(text);
        QCOMPARE(t.w->ElementValue[row]->text(), text);   // never rewritten
        QCOMPARE(inRange ? t.black(row) : t.red(row), true);
        QCOMPARE(t.w->ElementScroll[row]->Value(), position);
        // Row 5 with e = 0: the mean anomaly sent equals the true anomaly.
        QStringList f = kStartFields;
        f[row] = sent;
        QCOMPARE(t.take().mid(0, 3), update(f));
        QVERIFY(!t.w->state().ValueChangeActive);
        if (text == QLatin1String("45.55"))
            QCOMPARE(t.w->state().Elements.Inclination, 45.55f);
    }

    void emptiedBoxResendsTheOldOrbit()
    {
        Toolbar t;
        t.w->ElementScroll[2]->SetValue(455);
        QCOMPARE(t.w->ElementValue[2]->text(), QStringLiteral("45.5"));
        t.take();
        t.empty(2);
        QVERIFY(t.red(2));
        QCOMPARE(t.w->state().Elements.Inclination, 45.5f);
        QCOMPARE(t.w->ElementScroll[2]->Value(), 455);
        QCOMPARE(t.take(), update(fields({{2, "45.5"}})));
        QCOMPARE(t.w->OrbitPeriod->text(), QStringLiteral("88.57 min"));

        // An emptied box 0 keeps the period and colour where they were.
        t.empty(0);
        QCOMPARE(t.take(), update(fields({{2, "45.5"}})));
        QCOMPARE(t.w->OrbitPeriod->text(), QStringLiteral("88.57 min"));
    }

    void arrowsAndTrack_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("part");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("sent");   // empty: nothing moves, nothing is sent

        const int add = QStyle::SC_ScrollBarAddLine, sub = QStyle::SC_ScrollBarSubLine,
                  page = QStyle::SC_ScrollBarAddPage;
        QTest::newRow("right arrow of bar 0") << 0 << add << 6583 << "6583" << fields({{0, "6583000"}});
        QTest::newRow("left arrow of bar 0") << 0 << sub << 6581 << "6581" << fields({{0, "6581000"}});
        QTest::newRow("track of bar 0") << 0 << page << 6682 << "6682" << fields({{0, "6682000"}});
        QTest::newRow("right arrow of bar 1") << 1 << add << 1 << "0.001" << fields({{1, "0.001"}});
        QTest::newRow("right arrow of bar 2") << 2 << add << 1 << "0.1" << fields({{2, "0.1"}});
        QTest::newRow("track of bar 4") << 4 << page << 10 << "1" << fields({{4, "1"}});
        QTest::newRow("right arrow of bar 5") << 5 << add << 1 << "0.1" << fields({{5, "0.1"}});
        QTest::newRow("left arrow at the minimum") << 5 << sub << 0 << "0" << QStringList{};
    }

    void arrowsAndTrack()
    {
        QFETCH(int, row);
        QFETCH(int, part);
        QFETCH(int, position);
        QFETCH(QString, text);
        QFETCH(QStringList, sent);

        Toolbar t;
        toolbar::ElementScrollBar *bar = t.w->ElementScroll[row];
        QTest::mouseClick(bar->scrollBar(), Qt::LeftButton, {}, bar->PartRect(QStyle::SubControl(part)).center());
        QCOMPARE(bar->Value(), position);
        QCOMPARE(t.w->ElementValue[row]->text(), text);
        if (sent.isEmpty()) {
            QVERIFY(t.take().isEmpty());
            QVERIFY(t.w->focusWidget() != t.w->ElementValue[row]);
        } else {
            QCOMPARE(t.take(), update(sent));
            // The focus moves to the row's box, so the next arrow key edits there.
            QCOMPARE(t.w->focusWidget(), t.w->ElementValue[row]);
        }
    }

    void dragFollowsTheThumb()
    {
        Toolbar t;
        toolbar::ElementScrollBar *bar = t.w->ElementScroll[2];
        const QPoint grip = bar->PartRect(QStyle::SC_ScrollBarSlider).center();
        auto send = [bar](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
            QMouseEvent e(type, QPointF(at), QPointF(bar->scrollBar()->mapToGlobal(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
            QApplication::sendEvent(bar->scrollBar(), &e);
        };
        send(QEvent::MouseButtonPress, grip, Qt::LeftButton);
        send(QEvent::MouseMove, grip + QPoint(20, 0), Qt::LeftButton);
        const int first = bar->Value();
        send(QEvent::MouseMove, grip + QPoint(40, 0), Qt::LeftButton);
        const int second = bar->Value();
        QVERIFY(first > 0 && second > first);
        auto text = [](int p) { return orbit::SingleToText(float(p / 10.0)); };
        QStringList atFirst = kStartFields, atSecond = kStartFields;
        atFirst[2] = text(first);
        atSecond[2] = text(second);
        const QStringList expected = update(atFirst) + update(atSecond);
        QCOMPARE(t.take(), expected);
        QVERIFY(t.w->focusWidget() != t.w->ElementValue[2]);

        // The drag's end settles on the same text: no further update, focus to box 2.
        send(QEvent::MouseButtonRelease, grip + QPoint(40, 0), Qt::NoButton);
        QVERIFY(t.take().isEmpty());
        QCOMPARE(t.w->ElementValue[2]->text(), text(second));
        QCOMPARE(t.w->focusWidget(), t.w->ElementValue[2]);
    }

    void noFocusMovesWhileLoading()
    {
        Toolbar t;
        t.w->CloseOT->setFocus();
        t.w->state().FormLoading = true;
        Toolbar::pick(t.w->OrbitSelect, 5);
        QCOMPARE(t.w->ElementValue[2]->text(), QStringLiteral("55.1"));
        QCOMPARE(t.w->focusWidget(), t.w->CloseOT);
        t.w->state().FormLoading = false;
        Toolbar::pick(t.w->OrbitSelect, 2);
        QCOMPARE(t.w->focusWidget(), t.w->ElementValue[0]);
    }

    void presets_data()
    {
        QTest::addColumn<int>("before");   // a preset picked first, or -1
        QTest::addColumn<int>("preset");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("enabled");   // bars 0..5: E enabled, D disabled
        QTest::addColumn<QList<int>>("ranges"); // min, max of bars 0..3
        QTest::addColumn<QString>("period");
        QTest::addColumn<QString>("colour");

        const QList<int> custom{6578, 50000, 0, 999, 0, 1799, 0, 3600};
        QTest::newRow("Geostationary") << -1 << 4
            << update(fields({{0, "4.2164E+07"}})) + ColourChange("Yellow")
            << "DDDEEE" << QList<int>{6578, 50000, 0, 100, 0, 1799, 0, 3600} << "1435.95 min" << "Yellow";
        QTest::newRow("GPS") << -1 << 5
            << update(fields({{0, "2.656E+07"}})) + update(fields({{0, "2.656E+07"}, {2, "55.1"}}))
            << "DDDEEE" << QList<int>{6578, 50000, 0, 999, 0, 1799, 0, 3600} << "717.91 min" << "White";
        // Narrowed ranges pull the bars to their new minimum at once, then the
        // preset's own values follow.
        const QStringList heo = update(fields({{0, "2.6065E+07"}}))
            + update(fields({{0, "2.6065E+07"}, {1, "0.6"}}))
            + update(fields({{0, "2.6065E+07"}, {1, "0.6"}, {2, "62"}}))
            + update(fields({{0, "2.6065E+07"}, {1, "0.6"}, {2, "63"}}))
            + update(fields({{0, "2.6065E+07"}, {1, "0.6"}, {2, "63"}, {3, "250"}}))
            + update(fields({{0, "2.6065E+07"}, {1, "0.6"}, {2, "63"}, {3, "270"}}));
        QTest::newRow("Highly Elliptical") << -1 << 3 << heo << "EEEEEE"
            << QList<int>{26065, 27052, 600, 750, 620, 660, 2500, 2900} << "697.93 min" << "White";
        QTest::newRow("Low Earth after Geostationary") << 4 << 1
            << update(fields({{0, "1.6764E+07"}})) + ColourChange("White") + update(fields({{0, "6578000"}}))
            << "EEEEEE" << QList<int>{6578, 16764, 0, 500, 0, 1799, 0, 3600} << "88.48 min" << "White";
        QTest::newRow("Custom after Highly Elliptical") << 3 << 0 << QStringList{} << "EEEEEE"
            << custom << "697.93 min" << "White";
        QTest::newRow("Medium Earth") << -1 << 2 << update(fields({{0, "1.6764E+07"}})) << "EEEEEE"
            << QList<int>{16764, 34870, 0, 100, 0, 1799, 0, 3600} << "359.99 min" << "White";
        QTest::newRow("Custom at start") << -1 << 0 << QStringList{} << "EEEEEE" << custom << "88.57 min" << "White";
    }

    void presets()
    {
        QFETCH(int, before);
        QFETCH(int, preset);
        QFETCH(QStringList, sent);
        QFETCH(QString, enabled);
        QFETCH(QList<int>, ranges);
        QFETCH(QString, period);
        QFETCH(QString, colour);

        Toolbar t;
        toolbar::MainFrm &w = *t.w;
        const float trueAnomaly = w.state().Elements.TrueAnomaly;
        if (before >= 0) {
            Toolbar::pick(w.OrbitSelect, before);
            t.take();
        }
        const orbit::OrbitElements was = w.state().Elements;
        Toolbar::pick(w.OrbitSelect, preset);
        QCOMPARE(t.take(), sent);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(w.ElementScroll[i]->Enabled(), enabled.at(i) == u'E');
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(w.ElementScroll[i]->Min(), ranges[2 * i]);
            QCOMPARE(w.ElementScroll[i]->Max(), ranges[2 * i + 1]);
        }
        QCOMPARE(w.ElementScroll[4]->Max(), 3600);
        QCOMPARE(w.OrbitPeriod->text(), period);
        QCOMPARE(w.state().SatelliteColor, colour);
        QCOMPARE(w.state().Elements.TrueAnomaly, trueAnomaly);
        if (sent.isEmpty()) {
            QCOMPARE(w.state().Elements.SemimajorAxis, was.SemimajorAxis);
            QCOMPARE(w.state().Elements.Eccentricity, was.Eccentricity);
        }
        // Boxes and bars agree afterwards.
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(w.ElementValue[i]->text(),
                     orbit::SingleToText(float(w.ElementScroll[i]->Value() / orbit::positionScale(orbit::Row(i)))));
            QVERIFY(t.black(i));
        }
    }

    void handOver()
    {
        Toolbar t;
        toolbar::MainFrm &w = *t.w;
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        const QPoint where = w.pos();
        QTest::mouseClick(w.CloseOT, Qt::LeftButton);
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w.isVisible());
        QCOMPARE(w.pos(), where);
        const QStringList once = golden::handOverRestore() + QStringList{"GetZEPVersion /"};
        QCOMPARE(t.take(), once);
        QCOMPARE(t.typed, QStringList{"%v4"});
        QVERIFY(t.fake.log.contains(QStringLiteral("call Arrange 2")));
        QVERIFY(t.fake.log.contains(QStringLiteral("call Activate")));

        // The toolbar keeps working, and the button repeats the whole sequence.
        t.fake.replies[QStringLiteral("GetZEPVersion /")] = {QStringLiteral("ZEP v8.1")};
        QTest::mouseClick(w.CloseOT, Qt::LeftButton);
        QCOMPARE(t.take(), once);
        QCOMPARE(t.typed, (QStringList{"%v4", "%v1"}));
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        w.ElementScroll[4]->SetValue(5);
        QCOMPARE(t.take(), update(fields({{4, "0.5"}})));
    }
};

QTEST_MAIN(TstToolbarMainFrm)
#include "tst_mainfrm.moc"
