// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QString>

// Desktop notifications with buttons. One notification at a time: showing another
// replaces it. Silent where nothing shows notifications.
class Notifier : public QObject {
    Q_OBJECT
public:
    struct Action {
        QString key;
        QString label;
    };

    using QObject::QObject;
    ~Notifier() override = default;

    virtual void show(const QString &title, const QString &body, const QList<Action> &actions = {}) = 0;
    virtual void withdraw() = 0;

Q_SIGNALS:
    // The user chose the action with this key on the notification shown last.
    void actionInvoked(const QString &key);
};
