// The element scroll bar against the member table the element rows rely on.
#include "toolbar/elementscroll.h"

#include <QtTest>

#include <vector>

using velmora::toolbar::ElementScrollBar;

namespace {

// Positions seen by each notification, in order.
struct Recorder {
    std::vector<int> changes;
    std::vector<int> scrolls;
    explicit Recorder(ElementScrollBar &bar)
    {
        QObject::connect(&bar, &ElementScrollBar::Change, [this, &bar] { changes.push_back(bar.Value()); });
        QObject::connect(&bar, &ElementScrollBar::Scroll, [this, &bar] { scrolls.push_back(bar.Value()); });
    }
};

// A bar laid out as a toolbar row: 117 x 17, 0..3600, track step 10.
struct Row {
    QWidget window;
    ElementScrollBar *bar;
    Row(int min = 0, int max = 3600, int start = 0)
    {
        bar = new ElementScrollBar(&window);
        bar->setGeometry(0, 0, 117, 17);
        bar->setPageStep(10);
        bar->SetMin(min);
        bar->SetMax(max);
        bar->SetValue(start);
        window.resize(120, 20);
        window.show();
        window.activateWindow();
    }
};

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void wheel(QWidget *w, int angleY)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, angleY), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

enum class Input { KeyRight, KeyLeft, KeyDown, KeyUp, KeyHome, KeyEnd, KeyPageDown, KeyPageUp, WheelDown, WheelUp, AddArrow, SubArrow, AddTrack };

void give(ElementScrollBar &bar, Input input)
{
    switch (input) {
    case Input::KeyRight: QTest::keyClick(&bar, Qt::Key_Right); break;
    case Input::KeyLeft: QTest::keyClick(&bar, Qt::Key_Left); break;
    case Input::KeyHome: QTest::keyClick(&bar, Qt::Key_Home); break;
    case Input::KeyEnd: QTest::keyClick(&bar, Qt::Key_End); break;
    case Input::KeyDown: QTest::keyClick(&bar, Qt::Key_Down); break;
    case Input::KeyUp: QTest::keyClick(&bar, Qt::Key_Up); break;
    case Input::KeyPageDown: QTest::keyClick(&bar, Qt::Key_PageDown); break;
    case Input::KeyPageUp: QTest::keyClick(&bar, Qt::Key_PageUp); break;
    case Input::WheelDown: wheel(&bar, -120); break;
    case Input::WheelUp: wheel(&bar, 120); break;
    case Input::AddArrow:
        QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.PartRect(QStyle::SC_ScrollBarAddLine).center());
        break;
    case Input::SubArrow:
        QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.PartRect(QStyle::SC_ScrollBarSubLine).center());
        break;
    case Input::AddTrack:
        QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.PartRect(QStyle::SC_ScrollBarAddPage).center());
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Input)

class TstElementScroll : public QObject {
    Q_OBJECT
private slots:
    void valueWrites_data();
    void valueWrites();
    void changeRunsInsideTheWrite();
    void limitWrites_data();
    void limitWrites();
    void userInput_data();
    void userInput();
    void disabledBarIgnoresInputButFollowsWrites_data();
    void disabledBarIgnoresInputButFollowsWrites();
    void dragScrollsThenChangesOnce();
    void dragBackToStartSettlesWithoutChange();
    void holdingAnArrowRepeatsWithoutWaiting();
    void takesFocusAndShowsTooltip();
};

void TstElementScroll::valueWrites_data()
{
    QTest::addColumn<int>("write");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("changes");

    // Bar 0 of the toolbar: 6582..50000 at 6582.
    QTest::newRow("inside moves once") << 7000 << true << 7000 << 1;
    QTest::newRow("the minimum itself") << 6582 << true << 6582 << 0;
    QTest::newRow("the maximum itself") << 50000 << true << 50000 << 1;
    QTest::newRow("one above the maximum is refused") << 50001 << false << 6582 << 0;
    QTest::newRow("one below the minimum is refused") << 6581 << false << 6582 << 0;
    QTest::newRow("far outside is refused") << -2147483647 - 1 << false << 6582 << 0;
    QTest::newRow("the current position again") << 6582 << true << 6582 << 0;
}

void TstElementScroll::valueWrites()
{
    QFETCH(int, write);
    QFETCH(bool, accepted);
    QFETCH(int, position);
    QFETCH(int, changes);

    Row row(6582, 50000, 6582);
    Recorder seen(*row.bar);
    QCOMPARE(row.bar->SetValue(write), accepted);
    QCOMPARE(row.bar->Value(), position);
    QCOMPARE(int(seen.changes.size()), changes);
    QVERIFY(seen.scrolls.empty());
    if (changes)
        QCOMPARE(seen.changes.back(), position);
}

void TstElementScroll::changeRunsInsideTheWrite()
{
    Row row;
    bool writing = false;
    int nestedChanges = 0;
    std::vector<int> order;
    QObject::connect(row.bar, &ElementScrollBar::Change, [&] {
        QVERIFY(writing);
        ++nestedChanges;
        order.push_back(row.bar->Value());
        // A handler that writes again (as the value box does) nests one level.
        if (row.bar->Value() == 100)
            row.bar->SetValue(200);
    });
    writing = true;
    row.bar->SetValue(100);
    writing = false;
    QCOMPARE(nestedChanges, 2);
    QCOMPARE(order, (std::vector<int>{100, 200}));
    QCOMPARE(row.bar->Value(), 200);
}

void TstElementScroll::limitWrites_data()
{
    QTest::addColumn<bool>("writeMax");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("position");
    QTest::addColumn<std::vector<int>>("changes");

    // Start: 0..3600 at 2700.
    QTest::newRow("max above the position leaves it") << true << 2900 << 0 << 2900 << 2700 << std::vector<int>{};
    QTest::newRow("max below the position pulls it down") << true << 1800 << 0 << 1800 << 1800 << std::vector<int>{1800};
    QTest::newRow("min above the position pushes it up") << false << 3000 << 3000 << 3600 << 3000 << std::vector<int>{3000};
    QTest::newRow("min below the position leaves it") << false << 2500 << 2500 << 3600 << 2700 << std::vector<int>{};
    QTest::newRow("max below min lowers min too") << true << -5 << -5 << -5 << -5 << std::vector<int>{-5};
    QTest::newRow("min above max raises max too") << false << 5000 << 5000 << 5000 << 5000 << std::vector<int>{5000};
}

void TstElementScroll::limitWrites()
{
    QFETCH(bool, writeMax);
    QFETCH(int, limit);
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, position);
    QFETCH(std::vector<int>, changes);

    Row row(0, 3600, 2700);
    Recorder seen(*row.bar);
    if (writeMax)
        row.bar->SetMax(limit);
    else
        row.bar->SetMin(limit);
    QCOMPARE(row.bar->Min(), min);
    QCOMPARE(row.bar->Max(), max);
    QCOMPARE(row.bar->Value(), position);
    QCOMPARE(seen.changes, changes);
    QVERIFY(seen.scrolls.empty());
}

void TstElementScroll::userInput_data()
{
    QTest::addColumn<Input>("input");
    QTest::addColumn<int>("position");

    // From 1000 in 0..3600 with small change 1 and large change 10.
    QTest::newRow("Right key") << Input::KeyRight << 1001;
    QTest::newRow("Left key") << Input::KeyLeft << 999;
    QTest::newRow("Down key") << Input::KeyDown << 1001;
    QTest::newRow("Up key") << Input::KeyUp << 999;
    QTest::newRow("Page Down key") << Input::KeyPageDown << 1010;
    QTest::newRow("Page Up key") << Input::KeyPageUp << 990;
    QTest::newRow("wheel down") << Input::WheelDown << 1003;
    QTest::newRow("wheel up") << Input::WheelUp << 997;
    QTest::newRow("right arrow") << Input::AddArrow << 1001;
    QTest::newRow("left arrow") << Input::SubArrow << 999;
    QTest::newRow("track right of the thumb") << Input::AddTrack << 1010;
    QTest::newRow("Home key") << Input::KeyHome << 0;
    QTest::newRow("End key") << Input::KeyEnd << 3600;
}

void TstElementScroll::userInput()
{
    QFETCH(Input, input);
    QFETCH(int, position);

    Row row(0, 3600, 1000);
    Recorder seen(*row.bar);
    give(*row.bar, input);
    QCOMPARE(row.bar->Value(), position);
    QCOMPARE(seen.changes, std::vector<int>{position});
    QVERIFY(seen.scrolls.empty());
}

void TstElementScroll::disabledBarIgnoresInputButFollowsWrites_data()
{
    userInput_data();
}

void TstElementScroll::disabledBarIgnoresInputButFollowsWrites()
{
    QFETCH(Input, input);

    Row row(0, 3600, 1000);
    row.bar->SetEnabled(false);
    QVERIFY(!row.bar->Enabled());
    Recorder seen(*row.bar);
    give(*row.bar, input);
    QCOMPARE(row.bar->Value(), 1000);
    QVERIFY(seen.changes.empty());

    QVERIFY(row.bar->SetValue(1234));
    QCOMPARE(row.bar->Value(), 1234);
    QCOMPARE(seen.changes, std::vector<int>{1234});
}

void TstElementScroll::dragScrollsThenChangesOnce()
{
    Row row(0, 3600, 0);
    Recorder seen(*row.bar);
    ElementScrollBar *bar = row.bar;
    const QPoint grip = bar->PartRect(QStyle::SC_ScrollBarSlider).center();
    const QRect groove = bar->PartRect(QStyle::SC_ScrollBarGroove);

    sendMouse(bar, QEvent::MouseButtonPress, grip, Qt::LeftButton);
    QVERIFY(bar->isSliderDown());
    sendMouse(bar, QEvent::MouseMove, grip + QPoint(groove.width() / 4, 0), Qt::LeftButton);
    const int halfway = bar->Value();
    sendMouse(bar, QEvent::MouseMove, grip + QPoint(groove.width() / 2, 0), Qt::LeftButton);
    const int end = bar->Value();
    QVERIFY(halfway > 0);
    QVERIFY(end > halfway);
    QVERIFY(seen.changes.empty());
    QCOMPARE(seen.scrolls, (std::vector<int>{halfway, end}));

    sendMouse(bar, QEvent::MouseButtonRelease, grip + QPoint(groove.width() / 2, 0), Qt::NoButton);
    QCOMPARE(seen.changes, std::vector<int>{end});
    QCOMPARE(seen.scrolls.size(), size_t(2));
}

void TstElementScroll::dragBackToStartSettlesWithoutChange()
{
    Row row(0, 3600, 0);
    Recorder seen(*row.bar);
    ElementScrollBar *bar = row.bar;
    const QPoint grip = bar->PartRect(QStyle::SC_ScrollBarSlider).center();

    sendMouse(bar, QEvent::MouseButtonPress, grip, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, grip + QPoint(30, 0), Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, grip, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, grip, Qt::NoButton);
    QCOMPARE(bar->Value(), 0);
    QCOMPARE(seen.scrolls.size(), size_t(2));
    QVERIFY(seen.changes.empty());
}

void TstElementScroll::holdingAnArrowRepeatsWithoutWaiting()
{
    // The press steps once; the repeat is due at once, so the next pass of the
    // event loop steps again without any time having to pass.
    Row row(0, 3600, 0);
    ElementScrollBar *bar = row.bar;
    QTest::mousePress(bar, Qt::LeftButton, {}, bar->PartRect(QStyle::SC_ScrollBarAddLine).center());
    QCOMPARE(bar->Value(), 1);
    for (int pass = 0; pass < 50 && bar->Value() < 3; ++pass)
        QCoreApplication::processEvents();
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->PartRect(QStyle::SC_ScrollBarAddLine).center());
    QVERIFY(bar->Value() >= 3);
    // Released: no more steps.
    const int settled = bar->Value();
    for (int pass = 0; pass < 5; ++pass)
        QCoreApplication::processEvents();
    QCOMPARE(bar->Value(), settled);
}

void TstElementScroll::takesFocusAndShowsTooltip()
{
    Row row;
    QCOMPARE(row.bar->focusPolicy(), Qt::StrongFocus);
    QCOMPARE(row.bar->orientation(), Qt::Horizontal);
    QCOMPARE(row.bar->singleStep(), 1);
    QCOMPARE(row.bar->ToolTipText(), QString());
    row.bar->SetToolTipText(QStringLiteral("Angles Limited to 180 deg for readability."));
    QCOMPARE(row.bar->toolTip(), QStringLiteral("Angles Limited to 180 deg for readability."));
    row.bar->SetToolTipText(QString());
    QVERIFY(row.bar->toolTip().isEmpty());
}

QTEST_MAIN(TstElementScroll)
#include "tst_elementscroll.moc"
