// `cmake --install` into a scratch root: every file a desktop finds the programs
// by is there, and the files agree with each other on names and paths.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

// "key=value" lines of one group of a desktop-entry style file.
QMap<QString, QString> readGroup(const QString &path, const QString &group)
{
    QMap<QString, QString> entries;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return entries;
    bool inGroup = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith('['))
            inGroup = line == '[' + group + ']';
        else if (inGroup && line.contains('='))
            entries.insert(line.section('=', 0, 0), line.section('=', 1));
    }
    return entries;
}

} // namespace

class TstPackagingInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir root_;

    // An installed absolute path, as it lies in the scratch root.
    QString staged(const QString &path) const { return root_.path() + path; }
    static QString bindir() { return QStringLiteral(VELMORA_BINDIR); }
    static QString datadir() { return QStringLiteral(VELMORA_DATADIR); }

private slots:
    void initTestCase()
    {
        QVERIFY(root_.isValid());
        const QString build = qEnvironmentVariable("VELMORA_BUILD_DIR");
        QVERIFY2(!build.isEmpty(), "VELMORA_BUILD_DIR is not set");
        QProcess install;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DESTDIR", root_.path());
        install.setProcessEnvironment(env);
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(VELMORA_CMAKE), {"--install", build});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
                 install.readAll().constData());
    }

    void files_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("executable");
        const QString share = datadir();
        QTest::newRow("toolbar") << bindir() + "/velmora-toolbar" << true;
        QTest::newRow("host") << bindir() + "/velmora-zep" << true;
        QTest::newRow("bus service") << share + "/dbus-1/services/ZEP.Application.service" << false;
        QTest::newRow("toolbar entry") << share + "/applications/org.velmora.Toolbar.desktop" << false;
        QTest::newRow("host entry") << share + "/applications/org.velmora.Zep.desktop" << false;
        QTest::newRow("metainfo") << share + "/metainfo/org.velmora.Toolbar.metainfo.xml" << false;
        QTest::newRow("toolbar man page") << QStringLiteral(VELMORA_MANDIR "/man1/velmora-toolbar.1.gz") << false;
        QTest::newRow("host man page") << QStringLiteral(VELMORA_MANDIR "/man1/velmora-zep.1.gz") << false;
        QTest::newRow("credits") << share + "/doc/velmora/CREDITS" << false;
        QTest::newRow("copyright") << share + "/doc/velmora/copyright" << false;
        QTest::newRow("scripting guide") << share + "/doc/velmora/scripting.md" << false;
        QTest::newRow("scripting example") << share + "/doc/velmora/examples/demo.py" << true;
        for (const char *icon : {"velmora", "velmora-zep"})
            for (int size : {48, 64, 128, 256})
                QTest::addRow("icon %s %d", icon, size)
                    << QStringLiteral("%1/icons/hicolor/%2x%2/apps/%3.png").arg(share).arg(size).arg(icon)
                    << false;
    }

    void files()
    {
        QFETCH(QString, path);
        QFETCH(bool, executable);
        const QFileInfo info(staged(path));
        QVERIFY2(info.isFile(), qPrintable(path));
        QVERIFY(info.size() > 0);
        QCOMPARE(info.isExecutable(), executable);
    }

    void busServiceStartsInstalledHostForAutomation()
    {
        const auto service =
            readGroup(staged(datadir() + "/dbus-1/services/ZEP.Application.service"), "D-BUS Service");
        QCOMPARE(service.value("Name"), QStringLiteral("ZEP.Application"));
        const QStringList exec = service.value("Exec").split(' ');
        QCOMPARE(exec, (QStringList{bindir() + "/velmora-zep", "--automation"}));
        // The bus runs Exec as written: an absolute path to what was installed.
        QVERIFY(QFileInfo(exec.first()).isAbsolute());
        QVERIFY(QFileInfo(staged(exec.first())).isExecutable());
    }

    void desktopEntries_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("categories");
        QTest::newRow("toolbar") << "org.velmora.Toolbar.desktop" << "velmora-toolbar" << "velmora"
                                 << "Education;Science;";
        QTest::newRow("host") << "org.velmora.Zep.desktop" << "velmora-zep" << "velmora-zep"
                              << "Science;";
    }

    void desktopEntries()
    {
        QFETCH(QString, file);
        QFETCH(QString, program);
        QFETCH(QString, icon);
        QFETCH(QString, categories);
        const auto entry = readGroup(staged(datadir() + "/applications/" + file), "Desktop Entry");
        QCOMPARE(entry.value("Type"), QStringLiteral("Application"));
        QVERIFY(!entry.value("Name").isEmpty());
        QCOMPARE(entry.value("Terminal"), QStringLiteral("false"));
        // The menu starts the program by name from PATH, so it must be in bindir.
        QCOMPARE(entry.value("Exec"), program);
        QVERIFY(QFileInfo(staged(bindir() + '/' + program)).isExecutable());
        QCOMPARE(entry.value("Icon"), icon);
        QVERIFY(QFileInfo::exists(staged(datadir() + "/icons/hicolor/48x48/apps/" + icon + ".png")));
        QCOMPARE(entry.value("Categories"), categories);
    }

    void metainfoNamesWhatIsInstalled()
    {
        QFile f(staged(datadir() + "/metainfo/org.velmora.Toolbar.metainfo.xml"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&f);
        QString id, launchable, dbus;
        QStringList binaries;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"id")
                id = xml.readElementText();
            else if (xml.name() == u"launchable")
                launchable = xml.readElementText();
            else if (xml.name() == u"binary")
                binaries << xml.readElementText();
            else if (xml.name() == u"dbus")
                dbus = xml.readElementText();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(id, QStringLiteral("org.velmora.Toolbar"));
        // Software centres find the desktop entry by the id.
        QCOMPARE(launchable, id + ".desktop");
        QVERIFY(QFileInfo::exists(staged(datadir() + "/applications/" + launchable)));
        QCOMPARE(binaries, (QStringList{"velmora-toolbar", "velmora-zep"}));
        for (const QString &binary : binaries)
            QVERIFY2(QFileInfo(staged(bindir() + '/' + binary)).isExecutable(), qPrintable(binary));
        QCOMPARE(dbus, QStringLiteral("ZEP.Application"));
    }

    void manPages_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("toolbar") << "velmora-toolbar"
                                 << QStringList{"ZEP.Application", datadir() + "/dbus-1/services"};
        QTest::newRow("host") << "velmora-zep"
                              << QStringList{"--automation", "--journal", "ZEP_JOURNAL",
                                             "/usr/share/xplanet/images/earth.jpg",
                                             datadir() + "/doc/velmora/CREDITS"};
    }

    void manPages()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, mentions);
        QProcess gunzip;
        gunzip.start("gzip", {"-dc", staged(QStringLiteral(VELMORA_MANDIR "/man1/") + page + ".1.gz")});
        QVERIFY(gunzip.waitForFinished(10000));
        QCOMPARE(gunzip.exitCode(), 0);
        // roff writes a hyphen that must not break as "\-".
        const QString text = QString::fromUtf8(gunzip.readAllStandardOutput()).replace("\\-", "-");
        QVERIFY(text.startsWith(".TH " + page.toUpper() + " 1 "));
        for (const QString &mention : mentions)
            QVERIFY2(text.contains(mention), qPrintable(mention));
    }

    void creditsNameTheEarthPicturesOwner()
    {
        QFile f(staged(datadir() + "/doc/velmora/CREDITS"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY(text.contains("earth.jpg"));
        QVERIFY(text.contains("NASA"));
        QVERIFY(text.contains("visibleearth.nasa.gov"));
    }
};

QTEST_GUILESS_MAIN(TstPackagingInstall)
#include "tst_install.moc"
