// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GnomeShellExtensions.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
// The shell's own object; the name org.gnome.Shell.Extensions belongs to the Extensions app.
const QString service = QStringLiteral("org.gnome.Shell");
const QString path = QStringLiteral("/org/gnome/Shell");
const QString interface = QStringLiteral("org.gnome.Shell.Extensions");
constexpr int timeoutMs = 5000;
} // namespace

GnomeShellExtensions::GnomeShellExtensions(BusConnections &buses, QObject *parent) : QObject(parent), m_buses(buses)
{}

GnomeShellExtensions::State GnomeShellExtensions::stateOf(const QVariantMap &info)
{
    if (info.isEmpty())
        return State::NotInstalled;
    // ENABLED 1, DISABLED 2, ERROR 3, OUT_OF_DATE 4, DOWNLOADING 5, INITIALIZED 6 (loaded,
    // never turned on), UNINSTALLED 99.
    switch (int(info.value(QStringLiteral("state")).toDouble())) {
    case 1: return State::On;
    case 2:
    case 6: return State::Off;
    case 99: return State::NotInstalled;
    default: return State::Broken;
    }
}

void GnomeShellExtensions::query(const QString &uuid, std::function<void(State)> onAnswer)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetExtensionInfo"));
    call << uuid;
    auto *watcher =
        new QDBusPendingCallWatcher(m_buses.connection(BusConnections::Bus::Session).asyncCall(call, timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, onAnswer = std::move(onAnswer)] {
        watcher->deleteLater();
        const QDBusPendingReply<QVariantMap> reply = *watcher;
        onAnswer(reply.isError() ? State::Unknown : stateOf(reply.value()));
    });
}

void GnomeShellExtensions::enable(const QString &uuid, std::function<void(bool)> onDone)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("EnableExtension"));
    call << uuid;
    auto *watcher =
        new QDBusPendingCallWatcher(m_buses.connection(BusConnections::Bus::Session).asyncCall(call, timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, onDone = std::move(onDone)] {
        watcher->deleteLater();
        const QDBusPendingReply<bool> reply = *watcher;
        onDone(!reply.isError() && reply.value());
    });
}
