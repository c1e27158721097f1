// The stub host as a program, for starting a host the way the toolbar does.
// ZEP_STUB_NAME names the bus name to take; ZEP_STUB_MODE "exit" quits at
// once, "silent" stays up a while without taking the name; ZEP_STUB_DELAY
// holds the name back for that many milliseconds. "Quit /" ends it.
#include "stubhost.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!app.arguments().contains(QStringLiteral("--automation")))
        return 2;
    const QString mode = qEnvironmentVariable("ZEP_STUB_MODE");
    if (mode == QLatin1String("exit"))
        return 1;
    // Never outlive a forgotten test for long.
    QTimer::singleShot(mode == QLatin1String("silent") ? 3000 : 60000, &app, &QCoreApplication::quit);
    if (mode == QLatin1String("silent"))
        return app.exec();

    const QString name = qEnvironmentVariable("ZEP_STUB_NAME", QStringLiteral("ZEP.Application"));
    velmora::testing::StubHost host(QDBusConnection::sessionBus(), {QStringLiteral("Messages")});
    host.with([](velmora::testing::FakeHost &fake) {
        fake.afterCommand = [](const QString &line) {
            if (line == QLatin1String("Quit /"))
                QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        };
    });
    QTimer::singleShot(qEnvironmentVariableIntValue("ZEP_STUB_DELAY"), &app, [&host, name] {
        if (!host.publish(name)) {
            std::fprintf(stderr, "stub host: %s is taken\n", qPrintable(name));
            QCoreApplication::exit(1);
        }
    });
    return app.exec();
}
