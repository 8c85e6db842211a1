// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/GnomeShellExtensions.h"

#include <QObject>
#include <QString>
#include <functional>

// What the panel, shown as a window because no tray is there, offers a GNOME user: to turn
// on the AppIndicator extension where it is installed but off, or the package to install
// where it is not. Nothing elsewhere, and nothing while the answer is unknown or the
// extension is on (then it failed to load, and turning it on again would not help).
class TopBarOffer : public QObject {
    Q_OBJECT
public:
    using State = GnomeShellExtensions::State;
    // The extension's state, asked without waiting; and turning it on, with its outcome.
    using Query = std::function<void(std::function<void(State)>)>;
    using Enable = std::function<void(std::function<void(bool)>)>;

    static inline const QString package = QStringLiteral("gnome-shell-extension-appindicator");

    TopBarOffer(Query query, Enable enable, QObject *parent = nullptr);

    // Asks again: the user may have installed the package meanwhile.
    void refresh();
    // The explanation, empty when there is nothing to offer; and the button's text, empty
    // when there is nothing to press.
    QString text() const { return m_text; }
    QString action() const { return m_action; }
    // The button: turns the extension on.
    void accept();

    static QString textFor(State state);
    static QString actionFor(State state);

Q_SIGNALS:
    void changed();
    // The shell turned the extension on: the icon is about to show in the top bar.
    void enabled();

private:
    void show(State state);

    Query m_query;
    Enable m_enable;
    QString m_text;
    QString m_action;
};
