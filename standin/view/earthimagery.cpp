#include "standin/view/earthimagery.h"

#include <algorithm>

namespace zep::view {

QString EarthPictures::credit() const
{
    return photographic ? QStringLiteral("Earth imagery: NASA Visible Earth") : QString();
}

EarthImagery::EarthImagery(QString dayPath, QString nightPath)
    : dayPath_(std::move(dayPath)), nightPath_(std::move(nightPath))
{
}

EarthImagery::~EarthImagery()
{
    if (loaded_.valid())
        loaded_.wait();
}

void EarthImagery::prepare()
{
    start(std::launch::async);
}

std::shared_ptr<const EarthPictures> EarthImagery::pictures()
{
    // A deferred load runs here, in the first caller; later callers wait for it.
    start(std::launch::deferred);
    return loaded_.get();
}

std::shared_ptr<const EarthPictures> EarthImagery::picturesIfReady()
{
    prepare();
    std::lock_guard lock(mutex_);
    if (loaded_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return nullptr;
    return loaded_.get();
}

void EarthImagery::start(std::launch policy)
{
    std::lock_guard lock(mutex_);
    if (loaded_.valid())
        return;
    loaded_ = std::async(policy, [day = dayPath_, night = nightPath_] {
                  return std::make_shared<const EarthPictures>(load(day, night));
              }).share();
}

EarthPictures EarthImagery::load(const QString &dayPath, const QString &nightPath)
{
    EarthPictures p;
    const QImage day(dayPath);
    p.photographic = !day.isNull();
    p.day = mipChain(p.photographic ? day : proceduralGlobe(1024, 512));
    if (p.photographic) {
        const QImage night(nightPath);
        if (!night.isNull())
            p.night = mipChain(night);
    }
    return p;
}

QList<QImage> EarthImagery::mipChain(const QImage &image)
{
    QList<QImage> levels;
    if (image.isNull())
        return levels;
    levels.append(image.convertToFormat(QImage::Format_RGBA8888));
    while (levels.last().width() > 1 || levels.last().height() > 1) {
        const QImage &above = levels.last();
        levels.append(above.scaled(std::max(1, above.width() / 2), std::max(1, above.height() / 2),
                                   Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_RGBA8888));
    }
    return levels;
}

} // namespace zep::view
