// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TrayIcon.h"

#include "platform/DesktopEnvironment.h"
#include "platform/StatusNotifierItem.h"
#include "platform/TrayHostDetection.h"
#include "platform/X11WindowEffects.h"
#include "platform/XEmbedTrayWatcher.h"
#include "wake/Logging.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QTimer>

TrayIcon::TrayIcon(QObject *parent) : AbstractTrayIcon(parent)
{
    m_hostShowsLabel = DesktopEnvironment::current().trayShowsLabel();
    m_sni = new StatusNotifierItem(m_buses, QStringLiteral("corvane"), this);
    connect(m_sni, &StatusNotifierItem::hostedChanged, this, &TrayIcon::updateHost);
    connect(m_sni, &StatusNotifierItem::activated, this, [this](QPoint at) {
        m_lastActivate = at;
        m_haveActivate = true;
        onPrimary();
    });
    connect(m_sni, &StatusNotifierItem::secondaryActivated, this, &TrayIcon::quickToggleRequested);
    connect(m_sni, &StatusNotifierItem::contextMenuRequested, this, &TrayIcon::quickToggleRequested);
    connect(m_sni, &StatusNotifierItem::hostIsGnomeShellChanged, this, &TrayIcon::publishMenu);
    connect(&m_sni->menu(), &DBusMenuExporter::triggered, this, &TrayIcon::menuTriggered);
    connect(&m_sni->menu(), &DBusMenuExporter::aboutToShow, this, &TrayIcon::menuAboutToShow);
    // An XEmbed tray started later (a panel that comes after us) says so itself, as a
    // StatusNotifier host does; watched from the start, so that none comes unheard between
    // the first look and the watch.
    connect(new XEmbedTrayWatcher(this), &XEmbedTrayWatcher::trayAppeared, this, &TrayIcon::updateHost);
}

TrayIcon::~TrayIcon()
{
    // Before the connections it is exported on go.
    delete m_sni;
}

void TrayIcon::show()
{
    if (m_shown)
        return;
    m_shown = true;
    if (!m_sni->start()) {
        m_seen.waited = true;
        updateHost();
        return;
    }
    // A busy shell may take longer than this to answer; while a watcher is there its answer
    // decides.
    auto *noAnswer = new QTimer(this);
    noAnswer->setSingleShot(true);
    connect(noAnswer, &QTimer::timeout, this, [this, noAnswer] {
        noAnswer->deleteLater();
        m_seen.waited = true;
        updateHost();
    });
    noAnswer->start(startupWaitMs);
    // Once the watcher has answered, a quiet start has nothing left to wake for.
    connect(m_sni, &StatusNotifierItem::registrationAnswered, noAnswer, &QObject::deleteLater,
            Qt::SingleShotConnection);
    connect(m_sni, &StatusNotifierItem::registrationAnswered, this, [this] {
        m_seen.watcherAnswered = true;
        updateHost();
    });
}

void TrayIcon::updateHost()
{
    if (!m_shown)
        return;
    m_seen.statusNotifierHost = m_sni->isHosted();
    // Asked only while it decides: this runs too when the session bus has just gone, where a
    // blocking call would fail inside libdbus.
    if (!m_seen.watcherAnswered && m_seen.waited) {
        const QDBusConnection session = m_buses.connection(BusConnections::Bus::Session);
        QDBusConnectionInterface *bus = session.isConnected() ? session.interface() : nullptr;
        m_seen.watcherOwned = bus && bus->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
    }
    // From the X server alone: Qt's isSystemTrayAvailable() may ask the session bus,
    // blocking, and this also runs when that bus has just gone.
    m_seen.xembedTray = X11WindowEffects::xembedTrayPresent();
    const Host now = TrayHostDetection::host(m_seen);
    if (now == Host::Unknown)
        return;
    if (now == Host::StatusNotifier) {
        if (m_backend != Backend::StatusNotifier)
            useStatusNotifier(true);
    } else if (m_backend != Backend::XEmbed) {
        useStatusNotifier(false);
    }
    if (now == m_host)
        return;
    m_host = now;
    switch (now) {
    case Host::StatusNotifier: qCInfo(lcTray) << "Icon shown by the StatusNotifierItem host"; break;
    case Host::XEmbed: qCInfo(lcTray) << "No StatusNotifierItem host: icon shown in the XEmbed tray"; break;
    default:
        // Worth a warning: the user sees no icon.
        qCWarning(lcTray) << "Neither a StatusNotifierItem host nor an XEmbed tray is there: no tray shows the icon";
        break;
    }
    Q_EMIT hostChanged();
}

void TrayIcon::useStatusNotifier(bool hosted)
{
    if (hosted) {
        qApp->removeEventFilter(this);
        if (m_xembed) {
            m_xembed->hide();
            m_xembed->deleteLater();
            m_xembed = nullptr;
        }
        m_backend = Backend::StatusNotifier;
    } else {
        if (!m_xembed) {
            m_xembed = new QSystemTrayIcon(this);
            connect(m_xembed, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                case QSystemTrayIcon::Trigger:
                    m_haveActivate = false;
                    onPrimary();
                    break;
                case QSystemTrayIcon::Context:
                case QSystemTrayIcon::MiddleClick: Q_EMIT quickToggleRequested(); break;
                default: break;
                }
            });
        }
        m_backend = Backend::XEmbed;
        qApp->installEventFilter(this);
    }
    publish();
    if (m_xembed)
        m_xembed->show();
    Q_EMIT backendChanged();
}

bool TrayIcon::eventFilter(QObject *watched, QEvent *event)
{
    // Qt's XEmbed icon turns a second right or middle click in quick succession into a
    // double click and reports nothing for it; each click is a toggle of its own.
    if (event->type() == QEvent::MouseButtonDblClick && watched->isWidgetType()
        && qstrcmp(watched->metaObject()->className(), "QSystemTrayIconSys") == 0) {
        const auto button = static_cast<QMouseEvent *>(event)->button();
        if (button == Qt::RightButton || button == Qt::MiddleButton) {
            Q_EMIT quickToggleRequested();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TrayIcon::onPrimary()
{
    // The tray protocols carry no modifiers; ask the X server whether Alt is held.
    if (QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier)
        Q_EMIT quickToggleRequested();
    else
        Q_EMIT clicked();
}

void TrayIcon::setIcon(const QIcon &icon, const QString &description)
{
    if (m_icon.cacheKey() == icon.cacheKey() && m_description == description)
        return;
    m_icon = icon;
    m_description = description;
    publish();
}

void TrayIcon::setCountdown(const QString &text, const QString &guide)
{
    if (m_countdown == text && m_guide == guide)
        return;
    m_countdown = text;
    m_guide = guide;
    publish();
}

void TrayIcon::setToolTip(const QString &text)
{
    if (m_toolTip == text)
        return;
    m_toolTip = text;
    publish();
}

void TrayIcon::setMenu(const QList<DBusMenuEntry> &entries)
{
    if (m_menu == entries)
        return;
    m_menu = entries;
    publishMenu();
}

void TrayIcon::publishMenu()
{
    m_sni->menu().setEntries(m_sni->hostIsGnomeShell() ? QList<DBusMenuEntry>() : m_menu);
}

void TrayIcon::publish()
{
    // Each setter below sends its D-Bus signal only when its own value changed, and only
    // for what a host shows: Plasma answers every NewTitle or XAyatanaNewLabel by reading
    // all properties again, pixmaps included. No host shows the title, so it keeps still;
    // the label goes only where it is shown, and in the last minute changes every second.
    m_sni->setIcon(m_icon);
    m_sni->setTitle(QStringLiteral("Corvane"));
    const QString label = m_hostShowsLabel ? m_countdown : QString();
    m_sni->setLabel(label, label.isEmpty() ? QString() : m_guide);
    // The caller changes the tooltip at most once a minute: each change is one more
    // message to the panel. Its heading is what screen readers announce for the item.
    const QString heading = m_description.isEmpty() ? QStringLiteral("Corvane") : m_description;
    m_sni->setToolTip(heading, m_toolTip);
    if (m_xembed) {
        if (m_xembed->icon().cacheKey() != m_icon.cacheKey())
            m_xembed->setIcon(m_icon);
        const QString tip = heading + QLatin1Char('\n') + m_toolTip;
        if (m_xembed->toolTip() != tip)
            m_xembed->setToolTip(tip);
    }
}

QRect TrayIcon::pressArea() const
{
    if (m_backend == Backend::XEmbed && m_xembed) {
        const QRect geometry = m_xembed->geometry();
        return geometry.isValid() ? geometry : QRect();
    }
    if (m_backend == Backend::StatusNotifier && m_haveActivate)
        return QRect(m_lastActivate, QSize(1, 1)).adjusted(-10, -10, 10, 10);
    return {};
}

QRect TrayIcon::anchorRect() const
{
    if (m_backend == Backend::XEmbed && m_xembed) {
        const QRect geometry = m_xembed->geometry();
        if (geometry.isValid() && !geometry.isEmpty())
            return geometry;
    }
    if (m_backend == Backend::StatusNotifier && m_haveActivate)
        return QRect(m_lastActivate, QSize(1, 1));
    return QRect(QCursor::pos(), QSize(1, 1));
}
