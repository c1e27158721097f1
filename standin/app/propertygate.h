#pragma once
// Answers org.freedesktop.DBus.Properties for one bus object in place of Qt's
// built-in handler, which converts a value of the wrong type on Set ("off"
// for a boolean becomes true, a 64-bit number is cut to 32 bits). Here a
// value whose D-Bus type differs from the property's is refused with
// org.freedesktop.DBus.Error.InvalidArgs, and the object's own accessors may
// answer with an error of their own (QDBusContext works in them).
//
// Qt hands a call to an adaptor for its interface before its built-in
// handler, so making the gate a child of the object is all it takes.

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QVariantMap>

namespace zep {

class PropertyGate : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.Properties")
    // Qt describes this interface in every object's introspection already.
    Q_CLASSINFO("D-Bus Introspection", "")
public:
    PropertyGate(QObject *object, QDBusConnection bus);

    // The D-Bus type a value arrived with, e.g. "b", "x", "as".
    static QString signatureOf(const QVariant &value);

public slots:
    QDBusVariant Get(const QString &interface, const QString &name, const QDBusMessage &message);
    void Set(const QString &interface, const QString &name, const QDBusVariant &value, const QDBusMessage &message);
    QVariantMap GetAll(const QString &interface, const QDBusMessage &message);

private:
    struct Found {
        QDBusAbstractAdaptor *adaptor = nullptr;
        int index = -1;
    };
    // The adaptor serving the interface (any, when empty) and the property's index in it.
    Found find(const QString &interface, const QString &name) const;
    QList<QDBusAbstractAdaptor *> adaptors(const QString &interface) const;
    void refuse(const QDBusMessage &message, const QString &error, const QString &why) const;

    QDBusConnection bus_;
};

} // namespace zep
