#pragma once
// The Earth's day and night pictures, decoded once and shared by every view
// that shows the Earth. Decoding the 2048 x 1024 pictures and building their
// mipmap chains costs several frames: prepare() does it on a pool thread while
// the host is still hidden, and a view that asks before it is done waits only
// for the rest. Any thread.

#include "standin/view/globe.h"

#include <QImage>
#include <QList>
#include <QString>

#include <future>
#include <memory>
#include <mutex>

namespace zep::view {

struct EarthPictures {
    // Mipmap levels in RGBA8888, full size first, down to 1 x 1. The day
    // chain is never empty: without a picture it holds the drawn globe.
    QList<QImage> day;
    QList<QImage> night;  // empty without a night picture
    bool photographic = false;

    QImage dayImage() const { return day.value(0); }
    // What the picture asks to be credited with; empty for the drawn globe.
    QString credit() const;
};

class EarthImagery {
public:
    explicit EarthImagery(QString dayPath = QString::fromLatin1(kDayImagePath),
                          QString nightPath = QString::fromLatin1(kNightImagePath));
    ~EarthImagery();  // waits for a load in flight
    EarthImagery(const EarthImagery &) = delete;
    EarthImagery &operator=(const EarthImagery &) = delete;

    // Starts the load on another thread; a second call does nothing.
    void prepare();
    // The pictures, loading them on this thread if prepare() was not called.
    std::shared_ptr<const EarthPictures> pictures();
    // The pictures if they are ready, else null after starting the load: for
    // painters that must not wait.
    std::shared_ptr<const EarthPictures> picturesIfReady();

    // The whole load, on the calling thread.
    static EarthPictures load(const QString &dayPath, const QString &nightPath);
    // `image` and its halvings down to 1 x 1, in RGBA8888.
    static QList<QImage> mipChain(const QImage &image);

private:
    void start(std::launch policy);

    const QString dayPath_, nightPath_;
    std::mutex mutex_;
    std::shared_future<std::shared_ptr<const EarthPictures>> loaded_;
};

} // namespace zep::view
