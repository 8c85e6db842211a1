// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DurationWheelPicker.h"

#include "wake/Clock.h"
#include "ui/WheelColumn.h"

#include <QHBoxLayout>
#include <QLabel>
#include <numeric>

namespace {
constexpr int maxHours = 48;

QList<int> range(int first, int last)
{
    QList<int> values(last - first + 1);
    std::iota(values.begin(), values.end(), first);
    return values;
}

// Amber, the accent while the display is kept awake too.
QColor defaultAccent()
{
    return QColor::fromRgbF(0.961f, 0.62f, 0.043f);
}
} // namespace

DurationWheelPicker::DurationWheelPicker(Clock &clock, QWidget *parent) : QWidget(parent), m_accent(defaultAccent())
{
    m_hours = new WheelColumn(range(0, maxHours), 0, tr("h", "hours column unit"), m_accent, 26, 5, clock, this);
    m_hours->setAccessibleName(tr("Hours"));
    m_minutes = new WheelColumn(range(0, 59), 0, tr("min", "minutes column unit"), m_accent, 26, 5, clock, this);
    m_minutes->setAccessibleName(tr("Minutes"));
    m_announcedHours = m_hours->selection();
    m_announcedMinutes = m_minutes->selection();

    m_separator = new QLabel(QStringLiteral(":"), this);
    QFont font;
    font.setPixelSize(18);
    font.setWeight(QFont::Medium);
    m_separator->setFont(font);
    m_separator->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 45%); background: transparent;"));
    m_separator->setAlignment(Qt::AlignCenter);
    m_separator->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_hours, 1, Qt::AlignVCenter);
    layout->addWidget(m_separator, 0, Qt::AlignVCenter);
    layout->addWidget(m_minutes, 1, Qt::AlignVCenter);
    setFixedHeight(m_hours->sizeHint().height());

    connect(m_hours, &WheelColumn::selectionChanged, this, &DurationWheelPicker::hoursChanged);
    connect(m_minutes, &WheelColumn::selectionChanged, this, &DurationWheelPicker::minutesChanged);
    connect(m_hours, &WheelColumn::ticked, this, &DurationWheelPicker::ticked);
    connect(m_minutes, &WheelColumn::ticked, this, &DurationWheelPicker::ticked);
}

QSize DurationWheelPicker::sizeHint() const
{
    return {240, m_hours->sizeHint().height()};
}

int DurationWheelPicker::hours() const
{
    return m_hours->selection();
}

int DurationWheelPicker::minutes() const
{
    return m_minutes->selection();
}

void DurationWheelPicker::setValue(int hours, int minutes)
{
    ++m_depth;
    m_hours->setSelection(hours);
    // Minutes set from outside in the same breath are not "turned off 0 at 48".
    if (!(m_hours->selection() >= maxHours && minutes != 0))
        m_minutes->setSelection(minutes);
    --m_depth;
    announce();
}

void DurationWheelPicker::setHours(int hours)
{
    m_hours->setSelection(hours);
}

void DurationWheelPicker::setMinutes(int minutes)
{
    m_minutes->setSelection(minutes);
}

void DurationWheelPicker::setAccent(const QColor &accent)
{
    m_accent = accent;
    m_hours->setAccent(accent);
    m_minutes->setAccent(accent);
}

void DurationWheelPicker::hoursChanged(int hours)
{
    ++m_depth;
    if (hours >= maxHours && m_minutes->selection() != 0)
        m_minutes->setSelection(0);
    --m_depth;
    announce();
}

void DurationWheelPicker::minutesChanged(int minutes)
{
    ++m_depth;
    if (minutes != 0 && m_hours->selection() >= maxHours)
        m_hours->setSelection(maxHours - 1);
    --m_depth;
    announce();
}

void DurationWheelPicker::announce()
{
    if (m_depth > 0)
        return;
    const int h = hours();
    const int m = minutes();
    if (h == m_announcedHours && m == m_announcedMinutes)
        return;
    m_announcedHours = h;
    m_announcedMinutes = m;
    Q_EMIT valueChanged(h, m);
}
