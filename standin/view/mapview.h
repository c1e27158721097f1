#pragma once
// The scenario's map window: the Earth's picture as a flat map with a
// labelled latitude/longitude grid, every satellite's ground track one
// revolution either side of now with its current sub-point and name, and the
// kept orbits, drawn on demand from the store's latest snapshot like the 3-D
// view.

#include "standin/model/clock.h"
#include "standin/model/store.h"
#include "standin/view/earthimagery.h"

#include <QRectF>
#include <QWidget>

#include <memory>

namespace zep {

class MapView : public QWidget {
    Q_OBJECT
public:
    // Without imagery of the host's, the map loads the pictures itself.
    MapView(ScenarioStore &store, AnimationClock &clock, std::shared_ptr<view::EarthImagery> imagery = nullptr,
            QWidget *parent = nullptr);
    ~MapView() override;

    // Where the map sits in the widget (2:1, centred).
    QRectF mapRect() const;
    // The revision of the snapshot that the last frame showed.
    quint64 drawnRevision() const;
    // False until the Earth's picture has been read; the map is plain until then.
    bool pictureReady() const;

signals:
    void frameDrawn(double milliseconds);

public slots:
    void updateMap();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zep
