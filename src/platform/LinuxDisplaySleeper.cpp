// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LinuxDisplaySleeper.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QTimer>

// Xlib last: its macros (None, Bool, Status) would clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

namespace {
const QString kdeService = QStringLiteral("org.kde.kglobalaccel");
const QString kdePath = QStringLiteral("/component/org_kde_powerdevil");
const QString kdeInterface = QStringLiteral("org.kde.kglobalaccel.Component");
const QString kdeShortcut = QStringLiteral("Turn Off Screen");

const QString mutterService = QStringLiteral("org.gnome.Mutter.DisplayConfig");
const QString mutterPath = QStringLiteral("/org/gnome/Mutter/DisplayConfig");
const QString mutterProperty = QStringLiteral("PowerSaveMode");
constexpr int powerSaveOff = 3;
constexpr int powerSaveUnsupported = -1;

const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}
} // namespace

LinuxDisplaySleeper::LinuxDisplaySleeper(BusConnections &buses, QObject *parent)
    : LinuxDisplaySleeper(Options{}, buses, parent)
{}

LinuxDisplaySleeper::LinuxDisplaySleeper(Options options, BusConnections &buses, QObject *parent)
    : QObject(parent),
      m_options(std::move(options)),
      m_buses(buses)
{}

void LinuxDisplaySleeper::turnDisplayOffNow()
{
    tryKde();
}

QDBusPendingCall LinuxDisplaySleeper::asyncCall(const QDBusMessage &message)
{
    return m_buses.connection(BusConnections::Bus::Session)
        .asyncCall(message, static_cast<int>(m_options.callTimeout.count()));
}

void LinuxDisplaySleeper::await(const QDBusPendingCall &call, std::function<void(const QDBusMessage &)> onReply)
{
    // The watcher belongs to this object: once it is gone, no answer reaches it.
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, onReply = std::move(onReply)] {
        watcher->deleteLater();
        onReply(watcher->reply());
    });
}

void LinuxDisplaySleeper::whenOwned(const QString &service, std::function<void()> present, std::function<void()> absent)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    message << service;
    await(asyncCall(message), [present = std::move(present), absent = std::move(absent)](const QDBusMessage &reply) {
        const bool owned = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
            && reply.arguments().constFirst().toBool();
        owned ? present() : absent();
    });
}

void LinuxDisplaySleeper::tryKde()
{
    whenOwned(
        kdeService,
        [this] {
            QDBusMessage message =
                QDBusMessage::createMethodCall(kdeService, kdePath, kdeInterface, QStringLiteral("invokeShortcut"));
            message << kdeShortcut;
            await(asyncCall(message), [this](const QDBusMessage &reply) {
                if (reply.type() == QDBusMessage::ReplyMessage)
                    Q_EMIT finished(Route::kdeGlobalAccel);
                else
                    tryGnome();
            });
        },
        [this] { tryGnome(); });
}

void LinuxDisplaySleeper::tryGnome()
{
    whenOwned(
        mutterService,
        [this] {
            QDBusMessage get =
                QDBusMessage::createMethodCall(mutterService, mutterPath, propertiesInterface, QStringLiteral("Get"));
            get << mutterService << mutterProperty;
            await(asyncCall(get), [this](const QDBusMessage &reply) {
                // -1 means the displays cannot be put into power saving from here.
                if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()
                    || reply.arguments().constFirst().value<QDBusVariant>().variant().toInt() == powerSaveUnsupported) {
                    tryX11();
                    return;
                }
                QDBusMessage set = QDBusMessage::createMethodCall(mutterService, mutterPath, propertiesInterface,
                                                                  QStringLiteral("Set"));
                set << mutterService << mutterProperty << QVariant::fromValue(QDBusVariant(QVariant(powerSaveOff)));
                await(asyncCall(set), [this](const QDBusMessage &answer) {
                    if (answer.type() == QDBusMessage::ReplyMessage)
                        Q_EMIT finished(Route::gnomeMutter);
                    else
                        tryX11();
                });
            });
        },
        [this] { tryX11(); });
}

void LinuxDisplaySleeper::tryX11()
{
    QTimer::singleShot(m_options.x11Delay, this, [this] {
        const bool off = m_options.forceX11Off && m_options.forceX11Off();
        Q_EMIT finished(off ? Route::x11Dpms : Route::none);
    });
}

bool LinuxDisplaySleeper::forceOffWithDpms()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    // Xlib's default handler ends the process on any error; a refusal here must not.
    auto *previous = XSetErrorHandler(ignoreXError);
    bool off = false;
    int eventBase = 0;
    int errorBase = 0;
    if (DPMSQueryExtension(display, &eventBase, &errorBase) && DPMSCapable(display)) {
        CARD16 level = 0;
        BOOL enabled = 0;
        DPMSInfo(display, &level, &enabled);
        // Forcing a level is refused while DPMS is disabled; `xset dpms force off` enables it too.
        if (!enabled)
            DPMSEnable(display);
        off = DPMSForceLevel(display, DPMSModeOff);
        XSync(display, 0);
    }
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return off;
}
