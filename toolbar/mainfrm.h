#pragma once
// MainFrm, the toolbar window: the element rows, the two selectors, the aids
// switch and the hand-over button, and the start-up that its Load runs.

#include "host/handover.h"
#include "host/hostlink.h"
#include "host/orbitupdate.h"
#include "toolbar/elementscroll.h"
#include "toolbar/toolbarstate.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora::toolbar {

inline const QString kCaption = QStringLiteral("Velmora Toolbar");
inline constexpr int kClientWidth = 293;
inline constexpr int kClientHeight = 183;
inline constexpr int kLabelRightEdge = 101;   // common right edge of the row captions

class MainFrm : public QWidget, private host::OrbitDisplay {
    Q_OBJECT
public:
    // Without a key sender, the host types the hand-over's keys itself.
    explicit MainFrm(host::HostLink &link, std::unique_ptr<host::KeySender> keys = nullptr,
                     QWidget *parent = nullptr);
    ~MainFrm() override;

    // The start-up: shows the window on top, connects and prepares the host,
    // fills the selectors and pushes the first orbit. Runs once.
    void Load();

    // Event handlers; the element ones take the row index 0..5.
    void ElementScroll_Scroll(int i);
    void ElementScroll_Change(int i);
    void ElementValue_Change(int i);
    void OrbitSelect_Click();
    void FrameSelect_Click();
    void Help_Click();
    void CloseOT_Click();
    // The host stopped answering, or answers again: what would talk to it is
    // greyed out meanwhile, and on its return it gets the current orbit.
    void HostAnswering(bool answering);

    ToolbarState &state() { return state_; }
    const ToolbarState &state() const { return state_; }

    // The selected entry of a selector: its current entry while its text still
    // shows that entry, else -1 (text typed into the field selects nothing).
    static int SelectedIndex(const QComboBox *combo);

    // Controls, named as the handlers name them.
    QComboBox *OrbitSelect = nullptr;
    QComboBox *FrameSelect = nullptr;
    std::array<QLabel *, 7> ElementLabel{};
    std::array<ElementScrollBar *, orbit::kElementRows> ElementScroll{};
    std::array<QLineEdit *, orbit::kElementRows> ElementValue{};
    std::array<QLabel *, 5> Label1{};
    QLabel *OrbitPeriod = nullptr;
    QLabel *Splash = nullptr;
    QCheckBox *Help = nullptr;
    QPushButton *CloseOT = nullptr;

private:
    QString semimajorAxisText() const override;
    void setOrbitPeriodCaption(const QString &caption) override;

    void buildControls();
    void changeEvent(QEvent *event) override;
    // Whether box i reads as a number within its bar's current limits.
    bool textInRange(int i) const;
    void setTextColour(int i, bool inRange);

    host::HostLink &link_;
    std::unique_ptr<host::KeySender> keys_;
    ToolbarState state_;
    std::array<bool, orbit::kElementRows> outOfRange_{};
    bool loaded_ = false;
};

} // namespace velmora::toolbar
