// Sends ApplyOrbit-like triples (time period, epoch, state) to a running host
// as fast as one client can, like a user dragging the semi-major axis, and
// reports the round trip per triple and the state updates per second.
//
//   bench_standin_triples [SECONDS]     (default 10; a host must own ZEP.Application)

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QDBusMessage execute(const QString &line)
{
    QDBusMessage m = QDBusMessage::createMethodCall("ZEP.Application", "/Application/Personality",
                                                    "ZEP.Personality", "ExecuteCommand");
    m.setArguments({line});
    return QDBusConnection::sessionBus().call(m);
}

QString first(const QDBusMessage &reply)
{
    return reply.arguments().value(0).toStringList().value(0);
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? QString(argv[1]).toDouble() : 10.0;

    if (first(execute("CheckScenario /")) != "1")
        execute("New / Scenario Velmora");
    {
        const QString q = "\"";
        for (const QString &line : {
                 "SetTimePeriod Scenario/Velmora " + q + "1 Jul 2005 12:00:00.00" + q + " " + q + "4 Jul 2005 12:00:00.00" + q,
                 "SetEpoch Scenario/Velmora " + q + "1 Jul 2005 12:00:00.00" + q,
                 QString("New / Scenario/Velmora/Satellite Satellite"),
                 QString("VO Scenario/Velmora/Satellite/Satellite Pass OrbitLead All"),
                 "VO Scenario/Velmora/Satellite/Satellite DynDataText DataDisplay " + q + "Classical Orbit Elements" + q + " Show On",
             }) {
            const QDBusMessage r = execute(line);
            if (r.type() != QDBusMessage::ReplyMessage) {
                std::fprintf(stderr, "set-up refused: %s: %s\n", qPrintable(line), qPrintable(r.errorMessage()));
                return 1;
            }
        }
    }

    std::vector<double> triples;
    QElapsedTimer total;
    total.start();
    int axisKm = 6582;
    int failures = 0;
    while (total.elapsed() < seconds * 1000) {
        QElapsedTimer one;
        one.start();
        QString period = first(execute("GetTimePeriod Scenario/Velmora"));
        period.remove(',');
        const QString epoch = first(execute("GetEpoch Scenario/Velmora"));
        const QString state = QString("SetState Scenario/Velmora/Satellite/Satellite Classical TwoBody %1 60 J2000 \"%2\" %3 0.01 28.5 0 0 0")
                                  .arg(period, epoch, QString::number(axisKm * 1000.0, 'g', 7));
        if (execute(state).type() != QDBusMessage::ReplyMessage)
            ++failures;
        triples.push_back(double(one.nsecsElapsed()) / 1e6);
        axisKm = axisKm >= 50000 ? 6582 : axisKm + 1;
    }
    const double elapsed = double(total.nsecsElapsed()) / 1e9;
    std::printf("triples: %zu in %.2f s, refused %d\n", triples.size(), elapsed, failures);
    std::printf("triple round trip: median %.3f ms, p99 %.3f ms, max %.3f ms\n", percentile(triples, 0.5),
                percentile(triples, 0.99), percentile(triples, 1.0));
    std::printf("state updates per second: %.0f\n", double(triples.size()) / elapsed);
    return failures == 0 ? 0 : 2;
}
