// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TrayHostDetection.h"

AbstractTrayIcon::Host TrayHostDetection::host(const Seen &seen)
{
    using Host = AbstractTrayIcon::Host;
    if (seen.statusNotifierHost)
        return Host::StatusNotifier;
    // An icon placed in the XEmbed tray while a host is about to answer would be shown twice:
    // Qt publishes an item of its own for it.
    if (!seen.watcherAnswered && (!seen.waited || seen.watcherOwned))
        return Host::Unknown;
    return seen.xembedTray ? Host::XEmbed : Host::None;
}
