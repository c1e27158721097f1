#pragma once
// Late-bound access to the host's automation objects: members are named at run
// time, as the host's contract names them, so that the window logic can run
// against the session bus or against an in-process fake.

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>

namespace velmora::host {

class AutomationObject;
using AutomationRef = std::shared_ptr<AutomationObject>;

// What one member access gave: a plain value, another automation object, or a
// failure with the reason in plain words.
struct Outcome {
    bool ok = false;
    QVariant value;        // bool, int, QString or QStringList
    AutomationRef object;  // set when the member yields an object
    QString error;
    bool unanswered = false;  // the host took no notice within the call's time

    static Outcome success(QVariant value = {})
    {
        return {true, std::move(value), nullptr, {}};
    }
    static Outcome objectResult(AutomationRef object)
    {
        return {true, {}, std::move(object), {}};
    }
    static Outcome failure(QString why) { return {false, {}, nullptr, std::move(why)}; }
    static Outcome noAnswer(QString why) { return {false, {}, nullptr, std::move(why), true}; }
};

class AutomationObject {
public:
    virtual ~AutomationObject() = default;
    virtual Outcome get(const QString &property) = 0;
    virtual Outcome set(const QString &property, const QVariant &value) = 0;
    virtual Outcome call(const QString &method, const QVariantList &args = {}) = 0;
};

// Finds the host application object by the bus name the host owns.
class AutomationSystem {
public:
    virtual ~AutomationSystem() = default;
    // The running host that owns the bus name, or a failure.
    virtual Outcome attach(const QString &busName) = 0;
    // A newly started host that owns the bus name, or a failure.
    virtual Outcome create(const QString &busName) = 0;

    // Both report from the event loop, about the host that attach or create
    // last gave out; without one they report nothing.
    // `gone` runs once when that host has left (an empty function stops it).
    virtual void watchHost(std::function<void()> gone) { (void)gone; }
    // Asks, without waiting, whether the host answers at all; `done` gets the
    // answer, false also when none came in time.
    virtual void probeHost(std::function<void(bool answers)> done) { (void)done; }
    // The process that serves an object this system gave, or 0 when the
    // system cannot tell.
    virtual qint64 processIdOf(const AutomationRef &) { return 0; }
};

} // namespace velmora::host
