// The element scroll bar against the member table the element rows rely on.
#include "toolbar/elementscroll.h"

#include <QThread>
#include <QtTest>

#include <algorithm>

#include <vector>

using velmora::toolbar::ElementScrollBar;

namespace {

// Positions seen by each notification, in order.
struct Recorder {
    std::vector<int> changes, scrolls;
    explicit Recorder(ElementScrollBar &bar)
    {
        QObject::connect(&bar, &ElementScrollBar::Change, [this, &bar] { changes.push_back(bar.Value()); });
        QObject::connect(&bar, &ElementScrollBar::Scroll, [this, &bar] { scrolls.push_back(bar.Value()); });
    }
};

// A bar laid out as a toolbar row: 117 x 17, track step 10.
struct Row {
    QWidget window;
    ElementScrollBar *bar = new ElementScrollBar(&window);
    QScrollBar *scroll = bar->scrollBar();   // what the user presses and types into
    Row(int min = 0, int max = 3600, int start = 0)
    {
        scroll->setGeometry(0, 0, 117, 17);
        bar->SetLargeChange(10);
        bar->SetMin(min);
        bar->SetMax(max);
        bar->SetValue(start);
        window.resize(120, 20);
        window.show();
        window.activateWindow();
    }
    QPoint at(QStyle::SubControl part) const { return bar->PartRect(part).center(); }
    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(pos), QPointF(scroll->mapToGlobal(pos)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(scroll, &event);
    }
};

} // namespace

class TstToolbarElementScroll : public QObject {
    Q_OBJECT
private slots:
    void valueWrites_data()
    {
        QTest::addColumn<int>("write");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("position");
        // Bar 0 of the toolbar: 6582..50000 at 6582.
        QTest::newRow("inside moves once") << 7000 << true << 7000;
        QTest::newRow("the maximum itself") << 50000 << true << 50000;
        QTest::newRow("one above the maximum is refused") << 50001 << false << 6582;
        QTest::newRow("one below the minimum is refused") << 6581 << false << 6582;
        QTest::newRow("far outside is refused") << -2147483647 - 1 << false << 6582;
        QTest::newRow("the current position (the minimum) again") << 6582 << true << 6582;
    }

    void valueWrites()
    {
        QFETCH(int, write);
        QFETCH(bool, accepted);
        QFETCH(int, position);
        Row row(6582, 50000, 6582);
        Recorder seen(*row.bar);
        QCOMPARE(row.bar->SetValue(write), accepted);
        QCOMPARE(row.bar->Value(), position);
        QCOMPARE(seen.changes, position == 6582 ? std::vector<int>{} : std::vector<int>{position});
        QVERIFY(seen.scrolls.empty());
    }

    void changeRunsInsideTheWrite()
    {
        Row row;
        bool writing = false;
        std::vector<int> order;
        QObject::connect(row.bar, &ElementScrollBar::Change, [&] {
            QVERIFY(writing);
            order.push_back(row.bar->Value());
            // A handler that writes again (as the value box does) nests one level.
            if (row.bar->Value() == 100)
                row.bar->SetValue(200);
        });
        writing = true;
        row.bar->SetValue(100);
        writing = false;
        QCOMPARE(order, (std::vector<int>{100, 200}));
        QCOMPARE(row.bar->Value(), 200);
    }

    void limitWrites_data()
    {
        QTest::addColumn<bool>("writeMax");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("position");   // a change is raised when it leaves 2700
        // Start: 0..3600 at 2700.
        QTest::newRow("max above the position leaves it") << true << 2900 << 0 << 2900 << 2700;
        QTest::newRow("max below the position pulls it down") << true << 1800 << 0 << 1800 << 1800;
        QTest::newRow("min above the position pushes it up") << false << 3000 << 3000 << 3600 << 3000;
        QTest::newRow("min below the position leaves it") << false << 2500 << 2500 << 3600 << 2700;
        // Limits read back as written; the position stays between them.
        QTest::newRow("max below min keeps min") << true << -5 << 0 << -5 << 0;
        QTest::newRow("min above max keeps max") << false << 5000 << 5000 << 3600 << 3600;
    }

    void limitWrites()
    {
        QFETCH(bool, writeMax);
        QFETCH(int, limit);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, position);
        Row row(0, 3600, 2700);
        Recorder seen(*row.bar);
        writeMax ? row.bar->SetMax(limit) : row.bar->SetMin(limit);
        QCOMPARE(row.bar->Min(), min);
        QCOMPARE(row.bar->Max(), max);
        QCOMPARE(row.bar->Value(), position);
        QCOMPARE(seen.changes, position == 2700 ? std::vector<int>{} : std::vector<int>{position});
        QVERIFY(seen.scrolls.empty());
    }

    void userInput_data()
    {
        QTest::addColumn<int>("key");     // a key, or
        QTest::addColumn<int>("wheel");   // a wheel turn, or
        QTest::addColumn<int>("part");    // a click on a part
        QTest::addColumn<int>("position");
        // From 1000 in 0..3600 with small change 1 and large change 10.
        const struct { const char *name; int key, wheel, part, position; } rows[] = {
            {"Right key", Qt::Key_Right, 0, 0, 1001}, {"Left key", Qt::Key_Left, 0, 0, 999},
            {"Down key", Qt::Key_Down, 0, 0, 1001}, {"Up key", Qt::Key_Up, 0, 0, 999},
            {"Page Down key", Qt::Key_PageDown, 0, 0, 1010}, {"Page Up key", Qt::Key_PageUp, 0, 0, 990},
            {"Home key", Qt::Key_Home, 0, 0, 0}, {"End key", Qt::Key_End, 0, 0, 3600},
            {"wheel down", 0, -120, 0, 1003}, {"wheel up", 0, 120, 0, 997},
            {"right arrow", 0, 0, QStyle::SC_ScrollBarAddLine, 1001},
            {"left arrow", 0, 0, QStyle::SC_ScrollBarSubLine, 999},
            {"track right of the thumb", 0, 0, QStyle::SC_ScrollBarAddPage, 1010},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.key << r.wheel << r.part << r.position;
    }

    void userInput()
    {
        QFETCH(int, key);
        QFETCH(int, wheel);
        QFETCH(int, part);
        QFETCH(int, position);
        // Enabled the input moves the bar; disabled it is ignored, but program
        // writes still move it and raise Change.
        for (bool enabled : {true, false}) {
            Row row(0, 3600, 1000);
            row.bar->SetEnabled(enabled);
            QCOMPARE(row.bar->Enabled(), enabled);
            Recorder seen(*row.bar);
            if (key) {
                QTest::keyClick(row.scroll, Qt::Key(key));
            } else if (wheel) {
                const QPointF at(row.scroll->width() / 2.0, row.scroll->height() / 2.0);
                QWheelEvent event(at, row.scroll->mapToGlobal(at), QPoint(), QPoint(0, wheel), Qt::NoButton,
                                  Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(row.scroll, &event);
            } else {
                QTest::mouseClick(row.scroll, Qt::LeftButton, {}, row.at(QStyle::SubControl(part)));
            }
            QCOMPARE(row.bar->Value(), enabled ? position : 1000);
            QCOMPARE(seen.changes, enabled ? std::vector<int>{position} : std::vector<int>{});
            QVERIFY(seen.scrolls.empty());
            if (!enabled) {
                QVERIFY(row.bar->SetValue(1234));
                QCOMPARE(row.bar->Value(), 1234);
                QCOMPARE(seen.changes, std::vector<int>{1234});
            }
        }
    }

    void dragScrollsThenChangesOnce()
    {
        Row row;
        Recorder seen(*row.bar);
        const QPoint grip = row.at(QStyle::SC_ScrollBarSlider);
        const int groove = row.bar->PartRect(QStyle::SC_ScrollBarGroove).width();

        row.mouse(QEvent::MouseButtonPress, grip, Qt::LeftButton);
        QVERIFY(row.scroll->isSliderDown());
        row.mouse(QEvent::MouseMove, grip + QPoint(groove / 4, 0), Qt::LeftButton);
        const int halfway = row.bar->Value();
        row.mouse(QEvent::MouseMove, grip + QPoint(groove / 2, 0), Qt::LeftButton);
        const int end = row.bar->Value();
        QVERIFY(halfway > 0);
        QVERIFY(end > halfway);
        QVERIFY(seen.changes.empty());
        QCOMPARE(seen.scrolls, (std::vector<int>{halfway, end}));
        row.mouse(QEvent::MouseButtonRelease, grip + QPoint(groove / 2, 0), Qt::NoButton);
        QCOMPARE(seen.changes, std::vector<int>{end});
        QCOMPARE(seen.scrolls.size(), size_t(2));

        // A drag back to where it began settles without a change.
        Row back;
        Recorder again(*back.bar);
        back.mouse(QEvent::MouseButtonPress, grip, Qt::LeftButton);
        back.mouse(QEvent::MouseMove, grip + QPoint(30, 0), Qt::LeftButton);
        back.mouse(QEvent::MouseMove, grip, Qt::LeftButton);
        back.mouse(QEvent::MouseButtonRelease, grip, Qt::NoButton);
        QCOMPARE(back.bar->Value(), 0);
        QCOMPARE(again.scrolls.size(), size_t(2));
        QVERIFY(again.changes.empty());
    }

    // Real presses in a running event loop: press, wait, release.
    void pressDurations_data()
    {
        QTest::addColumn<int>("part");   // QStyle::SubControl
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<int>("fewest");
        QTest::addColumn<int>("most");
        const int arrow = QStyle::SC_ScrollBarAddLine, track = QStyle::SC_ScrollBarAddPage;
        QTest::newRow("120 ms click on the arrow is one step") << arrow << 120 << 1 << 1;
        QTest::newRow("120 ms click on the track is one step") << track << 120 << 1 << 1;
        // Past the initial wait the bar steps as fast as its handling allows.
        QTest::newRow("1.5 s hold on the arrow repeats") << arrow << 1500 << 10 << 100000;
    }

    void pressDurations()
    {
        QFETCH(int, part);
        QFETCH(int, holdMs);
        QFETCH(int, fewest);
        QFETCH(int, most);
        Row row(0, 100000, 0);
        row.bar->SetLargeChange(1);   // a track step and an arrow step count alike
        Recorder seen(*row.bar);
        const QPoint at = row.at(QStyle::SubControl(part));
        QTest::mousePress(row.scroll, Qt::LeftButton, {}, at);
        QTest::qWait(holdMs);
        QTest::mouseRelease(row.scroll, Qt::LeftButton, {}, at);
        const int steps = int(seen.changes.size());
        QVERIFY2(steps >= fewest && steps <= most, qPrintable(QString::number(steps)));
        QCOMPARE(row.bar->Value(), steps);
        QTest::qWait(100);
        QCOMPARE(int(seen.changes.size()), steps);   // released: no more steps
    }

    void aSlowHandlerNeverMeetsABacklog()
    {
        // Each step's handling takes 50 ms; steps never overlap or queue up,
        // and the bar stops with the release, not some steps later.
        Row row;
        int depth = 0, deepest = 0, steps = 0;
        QObject::connect(row.bar, &ElementScrollBar::Change, [&] {
            deepest = std::max(deepest, ++depth);
            ++steps;
            QThread::msleep(50);
            --depth;
        });
        const QPoint arrow = row.at(QStyle::SC_ScrollBarAddLine);
        QTest::mousePress(row.scroll, Qt::LeftButton, {}, arrow);
        QTest::qWait(1000);
        QTest::mouseRelease(row.scroll, Qt::LeftButton, {}, arrow);
        const int atRelease = steps;
        QTest::qWait(200);
        QCOMPARE(deepest, 1);
        QCOMPARE(steps, atRelease);
        QVERIFY2(steps >= 3 && steps <= 12, qPrintable(QString::number(steps)));
    }

    void takesFocusAndShowsTooltip()
    {
        Row row;
        QCOMPARE(row.scroll->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(row.scroll->orientation(), Qt::Horizontal);
        QCOMPARE(row.scroll->singleStep(), 1);
        QCOMPARE(row.bar->ToolTipText(), QString());
        row.bar->SetToolTipText(QStringLiteral("Angles Limited to 180 deg for readability."));
        QCOMPARE(row.scroll->toolTip(), QStringLiteral("Angles Limited to 180 deg for readability."));
        row.bar->SetToolTipText(QString());
        QVERIFY(row.scroll->toolTip().isEmpty());
    }
};

QTEST_MAIN(TstToolbarElementScroll)
#include "tst_elementscroll.moc"
