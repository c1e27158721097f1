// The platform both programs ask Qt for, from the session's environment.
#include "desktop/platformchoice.h"

#include <QtTest>

class TstDesktopPlatformChoice : public QObject {
    Q_OBJECT
private slots:
    void choosesX11UnderWaylandOnlyWhenUnchosen_data();
    void choosesX11UnderWaylandOnlyWhenUnchosen();
};

void TstDesktopPlatformChoice::choosesX11UnderWaylandOnlyWhenUnchosen_data()
{
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QString>("x11");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("platform");
    QTest::newRow("wayland with xwayland") << "wayland-0" << ":0" << "" << "xcb;wayland";
    QTest::newRow("user chose wayland") << "wayland-0" << ":0" << "wayland" << "";
    QTest::newRow("user chose offscreen") << "wayland-0" << ":0" << "offscreen" << "";
    QTest::newRow("user chose xcb") << "wayland-0" << ":0" << "xcb" << "";
    QTest::newRow("wayland alone") << "wayland-0" << "" << "" << "";
    QTest::newRow("plain x11") << "" << ":0" << "" << "";
    QTest::newRow("no display at all") << "" << "" << "" << "";
}

void TstDesktopPlatformChoice::choosesX11UnderWaylandOnlyWhenUnchosen()
{
    QFETCH(QString, wayland);
    QFETCH(QString, x11);
    QFETCH(QString, chosen);
    QFETCH(QString, platform);
    const std::string w = wayland.toStdString(), x = x11.toStdString(), c = chosen.toStdString();
    const std::string_view got = velmora::desktop::ChoosePlatform({w, x, c});
    QCOMPARE(QString::fromUtf8(got.data(), qsizetype(got.size())), platform);
}

QTEST_APPLESS_MAIN(TstDesktopPlatformChoice)
#include "tst_platformchoice.moc"
