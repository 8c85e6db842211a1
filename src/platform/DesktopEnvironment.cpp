// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DesktopEnvironment.h"

#include <QFile>
#include <QStringList>

namespace {
DesktopEnvironment::Kind kindOf(const QString &name)
{
    using Kind = DesktopEnvironment::Kind;
    const QString lower = name.trimmed().toLower();
    // DESKTOP_SESSION names sessions, which add a suffix of their own ("plasmawayland",
    // "gnome-xorg", "xfce4").
    if (lower == QLatin1String("kde") || lower.startsWith(QLatin1String("plasma")))
        return Kind::Kde;
    if (lower == QLatin1String("gnome") || lower.startsWith(QLatin1String("gnome-")))
        return Kind::Gnome;
    if (lower == QLatin1String("xfce") || lower == QLatin1String("xfce4"))
        return Kind::Xfce;
    return Kind::Other;
}
} // namespace

DesktopEnvironment DesktopEnvironment::current()
{
    return fromNames(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), qEnvironmentVariable("DESKTOP_SESSION"),
                     QFile::exists(QStringLiteral("/.flatpak-info")),
                     qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
                         || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"));
}

DesktopEnvironment DesktopEnvironment::fromNames(const QString &currentDesktop, const QString &desktopSession,
                                                 bool sandboxed, bool wayland)
{
    DesktopEnvironment desktop;
    desktop.m_sandboxed = sandboxed;
    desktop.m_wayland = wayland;
    // The session's name counts only where the desktop names none at all.
    const QString names = currentDesktop.trimmed().isEmpty() ? desktopSession : currentDesktop;
    for (const QString &name : names.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        desktop.m_kind = kindOf(name);
        if (desktop.m_kind != Kind::Other)
            break;
    }
    return desktop;
}
