// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StatusNotifierItem.h"

#include "platform/DBusMenuExporter.h"
#include "platform/StatusNotifierItemAdaptor.h"
#include "wake/Logging.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QImage>
#include <QTimer>
#include <QtEndian>

namespace {
const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString itemPath = QStringLiteral("/StatusNotifierItem");

SniIconPixmapList toPixmaps(const QIcon &icon)
{
    SniIconPixmapList list;
    if (icon.isNull())
        return list;
    // Panels range from 16 px (XFCE) to 48 px on high-density screens.
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QImage image = icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        SniIconPixmap pixmap;
        pixmap.width = image.width();
        pixmap.height = image.height();
        pixmap.bytes.resize(qsizetype(image.width()) * image.height() * 4);
        auto *out = reinterpret_cast<quint32 *>(pixmap.bytes.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(line[x]);
        }
        list << pixmap;
    }
    return list;
}
} // namespace

StatusNotifierItem::StatusNotifierItem(const QString &id, QObject *parent)
    : QObject(parent),
      m_id(id),
      m_serviceName(QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid()))
{
    StatusNotifierTypes::registerTypes();
    m_adaptor = new StatusNotifierItemAdaptor(this);
    m_menu = new DBusMenuExporter(this);
    m_hostReadTimer = new QTimer(this);
    m_hostReadTimer->setSingleShot(true);
    m_hostReadTimer->setInterval(hostReadTimeoutMs);
    connect(m_hostReadTimer, &QTimer::timeout, this, [this] {
        if (m_iconRead || !m_hosted || m_registrations >= maxRegistrations)
            return;
        qCWarning(lcTray) << "no host read the tray item; registering again";
        registerWithWatcher();
    });
}

StatusNotifierItem::~StatusNotifierItem()
{
    if (m_started) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(itemPath);
        bus.unregisterObject(DBusMenuExporter::objectPath);
        bus.unregisterService(m_serviceName);
    }
}

bool StatusNotifierItem::start()
{
    if (m_started)
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCWarning(lcTray) << "No session bus, so no StatusNotifierItem:" << bus.lastError().message();
        return false;
    }
    if (!bus.registerObject(itemPath, this, QDBusConnection::ExportAdaptors)) {
        qCWarning(lcTray) << "Could not export the StatusNotifierItem:" << bus.lastError().message();
        return false;
    }
    m_menu->exportOn();
    bus.registerService(m_serviceName);
    m_started = true;

    m_watcher = new QDBusServiceWatcher(watcherService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                m_registrations = 0;
                if (newOwner.isEmpty())
                    setHosted(false);
                else
                    registerWithWatcher();
            });
    bus.connect(watcherService, watcherPath, watcherService, QStringLiteral("StatusNotifierHostRegistered"), this,
                SLOT(registerWithWatcher()));
    registerWithWatcher();
    return true;
}

void StatusNotifierItem::registerWithWatcher()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    ++m_registrations;
    m_iconRead = false;
    checkWatcherOwner();
    QDBusMessage call = QDBusMessage::createMethodCall(watcherService, watcherPath, watcherService,
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    // GNOME's extension watches a well-known name it is given, and its first "name
    // appeared" empties the properties it is still reading ("Argument two may not be
    // null"), after which it drops the item for good. Given our path it files the item
    // under our unique name, as its own bus scan does, and starts no such watch.
    call << (m_hostIsGnomeShell ? itemPath : m_serviceName);
    auto *pending = new QDBusPendingCallWatcher(bus.asyncCall(call, 3000), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending] {
        pending->deleteLater();
        if (pending->isError()) {
            qCDebug(lcTray) << "StatusNotifierWatcher did not take the item:" << pending->error().message();
            retryWhileWatcherRuns();
            return;
        }
        QDBusMessage get = QDBusMessage::createMethodCall(
            watcherService, watcherPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
        auto *hostCheck = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get, 3000), this);
        connect(hostCheck, &QDBusPendingCallWatcher::finished, this, [this, hostCheck] {
            hostCheck->deleteLater();
            const QDBusMessage reply = hostCheck->reply();
            if (reply.type() != QDBusMessage::ReplyMessage) {
                retryWhileWatcherRuns();
                return;
            }
            const bool host = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                && qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
            setHosted(host);
            // Only GNOME's extension has been seen to drop an item it never read; other
            // hosts, and stand-ins that never read it, are not asked again and again.
            if (host && m_hostIsGnomeShell)
                m_hostReadTimer->start();
            Q_EMIT registrationAnswered();
        });
    });
}

void StatusNotifierItem::retryWhileWatcherRuns()
{
    // A loaded shell can miss the call's deadline. Giving up would mean an XEmbed icon,
    // which the same shell would show beside the item it registers a moment later, so
    // while the watcher is there we only ask again; its going away is reported by m_watcher.
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (bus && bus->isServiceRegistered(watcherService)) {
        qCWarning(lcTray) << "the StatusNotifier watcher did not answer; asking again";
        QTimer::singleShot(retryDelayMs, this, &StatusNotifierItem::registerWithWatcher);
        return;
    }
    setHosted(false);
    Q_EMIT registrationAnswered();
}

void StatusNotifierItem::checkWatcherOwner()
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus)
        return;
    const QString watcher = bus->serviceOwner(watcherService);
    const QString shell = bus->serviceOwner(QStringLiteral("org.gnome.Shell"));
    const bool gnome = !watcher.isEmpty() && watcher == shell;
    if (gnome == m_hostIsGnomeShell)
        return;
    m_hostIsGnomeShell = gnome;
    Q_EMIT hostIsGnomeShellChanged();
}

void StatusNotifierItem::noteIconRead()
{
    m_iconRead = true;
    m_registrations = 0;
    m_hostReadTimer->stop();
}

bool StatusNotifierItem::shouldAnswerActivateAsCancelled(const QString &caller) const
{
    if (!m_hostIsGnomeShell || caller.isEmpty())
        return false;
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    return bus && bus->serviceOwner(QStringLiteral("org.gnome.Shell")).value() == caller;
}

void StatusNotifierItem::setHosted(bool hosted)
{
    if (m_hosted == hosted)
        return;
    m_hosted = hosted;
    Q_EMIT hostedChanged(hosted);
}

void StatusNotifierItem::setIcon(const QIcon &icon)
{
    SniIconPixmapList pixmaps = toPixmaps(icon);
    bool same = pixmaps.size() == m_pixmaps.size();
    for (qsizetype i = 0; same && i < pixmaps.size(); ++i)
        same = pixmaps[i].bytes == m_pixmaps[i].bytes;
    if (same)
        return;
    m_pixmaps = std::move(pixmaps);
    Q_EMIT m_adaptor->NewIcon();
}

void StatusNotifierItem::setTitle(const QString &title)
{
    if (m_title == title)
        return;
    m_title = title;
    Q_EMIT m_adaptor->NewTitle();
}

void StatusNotifierItem::setToolTip(const QString &title, const QString &text)
{
    if (m_toolTipTitle == title && m_toolTipText == text)
        return;
    m_toolTipTitle = title;
    m_toolTipText = text;
    Q_EMIT m_adaptor->NewToolTip();
}

void StatusNotifierItem::setLabel(const QString &label, const QString &guide)
{
    if (m_label == label && m_labelGuide == guide)
        return;
    m_label = label;
    m_labelGuide = guide;
    Q_EMIT m_adaptor->XAyatanaNewLabel(label, guide);
}

SniToolTip StatusNotifierItem::toolTip() const
{
    SniToolTip tip;
    tip.title = m_toolTipTitle;
    tip.text = m_toolTipText;
    return tip;
}

void StatusNotifierItem::handleActivate(QPoint at)
{
    Q_EMIT activated(at);
}

void StatusNotifierItem::handleSecondaryActivate(QPoint at, bool ayatana)
{
    // GNOME's extension may follow its own call with the plain one: one toggle only.
    if (ayatana) {
        m_lastAyatanaSecondary.start();
    } else if (m_lastAyatanaSecondary.isValid() && m_lastAyatanaSecondary.elapsed() < 300) {
        return;
    }
    // NOLINTNEXTLINE(readability-misleading-indentation): Q_EMIT is an empty macro the check misreads
    Q_EMIT secondaryActivated(at);
}

void StatusNotifierItem::handleContextMenu(QPoint at)
{
    Q_EMIT contextMenuRequested(at);
}
