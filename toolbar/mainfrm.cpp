#include "toolbar/mainfrm.h"

#include "aids/frameswitch.h"
#include "aids/geometryaids.h"
#include "host/arrange.h"
#include "host/scenario.h"
#include "orbit/numbers.h"
#include "orbit/presets.h"
#include "orbit/stateupdate.h"
#include "toolbar/accessible.h"
#include "toolbar/rangecolours.h"
#include "toolbar/selectors.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace velmora::toolbar {

namespace {

const QString kViewerPosition = QStringLiteral("Vo * ViewerPosition 30 0 100000000");

struct LabelDesign {
    int x, y, width;
    const char *caption;
    const char *tip;
};

// ElementLabel 0..6; each ends on the common right edge.
const LabelDesign kElementLabels[7] = {
    {24, 36, 77, "Semimajor Axis", "The semimajor axis is defined as half of the orbits major axis"},
    {36, 56, 65, "Eccentricity", "The eccentricity defines the relative shape of the orbit"},
    {44, 76, 57, "Inclination",
     "The inclination is defined as the angle between the Earth inertial z vector and the satellite "
     "orbit angular momentum"},
    {0, 96, 101, "Argument of Perigee",
     "The argument of perigee is defined as the angle between the satellite line of nodes and the "
     "satellite periapsis"},
    {64, 116, 37, "RAAN", "The RAAN is defined as the angle between the vernal equinox and the satellite line of nodes"},
    {24, 136, 77, "True Anomaly",
     "The true anamaly is defined as the angle between the satellite periapsis and the satellite position"},
    {40, 156, 61, "Orbit Period",
     "The orbit period is defined as the time required for the satellite to complete one orbit"},
};

struct ScrollDesign {
    int min, max, largeChange;
};

const ScrollDesign kScrollDesign[orbit::kElementRows] = {
    {6582, 50000, 100}, {0, 999, 10}, {0, 1800, 10}, {0, 3600, 10}, {0, 3600, 10}, {0, 3600, 10},
};

// The two angle rows the geometry aids hold to half a turn while they show.
constexpr int kAidsLimitedRows[] = {orbit::rowIndex(orbit::Row::ArgumentOfPerigee),
                                    orbit::rowIndex(orbit::Row::RAAN)};

// Label1 0..4: "km" on row 0, "deg" on rows 2 to 5.
const int kUnitRowY[5] = {36, 76, 96, 116, 136};

// The window's font, shared by every control: the desktop's family at 11 px
// (the height the rows are laid out for), narrowed as far as needed for every
// row caption to fit its place left of the common edge.
QFont windowFont()
{
    QFont font = QApplication::font();
    font.setPixelSize(11);
    for (int stretch = 100; stretch >= 50; --stretch) {
        font.setStretch(stretch);
        const QFontMetrics metrics(font);
        const bool fits = std::all_of(std::begin(kElementLabels), std::end(kElementLabels),
            [&](const LabelDesign &d) { return metrics.horizontalAdvance(QString::fromLatin1(d.caption)) <= d.width; });
        if (fits)
            break;
    }
    return font;
}

// Ends a wait once the window it watches has been exposed.
class ExposeWatch : public QObject {
public:
    explicit ExposeWatch(QEventLoop &loop) : loop_(loop) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose)
            loop_.quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop &loop_;
};

// Runs the event loop, user input held back, until the window is on the screen
// or `timeout` has passed.
void waitUntilExposed(QWindow *window, int timeout)
{
    const QPointer<QWindow> shown = window;
    QEventLoop loop;
    ExposeWatch watch(loop);
    window->installEventFilter(&watch);
    QTimer late;
    late.setSingleShot(true);
    QObject::connect(&late, &QTimer::timeout, &loop, &QEventLoop::quit);
    const QDeadlineTimer deadline(timeout);
    while (shown && !shown->isExposed() && !deadline.hasExpired()) {
        late.start(int(deadline.remainingTime()));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (shown)
        shown->removeEventFilter(&watch);
}

} // namespace

MainFrm::MainFrm(host::HostLink &link, std::unique_ptr<host::KeySender> keys, QWidget *parent)
    : QWidget(parent), link_(link), keys_(std::move(keys))
{
    setWindowTitle(kCaption);
    // A tool window: small title bar with a close button only, no task-bar entry.
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
                   | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(windowFont());
    const QIcon icon(QStringLiteral(":/velmora/icons/velmora-48.png"));
    if (!icon.isNull())
        setWindowIcon(icon);
    buildControls();
    DescribeControls(*this);
    // A host that stopped answering missed the edits made meanwhile.
    connect(&link_, &host::HostLink::answeringChanged, this, &MainFrm::HostAnswering);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

MainFrm::~MainFrm()
{
    disconnect(&link_, nullptr, this, nullptr);
    // Tearing the controls down moves the focus and can make a list report a
    // pick: no handler may run on a window that is half gone.
    for (QObject *child : findChildren<QObject *>())
        child->disconnect(this);
}

void MainFrm::buildControls()
{
    OrbitSelect = MakeSelector(this, 4, QStringLiteral("Orbit Regime"));
    FrameSelect = MakeSelector(this, 152, QStringLiteral("Reference Frame"));

    for (int i = 0; i < 7; ++i) {
        const LabelDesign &d = kElementLabels[i];
        auto *label = new QLabel(QString::fromLatin1(d.caption), this);
        label->setGeometry(d.x, d.y, d.width, 13);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setToolTip(QString::fromLatin1(d.tip));
        ElementLabel[i] = label;
    }

    for (int i = 0; i < orbit::kElementRows; ++i) {
        auto *bar = new ElementScrollBar(this);
        bar->scrollBar()->setGeometry(104, 32 + 20 * i, 117, 17);
        bar->SetLargeChange(kScrollDesign[i].largeChange);
        bar->SetMin(kScrollDesign[i].min);
        bar->SetMax(kScrollDesign[i].max);
        bar->SetValue(kScrollDesign[i].min);
        connect(bar, &ElementScrollBar::Scroll, this, [this, i] { ElementScroll_Scroll(i); });
        connect(bar, &ElementScrollBar::Change, this, [this, i] { ElementScroll_Change(i); });
        ElementScroll[i] = bar;
    }

    for (int i = 0; i < orbit::kElementRows; ++i) {
        auto *box = new QLineEdit(this);
        box->setGeometry(224, 32 + 20 * i, 41, 17);
        box->setFrame(true);
        // A program write of the same text raises nothing; the handlers only
        // write text that differs when the element differs, so nothing is lost.
        connect(box, &QLineEdit::textChanged, this, [this, i] { ElementValue_Change(i); });
        ElementValue[i] = box;
    }

    for (int u = 0; u < 5; ++u) {
        auto *label = new QLabel(u == 0 ? QStringLiteral("km") : QStringLiteral("deg"), this);
        label->setGeometry(268, kUnitRowY[u], 21, 13);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Label1[u] = label;
    }

    OrbitPeriod = new QLabel(this);
    OrbitPeriod->setGeometry(112, 156, 69, 13);
    OrbitPeriod->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Help = new QCheckBox(QStringLiteral("Help"), this);
    Help->setGeometry(180, 156, 45, 17);
    Help->setChecked(false);

    CloseOT = new QPushButton(QStringLiteral("Go To ZEP"), this);
    CloseOT->setGeometry(224, 156, 65, 21);
    CloseOT->setAutoDefault(false);

    // Above everything until start-up ends; the window clips what lies outside.
    Splash = new QLabel(this);
    Splash->setGeometry(-4, -4, 441, 313);
    Splash->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Splash->setAutoFillBackground(true);
    const QPixmap picture(QStringLiteral(":/velmora/splash.jpg"));
    if (!picture.isNull())
        Splash->setPixmap(picture);
    Splash->raise();

    // A pick from the list is a Click; program selections call the handlers
    // themselves.
    connect(OrbitSelect, &QComboBox::activated, this, [this] { OrbitSelect_Click(); });
    connect(FrameSelect, &QComboBox::activated, this, [this] { FrameSelect_Click(); });
    connect(Help, &QCheckBox::clicked, this, [this] { Help_Click(); });
    connect(CloseOT, &QPushButton::clicked, this, [this] { CloseOT_Click(); });

    QWidget *order[] = {OrbitSelect, FrameSelect,
                        ElementScroll[0]->scrollBar(), ElementScroll[1]->scrollBar(),
                        ElementScroll[2]->scrollBar(), ElementScroll[3]->scrollBar(),
                        ElementScroll[4]->scrollBar(), ElementScroll[5]->scrollBar(),
                        ElementValue[0], ElementValue[1], ElementValue[2],
                        ElementValue[3], ElementValue[4], ElementValue[5],
                        Help, CloseOT};
    for (size_t k = 1; k < std::size(order); ++k)
        setTabOrder(order[k - 1], order[k]);
}

int MainFrm::SelectedIndex(const QComboBox *combo)
{
    const int current = combo->currentIndex();
    if (current < 0 || combo->currentText() != combo->itemText(current))
        return -1;
    return current;
}

void MainFrm::Load()
{
    if (loaded_)
        return;
    loaded_ = true;

    state_.FormLoading = true;
    // On top and visible from here on, so the splash shows while the host starts.
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    show();
    raise();
    // Let the splash reach the screen before the host calls block; user input
    // waits until start-up is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (QWindow *window = windowHandle())
        waitUntilExposed(window, 500);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    orbit::OrbitElements &el = state_.Elements;
    el.SemimajorAxis = 6582;
    el.Eccentricity = el.Inclination = el.ArgumentOfPerigee = el.RAAN = el.TrueAnomaly = 0;
    state_.Pi = 4 * std::atan(1.0);

    if (!link_.ConnectToHost() || link_.ended())
        return;
    host::PrepareScenario(link_);
    if (link_.ended())
        return;
    host::ArrangeHostWindows(link_);
    if (link_.ended())
        return;

    OrbitSelect->addItems(orbit::presetNames());
    OrbitSelect->setCurrentIndex(0);
    OrbitSelect_Click();
    if (link_.ended())
        return;

    FrameSelect->addItems({QStringLiteral("Earth Inertial"), QStringLiteral("Earth Fixed")});
    FrameSelect->setCurrentIndex(0);
    FrameSelect_Click();

    // Two steps around the viewer position leave the view in the frame it had.
    link_.SendHostCommand(aids::kNextReferenceFrame);
    link_.SendHostCommand(kViewerPosition);
    link_.SendHostCommand(aids::kNextReferenceFrame);
    FrameSelect_Click();
    state_.ShownFrameIndex = 0;
    if (link_.ended())
        return;

    for (int i = 0; i < orbit::kElementRows; ++i)
        ElementScroll_Scroll(i);
    if (link_.ended())
        return;

    state_.GeometryAidsFirstUse = true;
    link_.SetCommandSucceeded(false);
    Splash->hide();
    state_.SatelliteColor = orbit::kColorWhite;
    state_.FormLoading = false;
}

void MainFrm::HostAnswering(bool answering)
{
    // The frame and the aids keep a record of what the host shows, and the
    // hand-over needs the host: none of them may act unheard. Edits of the
    // elements go on; they are all in the element set.
    for (QWidget *control : {static_cast<QWidget *>(FrameSelect), static_cast<QWidget *>(Help),
                             static_cast<QWidget *>(CloseOT)})
        control->setEnabled(answering);
    // One state update catches up with the elements as the user left them.
    if (answering && loaded_ && !state_.FormLoading)
        host::ApplyOrbit(link_, state_.Elements, state_.SatelliteColor, *this);
}

void MainFrm::ElementScroll_Scroll(int i)
{
    const orbit::Row row = orbit::Row(i);
    const double k = orbit::positionScale(row);
    const std::optional<float> value = orbit::toSingle(ElementScroll[i]->Value() / k);
    if (value)
        orbit::elementField(state_.Elements, row) = *value;
    // Raises ElementValue_Change(i), which runs to its end inside this write.
    ElementValue[i]->setText(orbit::SingleToText(orbit::elementField(state_.Elements, row)));
    if (orbit::hasAnomaly(row))
        orbit::UpdateMeanAnomaly(state_.Elements, state_.Pi);
}

void MainFrm::ElementScroll_Change(int i)
{
    if (state_.ValueChangeActive)
        return;
    ElementScroll_Scroll(i);
    if (!state_.FormLoading)
        ElementValue[i]->setFocus();
}

void MainFrm::ElementValue_Change(int i)
{
    state_.ValueChangeActive = true;
    const orbit::Row row = orbit::Row(i);
    ElementScrollBar *bar = ElementScroll[i];
    const double k = orbit::positionScale(row);
    const QString text = ElementValue[i]->text();
    setTextColour(i, textInRange(i));

    // What was typed is stored as typed, also out of range; not a number keeps
    // the element.
    if (const std::optional<float> typed = orbit::readSingle(text))
        orbit::elementField(state_.Elements, row) = *typed;

    // The bar refuses a position outside its range; one beyond 32 bits is not tried.
    const double field = orbit::elementField(state_.Elements, row);
    if (const std::optional<qint32> position = orbit::RoundPosition(field * k))
        bar->SetValue(*position);

    if (orbit::hasAnomaly(row))
        orbit::UpdateMeanAnomaly(state_.Elements, state_.Pi);
    state_.ValueChangeActive = false;
    host::ApplyOrbit(link_, state_.Elements, state_.SatelliteColor, *this);
}

bool MainFrm::textInRange(int i) const
{
    // Not a number counts as out of range.
    const ElementScrollBar *bar = ElementScroll[i];
    const double k = orbit::positionScale(orbit::Row(i));
    const std::optional<double> x = orbit::readDouble(ElementValue[i]->text());
    return x && !(*x > bar->Max() / k) && !(*x < bar->Min() / k);
}

void MainFrm::setTextColour(int i, bool inRange)
{
    outOfRange_[i] = !inRange;
    QLineEdit *box = ElementValue[i];
    // In range the box follows the theme's own colours; out of range it sets
    // its text alone, to a red that reads on the theme's field.
    QPalette palette;
    if (!inRange)
        palette.setColor(QPalette::Text, OutOfRangeColour(box->parentWidget()->palette()));
    box->setPalette(palette);
}

void MainFrm::changeEvent(QEvent *event)
{
    // A new theme needs a red of its own for the boxes out of range.
    if (event->type() == QEvent::PaletteChange && ElementValue[0]) {
        for (int i = 0; i < orbit::kElementRows; ++i)
            setTextColour(i, !outOfRange_[i]);
    }
    QWidget::changeEvent(event);
}

QString MainFrm::semimajorAxisText() const
{
    return ElementValue[orbit::rowIndex(orbit::Row::SemimajorAxis)]->text();
}

void MainFrm::setOrbitPeriodCaption(const QString &caption)
{
    OrbitPeriod->setText(caption);
}

void MainFrm::OrbitSelect_Click()
{
    using Member = orbit::ScrollWrite::Member;
    for (const orbit::ScrollWrite &w : orbit::presetWrites(SelectedIndex(OrbitSelect))) {
        ElementScrollBar *bar = ElementScroll[orbit::rowIndex(w.row)];
        switch (w.member) {
        case Member::Max: bar->SetMax(w.value); break;
        case Member::Min: bar->SetMin(w.value); break;
        case Member::Value: bar->SetValue(w.value); break;
        case Member::Enabled: bar->SetEnabled(w.value != 0); break;
        }
    }
}

void MainFrm::FrameSelect_Click()
{
    aids::switchFrame(link_, [this] { return SelectedIndex(FrameSelect); }, state_.ShownFrameIndex);
}

void MainFrm::Help_Click()
{
    // The half-turn limit is for reading the angles, not an edit: an angle
    // beyond it keeps its value (its box turns red, the thumb rests at the
    // end) and its thumb goes back to it when the limit is lifted.
    constexpr auto quietly = ElementScrollBar::Notify::Quietly;
    const bool on = Help->isChecked();
    if (on) {
        aids::hideFrameAxes(link_);
        for (int i : kAidsLimitedRows) {
            ElementScroll[i]->SetMax(aids::kAidsOnAngleMax, quietly);
            ElementScroll[i]->SetToolTipText(aids::kAnglesLimitedTip);
            ElementValue[i]->setToolTip(aids::kAnglesLimitedTip);
        }
    } else {
        FrameSelect_Click();
        for (int i : kAidsLimitedRows) {
            ElementScrollBar *bar = ElementScroll[i];
            bar->SetMax(aids::kAidsOffAngleMax, quietly);
            const orbit::Row row = orbit::Row(i);
            const double position = orbit::elementField(state_.Elements, row) * orbit::positionScale(row);
            if (const std::optional<qint32> p = orbit::RoundPosition(position))
                bar->SetValue(*p, quietly);
            bar->SetToolTipText(QString());
            ElementValue[i]->setToolTip(QString());
        }
    }
    for (int i : kAidsLimitedRows)
        setTextColour(i, textInRange(i));
    const QString verb = state_.GeometryAidsFirstUse ? QStringLiteral("Add") : QStringLiteral("Modify");
    state_.GeometryAidsFirstUse = false;
    aids::sendGeometryAids(link_, verb, on);

    // The aids need an orbit with a perigee. Text that is not a number is the
    // user's unfinished typing: it is left for them to finish.
    QLineEdit *eccentricity = ElementValue[orbit::rowIndex(orbit::Row::Eccentricity)];
    const std::optional<double> e = orbit::readDouble(eccentricity->text());
    if (e && *e < aids::kEccentricityFloor)
        eccentricity->setText(aids::kEccentricityFloorText);
}

void MainFrm::CloseOT_Click()
{
    // Off the top and below every other window; nothing puts it back on top.
    // The window keeps its native window (setWindowFlag would re-create it).
    const Qt::WindowFlags flags = windowFlags() & ~Qt::WindowStaysOnTopHint;
    overrideWindowFlags(flags);
    if (QWindow *handle = windowHandle())
        handle->setFlags(flags);
    show();
    lower();
    if (!keys_)
        keys_ = host::makeKeySender(link_);
    host::handOverToHost(link_, *keys_);
}

} // namespace velmora::toolbar
