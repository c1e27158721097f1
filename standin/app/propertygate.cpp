#include "standin/app/propertygate.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QMetaProperty>

namespace zep {

namespace {

QString interfaceOf(const QDBusAbstractAdaptor *adaptor)
{
    const QMetaObject *mo = adaptor->metaObject();
    const int at = mo->indexOfClassInfo("D-Bus Interface");
    return at < 0 ? QString() : QString::fromLatin1(mo->classInfo(at).value());
}

QString described(const QString &interface, const QString &name)
{
    return interface.isEmpty() ? name : interface + u'.' + name;
}

} // namespace

PropertyGate::PropertyGate(QObject *object, QDBusConnection bus) : QDBusAbstractAdaptor(object), bus_(bus)
{
}

QString PropertyGate::signatureOf(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return value.value<QDBusArgument>().currentSignature();
    const char *signature = QDBusMetaType::typeToSignature(value.metaType());
    return signature ? QString::fromLatin1(signature) : QString();
}

QList<QDBusAbstractAdaptor *> PropertyGate::adaptors(const QString &interface) const
{
    QList<QDBusAbstractAdaptor *> found;
    for (QDBusAbstractAdaptor *adaptor : parent()->findChildren<QDBusAbstractAdaptor *>(Qt::FindDirectChildrenOnly)) {
        if (adaptor != this && (interface.isEmpty() || interfaceOf(adaptor) == interface))
            found.append(adaptor);
    }
    return found;
}

PropertyGate::Found PropertyGate::find(const QString &interface, const QString &name) const
{
    for (QDBusAbstractAdaptor *adaptor : adaptors(interface)) {
        const QMetaObject *mo = adaptor->metaObject();
        const int index = mo->indexOfProperty(name.toUtf8().constData());
        if (index >= QDBusAbstractAdaptor::staticMetaObject.propertyCount())
            return {adaptor, index};
    }
    return {};
}

void PropertyGate::refuse(const QDBusMessage &message, const QString &error, const QString &why) const
{
    message.setDelayedReply(true);
    bus_.send(message.createErrorReply(error, why));
}

QDBusVariant PropertyGate::Get(const QString &interface, const QString &name, const QDBusMessage &message)
{
    if (!interface.isEmpty() && adaptors(interface).isEmpty()) {
        refuse(message, QDBusError::errorString(QDBusError::UnknownInterface),
               QStringLiteral("no interface %1 at %2").arg(interface, message.path()));
        return {};
    }
    const Found found = find(interface, name);
    if (!found.adaptor) {
        refuse(message, QDBusError::errorString(QDBusError::UnknownProperty),
               QStringLiteral("no property %1 at %2").arg(described(interface, name), message.path()));
        return {};
    }
    return QDBusVariant(found.adaptor->metaObject()->property(found.index).read(found.adaptor));
}

QVariantMap PropertyGate::GetAll(const QString &interface, const QDBusMessage &message)
{
    const QList<QDBusAbstractAdaptor *> serving = adaptors(interface);
    if (!interface.isEmpty() && serving.isEmpty()) {
        refuse(message, QDBusError::errorString(QDBusError::UnknownInterface),
               QStringLiteral("no interface %1 at %2").arg(interface, message.path()));
        return {};
    }
    QVariantMap all;
    for (QDBusAbstractAdaptor *adaptor : serving) {
        const QMetaObject *mo = adaptor->metaObject();
        for (int i = QDBusAbstractAdaptor::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
            const QMetaProperty property = mo->property(i);
            if (property.isReadable())
                all.insert(QString::fromLatin1(property.name()), property.read(adaptor));
        }
    }
    return all;
}

void PropertyGate::Set(const QString &interface, const QString &name, const QDBusVariant &value,
                       const QDBusMessage &message)
{
    if (!interface.isEmpty() && adaptors(interface).isEmpty()) {
        refuse(message, QDBusError::errorString(QDBusError::UnknownInterface),
               QStringLiteral("no interface %1 at %2").arg(interface, message.path()));
        return;
    }
    const Found found = find(interface, name);
    if (!found.adaptor) {
        refuse(message, QDBusError::errorString(QDBusError::UnknownProperty),
               QStringLiteral("no property %1 at %2").arg(described(interface, name), message.path()));
        return;
    }
    QMetaProperty property = found.adaptor->metaObject()->property(found.index);
    if (!property.isWritable()) {
        refuse(message, QDBusError::errorString(QDBusError::PropertyReadOnly),
               QStringLiteral("%1 is read-only").arg(described(interface, name)));
        return;
    }
    const QString wanted = QString::fromLatin1(QDBusMetaType::typeToSignature(property.metaType()));
    const QString given = signatureOf(value.variant());
    if (given != wanted) {
        refuse(message, QDBusError::errorString(QDBusError::InvalidArgs),
               QStringLiteral("%1 takes a value of D-Bus type \"%2\", not \"%3\"")
                   .arg(described(interface, name), wanted, given));
        return;
    }
    property.write(found.adaptor, value.variant());
}

} // namespace zep
