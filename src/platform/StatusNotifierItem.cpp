// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StatusNotifierItem.h"

#include "platform/DBusMenuExporter.h"
#include "statusnotifieritemadaptor.h"
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

StatusNotifierItem::StatusNotifierItem(BusConnections &buses, const QString &id, QObject *parent)
    : QObject(parent),
      m_buses(buses),
      m_id(id),
      m_serviceName(QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid()))
{
    StatusNotifierTypes::registerTypes();
    new StatusNotifierItemAdaptor(this);
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
    // The host lost its bus with ours; it reads the item again from the new one. Until
    // then the item counts as hosted: an XEmbed icon for the moment would stay beside it.
    connect(&m_buses, &BusConnections::reconnected, this, [this](BusConnections::Bus which) {
        if (which != BusConnections::Bus::Session || !m_started)
            return;
        qCDebug(lcTray) << "session bus replaced; exporting the tray item again";
        m_registrations = 0;
        if (exportOn(bus()))
            registerWithWatcher();
    });
}

StatusNotifierItem::~StatusNotifierItem()
{
    if (m_started) {
        QDBusConnection connection = bus();
        connection.unregisterObject(itemPath);
        m_menu->unexport(connection);
        connection.unregisterService(m_serviceName);
    }
}

bool StatusNotifierItem::start()
{
    if (m_started)
        return true;
    QDBusConnection connection = bus();
    if (!connection.isConnected()) {
        qCWarning(lcTray) << "No session bus, so no StatusNotifierItem:" << connection.lastError().message();
        return false;
    }
    if (!exportOn(connection))
        return false;
    m_started = true;
    registerWithWatcher();
    return true;
}

bool StatusNotifierItem::exportOn(QDBusConnection connection)
{
    if (!connection.registerObject(itemPath, this, QDBusConnection::ExportAdaptors)) {
        qCWarning(lcTray) << "Could not export the StatusNotifierItem:" << connection.lastError().message();
        return false;
    }
    m_menu->exportOn(connection);
    connection.registerService(m_serviceName);

    delete m_watcher;
    m_watcher = new QDBusServiceWatcher(watcherService, connection, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                m_registrations = 0;
                if (newOwner.isEmpty())
                    setHosted(false);
                else
                    registerWithWatcher();
            });
    connection.connect(watcherService, watcherPath, watcherService, QStringLiteral("StatusNotifierHostRegistered"),
                       this, SLOT(registerWithWatcher()));
    return true;
}

void StatusNotifierItem::registerWithWatcher()
{
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
    auto *pending = new QDBusPendingCallWatcher(bus().asyncCall(call, 3000), this);
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
        auto *hostCheck = new QDBusPendingCallWatcher(bus().asyncCall(get, 3000), this);
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
    QDBusConnectionInterface *interface = bus().interface();
    if (interface && interface->isServiceRegistered(watcherService)) {
        qCWarning(lcTray) << "the StatusNotifier watcher did not answer; asking again";
        QTimer::singleShot(retryDelayMs, this, &StatusNotifierItem::registerWithWatcher);
        return;
    }
    setHosted(false);
    Q_EMIT registrationAnswered();
}

void StatusNotifierItem::checkWatcherOwner()
{
    QDBusConnectionInterface *interface = bus().interface();
    if (!interface)
        return;
    const QString watcher = interface->serviceOwner(watcherService);
    const QString shell = interface->serviceOwner(QStringLiteral("org.gnome.Shell"));
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

QString StatusNotifierItem::iconName()
{
    noteIconRead();
    return {};
}

SniIconPixmapList StatusNotifierItem::iconPixmap()
{
    noteIconRead();
    return m_pixmaps;
}

QDBusObjectPath StatusNotifierItem::menuPath() const
{
    return QDBusObjectPath(DBusMenuExporter::objectPath);
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
    Q_EMIT NewIcon();
}

void StatusNotifierItem::setTitle(const QString &title)
{
    if (m_title == title)
        return;
    m_title = title;
    Q_EMIT NewTitle();
}

void StatusNotifierItem::setToolTip(const QString &title, const QString &text)
{
    if (m_toolTipTitle == title && m_toolTipText == text)
        return;
    m_toolTipTitle = title;
    m_toolTipText = text;
    Q_EMIT NewToolTip();
}

void StatusNotifierItem::setLabel(const QString &label, const QString &guide)
{
    if (m_label == label && m_labelGuide == guide)
        return;
    m_label = label;
    m_labelGuide = guide;
    Q_EMIT XAyatanaNewLabel(label, guide);
}

SniToolTip StatusNotifierItem::toolTip() const
{
    SniToolTip tip;
    tip.title = m_toolTipTitle;
    tip.text = m_toolTipText;
    return tip;
}

void StatusNotifierItem::Activate(int x, int y)
{
    Q_EMIT activated(QPoint(x, y));
    if (!m_hostIsGnomeShell || !calledFromDBus())
        return;
    // GNOME's extension stops passing single left clicks once an Activate succeeds; a
    // cancelled answer (which it ignores silently) keeps every click coming. GDBus turns
    // this name back into G_IO_ERROR_CANCELLED.
    QDBusConnectionInterface *interface = connection().interface();
    if (!interface || interface->serviceOwner(QStringLiteral("org.gnome.Shell")).value() != message().service())
        return;
    setDelayedReply(true);
    connection().send(
        message().createErrorReply(QStringLiteral("org.gtk.GDBus.UnmappedGError.Quark._g_2dio_2derror_2dquark.Code19"),
                                   QStringLiteral("Handled")));
}

void StatusNotifierItem::SecondaryActivate(int x, int y)
{
    secondaryActivate(QPoint(x, y), false);
}

void StatusNotifierItem::XAyatanaSecondaryActivate(uint)
{
    secondaryActivate(QPoint(), true);
}

void StatusNotifierItem::secondaryActivate(QPoint at, bool ayatana)
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

void StatusNotifierItem::ContextMenu(int x, int y)
{
    Q_EMIT contextMenuRequested(QPoint(x, y));
}
