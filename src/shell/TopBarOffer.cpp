// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TopBarOffer.h"

#include "wake/Logging.h"

#include <QPointer>

TopBarOffer::TopBarOffer(Query query, Enable enable, QObject *parent)
    : QObject(parent),
      m_query(std::move(query)),
      m_enable(std::move(enable))
{}

QString TopBarOffer::textFor(State state)
{
    switch (state) {
    case State::Off: return tr("GNOME's top bar shows Corvane's icon once its AppIndicator extension is on.");
    case State::NotInstalled:
        return tr("To see Corvane's icon in GNOME's top bar, install the package %1 and log in again.").arg(package);
    default: return {};
    }
}

QString TopBarOffer::actionFor(State state)
{
    return state == State::Off ? tr("Show Corvane in the Top Bar") : QString();
}

void TopBarOffer::refresh()
{
    QPointer<TopBarOffer> self(this);
    m_query([self](State state) {
        if (self)
            self->show(state);
    });
}

void TopBarOffer::show(State state)
{
    const QString text = textFor(state);
    const QString action = actionFor(state);
    if (text == m_text && action == m_action)
        return;
    m_text = text;
    m_action = action;
    Q_EMIT changed();
}

void TopBarOffer::accept()
{
    QPointer<TopBarOffer> self(this);
    m_enable([self](bool on) {
        if (!self)
            return;
        qCInfo(lcTray) << (on ? "GNOME Shell turned the AppIndicator extension on"
                              : "GNOME Shell did not turn the AppIndicator extension on");
        if (on) {
            self->show(State::On);
            Q_EMIT self->enabled();
        } else {
            self->refresh();
        }
    });
}
