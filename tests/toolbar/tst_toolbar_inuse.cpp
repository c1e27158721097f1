// The toolbar as a user meets it: picks only by choice, names for assistive
// technology, and a host that stops answering or goes away.
#include "tests/toolbar/toolbarfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QAbstractItemView>
#include <QWheelEvent>
#include <QWindow>

using namespace velmora;
using velmora::testing::StateUpdate;
using velmora::testing::Toolbar;

namespace {

void wheelOver(QComboBox *combo, int notches)
{
    QWidget *under = combo;
    const QPointF at(under->rect().center());
    QWheelEvent event(at, under->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(under, &event);
}

} // namespace

class TstToolbarInUse : public QObject {
    Q_OBJECT
private slots:
    void selectorsPickOnlyByChoice_data()
    {
        QTest::addColumn<bool>("orbit");   // OrbitSelect, else FrameSelect
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("picks");
        for (bool orbit : {true, false}) {
            const char *name = orbit ? "OrbitSelect" : "FrameSelect";
            QTest::addRow("%s: wheel without the focus", name) << orbit << "wheel" << false;
            QTest::addRow("%s: typed name, Return", name) << orbit << "return" << false;
            QTest::addRow("%s: typed name, keypad Enter", name) << orbit << "enter" << false;
            QTest::addRow("%s: open list, Down, Return", name) << orbit << "list" << true;
        }
    }

    void selectorsPickOnlyByChoice()
    {
        QFETCH(bool, orbit);
        QFETCH(QString, action);
        QFETCH(bool, picks);
        Toolbar t;
        toolbar::MainFrm &w = *t.w;
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QComboBox *combo = orbit ? w.OrbitSelect : w.FrameSelect;
        QWindow *window = w.windowHandle();
        w.ElementValue[0]->setFocus();
        if (action == QLatin1String("wheel")) {
            wheelOver(combo, 1);
        } else if (action == QLatin1String("list")) {
            combo->setFocus();
            QTest::keyClick(window, Qt::Key_Down, Qt::AltModifier);
            QTRY_VERIFY(combo->view()->isVisible());
            QTest::keyClick(combo->view()->window()->windowHandle(), Qt::Key_Down);
            QTest::keyClick(combo->view()->window()->windowHandle(), Qt::Key_Return);
        } else {
            // As the platform delivers them: a click into the field, then keys
            // to the window, which hands them to the focus widget.
            QTest::mouseClick(window, Qt::LeftButton, {}, combo->geometry().center());
            QCOMPARE(QApplication::focusWidget(), combo);
            QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
            for (const QChar c : combo->itemText(1))
                QTest::keyClick(window, c.toLatin1());
            QCOMPARE(combo->currentText(), combo->itemText(1));
            if (action == QLatin1String("return"))
                QTest::keyClick(window, Qt::Key_Return);
            else
                QTest::keyClick(window, Qt::Key_Enter, Qt::KeypadModifier);
            // Leaving the field picks nothing either.
            QTest::keyClick(window, Qt::Key_Tab);
        }
        QTest::qWait(20);
        QCOMPARE(combo->currentIndex(), picks ? 1 : 0);
        QCOMPARE(t.take().isEmpty(), !picks);
    }

    void boxColoursReadOnAnyTheme_data()
    {
        QTest::addColumn<QColor>("base");
        QTest::addColumn<QColor>("text");
        QTest::newRow("light, as designed") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("dark grey field") << QColor(0x2d, 0x2d, 0x2d) << QColor(0xee, 0xee, 0xee);
        QTest::newRow("black field") << QColor(Qt::black) << QColor(Qt::white);
        QTest::newRow("mid grey field") << QColor(0x77, 0x77, 0x77) << QColor(Qt::black);
        QTest::newRow("warm light field") << QColor(0xfd, 0xf6, 0xe3) << QColor(0x33, 0x33, 0x33);
    }

    void boxColoursReadOnAnyTheme()
    {
        QFETCH(QColor, base);
        QFETCH(QColor, text);
        const QPalette before = QApplication::palette();
        const auto use = [](const QPalette &palette) {
            QApplication::setPalette(palette);
            QCoreApplication::processEvents();
        };
        const auto restore = qScopeGuard([&] { use(before); });
        QPalette theme = before;
        theme.setColor(QPalette::Base, base);
        theme.setColor(QPalette::Text, text);

        for (bool themeFirst : {true, false}) {
            if (themeFirst)
                use(theme);
            Toolbar t;
            QLineEdit *box = t.w->ElementValue[2];
            box->setText(QStringLiteral("200"));
            t.w->ElementValue[3]->setText(QStringLiteral("90"));
            if (!themeFirst)
                use(theme);   // the desktop switches theme while running
            QVERIFY(t.red(2));
            QCOMPARE(box->palette().color(QPalette::Base), base);
            QVERIFY(t.black(3));
            QCOMPARE(t.w->ElementValue[3]->palette().color(QPalette::Text), text);
            box->setText(QStringLiteral("20"));
            QVERIFY(t.black(2));
            use(before);
        }
    }

    void aPickShowsTheStartOfTheEntry()
    {
        Toolbar t;
        for (int k : {5, 3, 5}) {
            Toolbar::pick(t.w->OrbitSelect, k);
            QCOMPARE(t.w->OrbitSelect->lineEdit()->cursorPosition(), 0);
        }
        Toolbar::pick(t.w->FrameSelect, 1);
        QCOMPARE(t.w->FrameSelect->lineEdit()->cursorPosition(), 0);
    }

    void assistiveNames_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");   // "tip" for the row label's tooltip
        QTest::newRow("window") << "window" << int(QAccessible::Window) << "Velmora Toolbar" << "";
        QTest::newRow("orbit list") << "OrbitSelect" << int(QAccessible::ComboBox) << "Orbit Regime" << "";
        QTest::newRow("frame list") << "FrameSelect" << int(QAccessible::ComboBox) << "Reference Frame" << "";
        const char *rows[] = {"Semimajor Axis", "Eccentricity", "Inclination", "Argument of Perigee", "RAAN",
                              "True Anomaly"};
        const char *units[] = {" (km)", "", " (deg)", " (deg)", " (deg)", " (deg)"};
        for (int i = 0; i < 6; ++i) {
            QTest::addRow("bar %d", i) << QStringLiteral("bar %1").arg(i) << int(QAccessible::ScrollBar)
                                       << rows[i] << "tip";
            QTest::addRow("box %d", i) << QStringLiteral("box %1").arg(i) << int(QAccessible::EditableText)
                                       << QString::fromLatin1(rows[i]) + units[i] << "tip";
        }
    }

    void assistiveNames()
    {
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, name);
        QFETCH(QString, description);
        Toolbar t;
        toolbar::MainFrm &w = *t.w;
        QWidget *widget = &w;
        int row = -1;
        if (control == QLatin1String("OrbitSelect"))
            widget = w.OrbitSelect;
        else if (control == QLatin1String("FrameSelect"))
            widget = w.FrameSelect;
        else if (control.startsWith(QLatin1String("bar")))
            widget = w.ElementScroll[row = control.back().digitValue()]->scrollBar();
        else if (control.startsWith(QLatin1String("box")))
            widget = w.ElementValue[row = control.back().digitValue()];
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(a);
        QCOMPARE(int(a->role()), role);
        QCOMPARE(a->text(QAccessible::Name), name);
        if (row >= 0) {
            QCOMPARE(a->text(QAccessible::Description), w.ElementLabel[row]->toolTip());
            // A caption labels each bar, a unit each box that has one.
            if (control.startsWith(QLatin1String("bar")) || row != 1)
                QVERIFY(!a->relations(QAccessible::Label).isEmpty());
        }
        if (control.endsWith(QLatin1String("Select")))
            QCOMPARE(a->text(QAccessible::Value), static_cast<QComboBox *>(widget)->currentText());
    }

    void stoppedHostGetsTheLastEditOnce()
    {
        Toolbar t;
        toolbar::MainFrm &w = *t.w;
        t.fake.hung = true;
        t.empty(2);
        QTest::keyClicks(w.ElementValue[2], QStringLiteral("45"));
        // Nothing was carried out; the edit stays where the user made it.
        QVERIFY(t.take().isEmpty());
        QVERIFY(!t.link.isAnswering());
        QCOMPARE(w.ElementValue[2]->text(), QStringLiteral("45"));
        QCOMPARE(t.fake.log.filter(QStringLiteral("unanswered")).size(), 1);
        // What would talk to the host waits, visibly.
        for (QWidget *control : {static_cast<QWidget *>(w.FrameSelect), static_cast<QWidget *>(w.Help),
                                 static_cast<QWidget *>(w.CloseOT)})
            QVERIFY(!control->isEnabled());
        QTest::mouseClick(w.CloseOT, Qt::LeftButton);
        QVERIFY(t.typed.isEmpty());
        QVERIFY(t.take().isEmpty());

        t.fake.resume();
        QCOMPARE(t.take(), StateUpdate("6582000", "0", "45", "0", "0", "0"));
        QVERIFY(t.notice.messages.isEmpty());
        QVERIFY(w.FrameSelect->isEnabled() && w.Help->isEnabled() && w.CloseOT->isEnabled());
        QTest::keyClick(w.ElementValue[2], Qt::Key_Backspace);
        QCOMPARE(t.take(), StateUpdate("6582000", "0", "4", "0", "0", "0"));
    }

    void hostThatLeftEndsTheToolbar()
    {
        Toolbar t;
        t.fake.goAway();
        QCOMPARE(t.notice.messages.size(), 1);
        QCOMPARE(t.notice.messages.first().title, QStringLiteral("Velmora Toolbar"));
        QCOMPARE(t.notice.messages.first().text, QStringLiteral("ZEP has closed. Velmora Toolbar closes too."));
        QCOMPARE(t.notice.endings, 1);
        // Nothing is sent after the box.
        t.fake.running = true;
        QTest::keyClicks(t.w->ElementValue[2], QStringLiteral("7"));
        QTest::mouseClick(t.w->CloseOT, Qt::LeftButton);
        QVERIFY(t.take().isEmpty());
    }
};

QTEST_MAIN(TstToolbarInUse)
#include "tst_toolbar_inuse.moc"
