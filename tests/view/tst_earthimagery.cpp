// The Earth's pictures load once, off the GUI thread or on it with the same
// result, and always leave a view something to show.

#include "standin/view/earthimagery.h"

#include <QTemporaryDir>
#include <QtTest>

using zep::view::EarthImagery;
using zep::view::EarthPictures;

namespace {

QImage pattern(int w, int h, int seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 7 + seed) % 256, (y * 13 + seed) % 256, (x * y + seed) % 256));
    return img;
}

} // namespace

class TestEarthImagery : public QObject {
    Q_OBJECT
private slots:
    void loads_data()
    {
        QTest::addColumn<bool>("day");
        QTest::addColumn<bool>("night");
        QTest::addColumn<bool>("photographic");
        QTest::addColumn<int>("nightLevels");
        QTest::newRow("day and night") << true << true << true << 7;
        QTest::newRow("day alone") << true << false << true << 0;
        QTest::newRow("no day: the drawn globe, no night") << false << true << false << 0;
    }

    void loads()
    {
        QFETCH(bool, day);
        QFETCH(bool, night);
        QFETCH(bool, photographic);
        QFETCH(int, nightLevels);
        QTemporaryDir dir;
        const QString dayPath = dir.filePath(QStringLiteral("day.png"));
        const QString nightPath = dir.filePath(QStringLiteral("night.png"));
        if (day)
            QVERIFY(pattern(64, 32, 1).save(dayPath));
        if (night)
            QVERIFY(pattern(64, 32, 2).save(nightPath));

        EarthImagery prepared(dayPath, nightPath);
        prepared.prepare();
        const auto offThread = prepared.pictures();
        const EarthPictures here = EarthImagery::load(dayPath, nightPath);

        QCOMPARE(offThread->photographic, photographic);
        QCOMPARE(offThread->credit().isEmpty(), !photographic);
        QCOMPARE(int(offThread->night.size()), nightLevels);
        QVERIFY(!offThread->day.isEmpty());
        QCOMPARE(offThread->day, here.day);
        QCOMPARE(offThread->night, here.night);
        if (photographic)
            QCOMPARE(offThread->dayImage(), pattern(64, 32, 1).convertToFormat(QImage::Format_RGBA8888));
        // Computed once: every view shares the one result.
        QCOMPARE(prepared.pictures().get(), offThread.get());
    }

    void mipChainHalvesDownToOnePixel_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("levels");
        QTest::newRow("2:1") << QSize(64, 32) << 7;
        QTest::newRow("odd") << QSize(5, 3) << 3;
        QTest::newRow("one pixel") << QSize(1, 1) << 1;
    }

    void mipChainHalvesDownToOnePixel()
    {
        QFETCH(QSize, size);
        QFETCH(int, levels);
        const QList<QImage> chain = EarthImagery::mipChain(pattern(size.width(), size.height(), 3));
        QCOMPARE(int(chain.size()), levels);
        QCOMPARE(chain.first().size(), size);
        QCOMPARE(chain.last().size(), QSize(1, 1));
        for (int i = 1; i < int(chain.size()); ++i) {
            QCOMPARE(chain[i].width(), qMax(1, chain[i - 1].width() / 2));
            QCOMPARE(chain[i].height(), qMax(1, chain[i - 1].height() / 2));
        }
        for (const QImage &level : chain)
            QCOMPARE(level.format(), QImage::Format_RGBA8888);
    }
};

QTEST_MAIN(TestEarthImagery)
#include "tst_earthimagery.moc"
