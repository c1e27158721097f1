#pragma once
// Frames drawn off screen and painted onto the view as pictures, for where a
// native window would not show.

#include "standin/view/presenter.h"

class QWidget;

namespace zep::view {

class PicturePresenter final : public Presenter {
public:
    PicturePresenter(QWidget &view, Frames &frames);
    void requestFrame() override;
    bool paint() override;

private:
    QWidget &view_;
    Frames &frames_;
};

} // namespace zep::view
