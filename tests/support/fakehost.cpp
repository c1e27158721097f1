#include "tests/support/fakehost.h"

#include <utility>

namespace velmora::testing {

using host::AutomationObject;
using host::AutomationRef;
using host::Outcome;

namespace {

QString show(const QVariant &v)
{
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return v.toString();
}

Outcome unknown(const QString &member)
{
    return Outcome::failure(QStringLiteral("no member %1").arg(member));
}

class FakePersonality : public AutomationObject {
public:
    explicit FakePersonality(FakeHost &h) : host_(h) {}
    Outcome get(const QString &p) override { return unknown(p); }
    Outcome set(const QString &p, const QVariant &) override { return unknown(p); }
    Outcome call(const QString &m, const QVariantList &args) override
    {
        if (m != QLatin1String("ExecuteCommand") || args.size() != 1)
            return unknown(m);
        return host_.execute(args.first().toString());
    }

private:
    FakeHost &host_;
};

// A window object stays bound to the window it was taken for, as on the bus.
class FakeWindow : public AutomationObject {
public:
    FakeWindow(FakeHost &h, int id) : host_(h), id_(id) {}
    Outcome get(const QString &p) override
    {
        FakeHost::Window *w = find();
        if (!w)
            return Outcome::failure(QStringLiteral("window gone"));
        if (p == QLatin1String("WindowState"))
            return Outcome::success(w->state);
        if (p != QLatin1String("Caption"))
            return unknown(p);
        host_.log << QStringLiteral("get Caption %1").arg(id_);
        if (w->captionFails)
            return Outcome::failure(QStringLiteral("caption unreadable"));
        return Outcome::success(w->caption);
    }
    Outcome set(const QString &p, const QVariant &v) override
    {
        FakeHost::Window *w = find();
        if (!w)
            return Outcome::failure(QStringLiteral("window gone"));
        if (p != QLatin1String("WindowState"))
            return unknown(p);
        host_.log << QStringLiteral("set WindowState %1 of %2").arg(show(v), w->caption);
        if (w->stateFails)
            return Outcome::failure(QStringLiteral("state refused"));
        w->state = v.toInt();
        return Outcome::success();
    }
    Outcome call(const QString &m, const QVariantList &) override
    {
        FakeHost::Window *w = find();
        if (!w)
            return Outcome::failure(QStringLiteral("window gone"));
        if (m != QLatin1String("Close"))
            return unknown(m);
        host_.log << QStringLiteral("close %1").arg(w->caption);
        if (w->closeFails)
            return Outcome::failure(QStringLiteral("close refused"));
        host_.windows.removeAt(index());
        if (host_.afterClose)
            host_.afterClose(host_);
        return Outcome::success();
    }

private:
    int index() const { return id_ < host_.windows.size() ? id_ : -1; }
    FakeHost::Window *find() { return index() >= 0 ? &host_.windows[index()] : nullptr; }

    FakeHost &host_;
    int id_;  // the index it was taken at; windows do not keep ids in this fake
};

class FakeWindows : public AutomationObject {
public:
    explicit FakeWindows(FakeHost &h) : host_(h) {}
    Outcome get(const QString &p) override
    {
        if (p != QLatin1String("Count"))
            return unknown(p);
        host_.log << QStringLiteral("get Count");
        if (host_.failingMembers.contains(p))
            return Outcome::failure(QStringLiteral("refused: %1").arg(p));
        return Outcome::success(int(host_.windows.size()));
    }
    Outcome set(const QString &p, const QVariant &) override { return unknown(p); }
    Outcome call(const QString &m, const QVariantList &args) override
    {
        if (m == QLatin1String("Item") && args.size() == 1) {
            const int i = args.first().toInt();
            if (i < 0 || i >= host_.windows.size())
                return Outcome::failure(QStringLiteral("no window %1").arg(i));
            return Outcome::objectResult(std::make_shared<FakeWindow>(host_, i));
        }
        if (m == QLatin1String("Arrange") && args.size() == 1) {
            host_.log << QStringLiteral("call Arrange %1").arg(show(args.first()));
            if (host_.failingMembers.contains(m))
                return Outcome::failure(QStringLiteral("refused: %1").arg(m));
            return Outcome::success();
        }
        return unknown(m);
    }

private:
    FakeHost &host_;
};

class FakeApp : public AutomationObject {
public:
    explicit FakeApp(FakeHost &h) : host_(h) {}
    Outcome get(const QString &p) override
    {
        if (p == QLatin1String("Personality")) {
            if (host_.personalityFails)
                return Outcome::failure(QStringLiteral("no personality"));
            return Outcome::objectResult(std::make_shared<FakePersonality>(host_));
        }
        if (p == QLatin1String("Windows"))
            return Outcome::objectResult(std::make_shared<FakeWindows>(host_));
        if (p == QLatin1String("Visible"))
            return Outcome::success(host_.visible);
        if (p == QLatin1String("UserControl"))
            return Outcome::success(host_.userControl);
        if (p == QLatin1String("WindowState"))
            return Outcome::success(host_.windowState);
        return unknown(p);
    }
    Outcome set(const QString &p, const QVariant &v) override
    {
        host_.log << QStringLiteral("set %1 %2").arg(p, show(v));
        if (host_.failingMembers.contains(p))
            return Outcome::failure(QStringLiteral("refused: %1").arg(p));
        if (p == QLatin1String("Visible"))
            host_.visible = v.toBool();
        else if (p == QLatin1String("UserControl"))
            host_.userControl = v.toBool();
        else if (p == QLatin1String("WindowState"))
            host_.windowState = v.toInt();
        else
            return unknown(p);
        return Outcome::success();
    }
    Outcome call(const QString &m, const QVariantList &args) override
    {
        QStringList shown;
        for (const QVariant &a : args)
            shown << show(a);
        host_.log << QStringLiteral("call %1 %2").arg(m, shown.join(u' ')).trimmed();
        if (host_.failingMembers.contains(m))
            return Outcome::failure(QStringLiteral("refused: %1").arg(m));
        if (m == QLatin1String("Activate") || m == QLatin1String("SendKeys"))
            return Outcome::success();
        return unknown(m);
    }

private:
    FakeHost &host_;
};

} // namespace

FakeHost::FakeHost()
{
    replies.insert(QStringLiteral("CheckScenario /"), {QStringLiteral("0")});
    replies.insert(QStringLiteral("GetZEPVersion /"), {QStringLiteral("ZEP v7.0 (stand-in)")});
    replies.insert(QStringLiteral("GetTimePeriod Scenario/Velmora"),
                   {QStringLiteral("\"1 Jul 2005 12:00:00.00\", \"4 Jul 2005 12:00:00.00\"")});
    replies.insert(QStringLiteral("GetEpoch Scenario/Velmora"),
                   {QStringLiteral("1 Jul 2005 12:00:00.00")});
}

AutomationRef FakeHost::app()
{
    if (!app_)
        app_ = std::make_shared<FakeApp>(*this);
    return app_;
}

Outcome FakeHost::attach(const QString &busName)
{
    log << QStringLiteral("attach %1").arg(busName);
    if (!running)
        return Outcome::failure(QStringLiteral("no running host"));
    return Outcome::objectResult(app());
}

Outcome FakeHost::create(const QString &busName)
{
    log << QStringLiteral("create %1").arg(busName);
    if (!creatable)
        return Outcome::failure(QStringLiteral("cannot start a host"));
    running = true;
    return Outcome::objectResult(app());
}

void FakeHost::probeHost(std::function<void(bool)> done)
{
    ++probes;
    probe_ = std::move(done);
}

void FakeHost::resume()
{
    hung = false;
    if (auto done = std::exchange(probe_, nullptr))
        done(true);
}

void FakeHost::failProbe()
{
    if (auto done = std::exchange(probe_, nullptr))
        done(false);
}

void FakeHost::goAway()
{
    running = false;
    if (gone_)
        gone_();
}

Outcome FakeHost::execute(const QString &line)
{
    if (hung) {
        log << QStringLiteral("unanswered %1").arg(line);
        return Outcome::noAnswer(QStringLiteral("no answer: %1").arg(line));
    }
    commands << line;
    log << QStringLiteral("cmd %1").arg(line);
    Outcome result = failing.contains(line)
        ? Outcome::failure(QStringLiteral("refused: %1").arg(line))
        : Outcome::success(replies.value(line));
    if (afterCommand)
        afterCommand(line);
    return result;
}

} // namespace velmora::testing
