// The real toolbar on a private X display and session bus: it starts the
// stand-in host, sets it up, and hands it over with "Go To ZEP".
#include <QDeadlineTimer>
#include <QtTest>

#include <QProcess>
#include <QTemporaryDir>

namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(10000))
        return {};
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// Bottom to top.
QStringList stacking()
{
    const QString line = run(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST_STACKING"});
    QStringList ids;
    for (const QString &id : line.section(u'#', 1).split(u',', Qt::SkipEmptyParts))
        ids << QString::number(id.trimmed().toULongLong(nullptr, 16));
    return ids;
}

// The managed window of the given title, or empty.
QString windowNamed(const QString &title)
{
    const QStringList found = run(QStringLiteral("xdotool"), {"search", "--name", "^" + title + "$"})
                                  .split(u'\n', Qt::SkipEmptyParts);
    const QStringList managed = stacking();
    for (const QString &id : found)
        if (managed.contains(id))
            return id;
    return {};
}

// The managed window of that title once two polls in a row agree on it:
// at start-up the toolbar maps its window, then maps it again above the
// others, and for a moment between it is nobody's. A check that looked
// twice could see it and then miss it.
QString waitForWindow(const QString &title, int ms)
{
    QDeadlineTimer deadline(ms);
    QString last;
    while (!deadline.hasExpired()) {
        const QString now = windowNamed(title);
        if (!now.isEmpty() && now == last)
            return now;
        last = now;
        QTest::qWait(50);
    }
    return {};
}

QString focusedWindowName()
{
    return run(QStringLiteral("xdotool"), {"getwindowfocus", "getwindowname"});
}

QString wmProperty(const QString &window, const QString &name)
{
    return run(QStringLiteral("xprop"), {"-id", window, name});
}

QString readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TstToolbarE2E : public QObject {
    Q_OBJECT
private slots:
    void startsTheHostAndHandsItOver()
    {
        const QString bin = qEnvironmentVariable("VELMORA_BUILD_DIR") + QStringLiteral("/bin");
        QVERIFY(QFileInfo::exists(bin + QStringLiteral("/velmora-toolbar")));
        QVERIFY(QFileInfo::exists(qEnvironmentVariable("ZEP_STANDIN")));
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X display");

        QTemporaryDir dir;
        const QString journal = dir.filePath(QStringLiteral("zep.journal"));
        QProcess toolbar;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZEP_JOURNAL"), journal);   // the host it starts records here
        toolbar.setProcessEnvironment(env);
        toolbar.setProcessChannelMode(QProcess::ForwardedChannels);
        toolbar.start(bin + QStringLiteral("/velmora-toolbar"), {});
        QVERIFY(toolbar.waitForStarted());

        // Start-up ends with the sixth state update.
        QTRY_VERIFY_WITH_TIMEOUT(readAll(journal).count(QStringLiteral("cmd SetState ")) == 6, 30000);
        // A sanitizer build on a busy machine may map the window a good while after.
        const QString bar = waitForWindow(QStringLiteral("Velmora Toolbar"), 30000);
        QVERIFY2(!bar.isEmpty(), "the toolbar's window was never managed");
        QTRY_VERIFY_WITH_TIMEOUT(wmProperty(bar, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"), 30000);
        QVERIFY(readAll(journal).contains(QStringLiteral("cmd Vo * ViewerPosition 30 0 100000000")));

        // Press "Go To ZEP" (at 224, 156, 65 x 21 in the client area).
        run(QStringLiteral("xdotool"), {"mousemove", "--window", bar, "256", "166", "click", "1"});

        QTRY_VERIFY_WITH_TIMEOUT(!wmProperty(bar, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(readAll(journal).contains(QStringLiteral("GetZEPVersion /")), 10000);
        // Alt+V then 4 reaches the host's View menu, typed by XTest into the
        // host's window: on X11 the host need not type it itself.
        QTRY_VERIFY2_WITH_TIMEOUT(readAll(journal).contains(QStringLiteral("menu Show all bars and tile")),
                                  qPrintable("focus on " + focusedWindowName() + "\n" + readAll(journal).right(600)),
                                  10000);
        QVERIFY(!readAll(journal).contains(QStringLiteral("SendKeys")));
        // Same windows as before: the toolbar lost its state without being re-created.
        QTRY_COMPARE_WITH_TIMEOUT(windowNamed(QStringLiteral("Velmora Toolbar")), bar, 5000);
        const QString log = readAll(journal);
        QVERIFY(log.contains(QStringLiteral("cmd Application / MenuBar Show")));
        QVERIFY(log.contains(QStringLiteral("cmd VO Scenario/Velmora Annotation Frame Show On")));
        // The toolbar now lies below the host.
        const QString host = windowNamed(QStringLiteral("ZEP"));
        QVERIFY(!host.isEmpty());
        const QStringList order = stacking();
        const qsizetype barAt = order.indexOf(bar), hostAt = order.indexOf(host);
        QVERIFY2(barAt >= 0 && hostAt >= 0 && barAt < hostAt, qPrintable(order.join(u' ') + " toolbar " + bar + " host " + host));
        QCOMPARE(toolbar.state(), QProcess::Running);   // still working

        const QString hostPid = run(QStringLiteral("xdotool"), {"getwindowpid", host});
        toolbar.terminate();
        QVERIFY(toolbar.waitForFinished(10000));
        if (!hostPid.isEmpty())
            run(QStringLiteral("kill"), {hostPid});
    }
};

QTEST_GUILESS_MAIN(TstToolbarE2E)
#include "tst_toolbar_e2e.moc"
