// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ApplicationListDialog.h"

#include "ui/CorvaneStyles.h"
#include "wake/RunningPrograms.h"
#include "wake/TriggerSettings.h"

#include <QComboBox>
#include <QCompleter>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Dark and plain like the gear menu it opens from, whatever the desktop's theme is.
QString dialogStyle(const QColor &accent)
{
    return QStringLiteral(
               "QDialog { background-color: rgb(30, 31, 36); }"
               "QLabel { color: rgba(255, 255, 255, 0.72); background: transparent; }"
               "QListWidget, QComboBox { background-color: rgba(255, 255, 255, 0.06); color: rgba(255, 255, 255, 0.92);"
               " border: 1px solid rgba(255, 255, 255, 0.16); border-radius: 5px; padding: 3px 6px; }"
               "QListWidget:focus, QComboBox:focus { border-color: rgba(%1, 0.7); }"
               "QListWidget::item { padding: 3px 2px; border-radius: 3px; }"
               "QListWidget::item:selected { background-color: rgba(%1, 0.45); color: white; }"
               "QComboBox QLineEdit { background: transparent; color: rgba(255, 255, 255, 0.92); border: none;"
               " selection-background-color: rgba(%1, 0.45); }"
               "QComboBox QAbstractItemView, QListView#qt_completer_popup { background-color: rgb(38, 39, 45);"
               " color: rgba(255, 255, 255, 0.92); border: 1px solid rgba(255, 255, 255, 0.16);"
               " selection-background-color: rgba(%1, 0.45); outline: none; }"
               "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px; }"
               "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 0.25); border-radius: 2px; min-height: "
               "20px; }"
               "QScrollBar::add-line, QScrollBar::sub-line { height: 0px; }"
               "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"
               "QPushButton { background-color: rgba(255, 255, 255, 0.10); color: rgba(255, 255, 255, 0.92);"
               " border: 1px solid rgba(255, 255, 255, 0.16); border-radius: 5px; padding: 4px 14px; }"
               "QPushButton:hover { background-color: rgba(255, 255, 255, 0.16); }"
               "QPushButton:focus { border-color: rgba(%1, 0.7); }"
               "QPushButton:disabled { color: rgba(255, 255, 255, 0.38); }")
        .arg(QStringLiteral("%1, %2, %3").arg(accent.red()).arg(accent.green()).arg(accent.blue()));
}

} // namespace

ApplicationListDialog::ApplicationListDialog(TriggerSettings &triggers, RunningPrograms &running, QWidget *parent)
    : QDialog(parent),
      m_triggers(triggers),
      m_running(running)
{
    setObjectName(QStringLiteral("applications-dialog"));
    setWindowTitle(tr("Keep Awake While Applications Run"));
    setStyleSheet(dialogStyle(CorvaneStyles::amber()));
    setFont(CorvaneStyles::systemFont(13, QFont::Normal));
    setMinimumWidth(340);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(8);

    auto *intro = new QLabel(tr("Corvane keeps this computer awake while any of these programs runs."), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("applications-list"));
    m_list->setAccessibleName(tr("Programs that keep this computer awake"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->installEventFilter(this);
    layout->addWidget(m_list, 1);

    m_remove = new QPushButton(tr("Remove"), this);
    m_remove->setObjectName(QStringLiteral("remove-application"));
    auto *removeRow = new QHBoxLayout;
    removeRow->addStretch(1);
    removeRow->addWidget(m_remove);
    layout->addLayout(removeRow);

    auto *addLabel = new QLabel(tr("Add a running program, or type its name:"), this);
    layout->addWidget(addLabel);

    m_name = new QComboBox(this);
    m_name->setObjectName(QStringLiteral("application-name"));
    m_name->setEditable(true);
    // The list offers names; it never takes in what is typed.
    m_name->setInsertPolicy(QComboBox::NoInsert);
    m_name->setMaxVisibleItems(12);
    m_name->lineEdit()->setPlaceholderText(tr("Program name"));
    m_name->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    m_name->completer()->setFilterMode(Qt::MatchContains);
    m_name->completer()->setCompletionMode(QCompleter::PopupCompletion);
    addLabel->setBuddy(m_name);

    m_add = new QPushButton(tr("Add"), this);
    m_add->setObjectName(QStringLiteral("add-application"));
    auto *addRow = new QHBoxLayout;
    addRow->addWidget(m_name, 1);
    addRow->addWidget(m_add);
    layout->addLayout(addRow);

    connect(m_add, &QPushButton::clicked, this, [this] { add(m_name->currentText()); });
    connect(m_remove, &QPushButton::clicked, this, &ApplicationListDialog::removeSelected);
    // A name picked from the list goes in at once; Enter takes what is typed. Enter on a name
    // the list has comes through both: the second is refused as a repeat.
    connect(m_name, &QComboBox::activated, this, [this](int index) { add(m_name->itemText(index)); });
    connect(m_name->lineEdit(), &QLineEdit::returnPressed, this, [this] { add(m_name->currentText()); });
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_remove->setEnabled(row >= 0); });
    connect(&m_triggers, &TriggerSettings::applicationsChanged, this, &ApplicationListDialog::refreshList);

    refreshList();
    m_name->setFocus();
}

void ApplicationListDialog::refreshRunning()
{
    const QString typed = m_name->currentText();
    m_name->clear();
    m_name->addItems(m_running.names());
    m_name->setEditText(typed);
}

void ApplicationListDialog::add(const QString &name)
{
    const QString trimmed = name.trimmed();
    QStringList names = m_triggers.applications();
    // Refused quietly: left in the field to correct.
    if (trimmed.isEmpty() || names.contains(trimmed))
        return;
    names.append(trimmed);
    m_triggers.setApplications(names);
    m_list->setCurrentRow(m_list->count() - 1);
    m_name->setEditText(QString());
}

void ApplicationListDialog::removeSelected()
{
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    QStringList names = m_triggers.applications();
    names.removeAll(m_list->item(row)->text());
    m_triggers.setApplications(names);
    m_list->setCurrentRow(std::min(row, m_list->count() - 1));
}

void ApplicationListDialog::showEvent(QShowEvent *event)
{
    refreshRunning();
    QDialog::showEvent(event);
}

bool ApplicationListDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            removeSelected();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ApplicationListDialog::refreshList()
{
    // The same selection by name, as far as it is still there.
    const QString selected = m_list->currentItem() ? m_list->currentItem()->text() : QString();
    m_list->clear();
    const QStringList names = m_triggers.applications();
    m_list->addItems(names);
    m_list->setCurrentRow(names.indexOf(selected));
    m_remove->setEnabled(m_list->currentRow() >= 0);
}
