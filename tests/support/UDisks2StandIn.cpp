// SPDX-License-Identifier: GPL-3.0-or-later
#include "UDisks2StandIn.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QThread>

namespace {
const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");
} // namespace

UDisks2StandIn::UDisks2StandIn() {
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    if (!m_daemon.waitForStarted() || !m_daemon.waitForReadyRead(10000)) {
        m_error = QStringLiteral("dbus-daemon did not start: ") + m_daemon.errorString();
        return;
    }
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    m_connectionName = QStringLiteral("udisks2-stand-in-%1").arg(quintptr(this));
    QDBusConnection connection = QDBusConnection::connectToBus(m_address, m_connectionName);
    if (!connection.isConnected()) {
        m_error = QStringLiteral("cannot connect to ") + m_address;
        return;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
    m_service.setProcessEnvironment(env);
    m_service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's dbusmock lives beside Debian's own interpreter.
    m_service.start(QStringLiteral("/usr/bin/python3"), {"-m", "dbusmock", "--system", "--template",
                                                         QStringLiteral(RUVEX_UDISKS2_STAND_IN)});
    if (!m_service.waitForStarted() || !waitForService(15000))
        m_error = QStringLiteral("the stand-in UDisks2 did not come up (python3-dbusmock?)");
}

UDisks2StandIn::~UDisks2StandIn() {
    for (QProcess* p : {&m_service, &m_daemon}) {
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(3000)) {
                p->kill();
                p->waitForFinished();
            }
        }
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
}

QDBusConnection UDisks2StandIn::bus() const {
    return QDBusConnection(m_connectionName);
}

bool UDisks2StandIn::waitForService(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (bus().interface()->isServiceRegistered(kService))
            return true;
        if (m_service.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(50);
    }
    return false;
}

QString UDisks2StandIn::setVolumes(const QJsonArray& volumes) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, QStringLiteral("/org/freedesktop/UDisks2"), kMock, QStringLiteral("SetVolumes"));
    call << QString::fromUtf8(QJsonDocument(volumes).toJson(QJsonDocument::Compact));
    const QDBusMessage reply = bus().call(call, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage ? QString() : reply.errorMessage();
}

QList<QVariantList> UDisks2StandIn::methodCalls(const QString& path, const QString& method) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, path, kMock, QStringLiteral("GetMethodCalls"));
    call << method;
    const QDBusMessage reply = bus().call(call, QDBus::Block, 10000);
    QList<QVariantList> calls;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return calls;
    // a(tav): the time of each call and its arguments.
    const QDBusArgument list = reply.arguments().first().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        qulonglong time = 0;
        QVariantList args;
        list.beginStructure();
        list >> time;
        list.beginArray();
        while (!list.atEnd()) {
            QDBusVariant v;
            list >> v;
            args << v.variant();
        }
        list.endArray();
        list.endStructure();
        calls << args;
    }
    list.endArray();
    return calls;
}

void UDisks2StandIn::stopService() {
    m_service.terminate();
    m_service.waitForFinished(3000);
    QDeadlineTimer deadline(5000);
    while (bus().interface()->isServiceRegistered(kService) && !deadline.hasExpired())
        QThread::msleep(50);
}
