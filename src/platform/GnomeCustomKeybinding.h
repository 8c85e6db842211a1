// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/GlobalShortcut.h"

#include <QStringList>

// GNOME's custom keyboard shortcut: an entry of gsd-media-keys' custom-keybindings list,
// whose relocatable settings (name, command, binding) live under a path of our own. Written
// with the gsettings tool, so whichever backend the session uses (dconf on a desktop)
// receives it and gsd-media-keys sees the change. Other entries of the list are left as
// they are.
class GnomeCustomKeybinding : public GlobalShortcut {
    Q_OBJECT
public:
    static inline const QString listSchema = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
    static inline const QString entrySchema =
        QStringLiteral("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding");
    static inline const QString entryPath =
        QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/corvane/");

    GnomeCustomKeybinding(const QString &command, QObject *parent = nullptr);

    QString bind(const QString &keys) override;
    // The desktop's settings keep the shortcut: nothing to do at launch.
    QString restore(const QString &) override { return {}; }

    // The strings of a GVariant text such as "['/a/', '/b/']" or "@as []".
    static QStringList parseStrings(const QString &variantText);

private:
    // The user-visible text of whatever already uses `keys`; empty when free.
    QString holderOf(QKeyCombination keys, const QStringList &entries);

    QString m_command;
};
