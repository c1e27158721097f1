// Without a display that can do OpenGL (the "offscreen" platform) the host
// still opens its 3-D window: a plain panel takes the view's place.

#include "standin/view/earthview.h"

#include <QLabel>
#include <QtTest>

class TstViewFallback : public QObject {
    Q_OBJECT
private slots:
    void offscreenHasNoOpenGL()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        QVERIFY(!zep::EarthView::openGLAvailable());
    }

    void panelTakesTheViewsPlace()
    {
        zep::ScenarioStore store;
        zep::AnimationClock clock;
        QWidget window;
        QWidget *view = zep::createEarthView(store, clock, &window);
        QVERIFY(view);
        QCOMPARE(view->parentWidget(), &window);
        QVERIFY(!qobject_cast<zep::EarthView *>(view));
        auto *label = qobject_cast<QLabel *>(view);
        QVERIFY(label && label->text().contains(QStringLiteral("OpenGL")));
        window.show();
        // Commands keep arriving: nothing listens, nothing breaks.
        store.publish(std::make_shared<const zep::Snapshot>());
        clock.setNow(zep::astro::Instant{100});
        QCoreApplication::processEvents();
        QVERIFY(view->isVisible());
    }
};

QTEST_MAIN(TstViewFallback)
#include "tst_viewfallback.moc"
