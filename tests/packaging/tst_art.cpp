// The splash picture and the icons as the toolbar and the desktop need them.
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QtTest>

namespace {

const QString kResources = QStringLiteral(VELMORA_SOURCE_DIR "/resources/");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The frame markers (SOFn) before the first scan: C0 is baseline, C2 progressive.
QList<int> jpegFrameMarkers(const QByteArray &data)
{
    QList<int> markers;
    if (data.size() < 4 || uchar(data[0]) != 0xFF || uchar(data[1]) != 0xD8)
        return markers;
    qsizetype pos = 2;
    while (pos + 4 <= data.size()) {
        if (uchar(data[pos]) != 0xFF)
            return {};
        const int marker = uchar(data[pos + 1]);
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xDA) // start of scan: no frame header follows
            break;
        const int length = (uchar(data[pos + 2]) << 8) | uchar(data[pos + 3]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            markers.append(marker);
        pos += 2 + length;
    }
    return markers;
}

int distinctColours(const QImage &image)
{
    QSet<QRgb> colours;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            colours.insert(argb.pixel(x, y));
    return int(colours.size());
}

} // namespace

class TstPackagingArt : public QObject
{
    Q_OBJECT

private slots:
    void splashIsBaselineJpegOfWindowSize()
    {
        const QString path = kResources + "splash.jpg";
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.size(), QSize(297, 189));
        const QList<int> frames = jpegFrameMarkers(readAll(path));
        QCOMPARE(frames, QList<int>{0xC0});
        const QImage image(path);
        QVERIFY(!image.isNull());
        // A picture, not a blank: the dark sky, the globe, the orbit and the lettering.
        QVERIFY(distinctColours(image) > 1000);
    }

    void icons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        for (const char *name : {"velmora", "velmora-zep"})
            for (int size : {48, 64, 128, 256})
                QTest::addRow("%s-%d", name, size) << QString::fromLatin1(name) << size;
    }

    void icons()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        const QString path = kResources + "icons/" + name + '-' + QString::number(size) + ".png";
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("png"));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.size(), QSize(size, size));
        // Themes draw icons on any background: the corners must let it through,
        // the middle must not.
        QVERIFY(image.hasAlphaChannel());
        for (const QPoint corner : {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1),
                                    QPoint(size - 1, size - 1)})
            QCOMPARE(qAlpha(image.pixel(corner)), 0);
        QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
    }

    void windowIconsHaveSixteenColourPalettes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("toolbar") << "velmora";
        QTest::newRow("stand-in host") << "velmora-zep";
    }

    void windowIconsHaveSixteenColourPalettes()
    {
        QFETCH(QString, name);
        const QString path = kResources + "icons/" + name + "-48.png";
        const QByteArray data = readAll(path);
        // IHDR follows the 8-byte signature: length, type, width, height, depth, colour type.
        QVERIFY(data.size() > 26);
        QCOMPARE(data.mid(12, 4), QByteArray("IHDR"));
        QCOMPARE(int(uchar(data[25])), 3); // indexed colour
        QVERIFY(int(uchar(data[24])) <= 4); // at most 16 palette entries addressable
        const QImage image(path);
        QCOMPARE(image.size(), QSize(48, 48));
        QVERIFY(image.colorCount() <= 16);
        QVERIFY(distinctColours(image) <= 16);
        QVERIFY(distinctColours(image) >= 8); // still a picture after the reduction
    }
};

QTEST_GUILESS_MAIN(TstPackagingArt)
#include "tst_art.moc"
