// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QComboBox;
class QListWidget;
class QPushButton;
class RunningPrograms;
class TriggerSettings;

// The programs that keep the computer awake while they run: add one by picking it from the
// running programs or by typing its name (Enter), remove the selected one (Delete), close
// with Escape. Every change is saved at once; there is nothing to confirm. Its parts carry
// object names ("applications-list", "application-name", "add-application",
// "remove-application") for accessibility tools and tests.
class ApplicationListDialog : public QDialog {
    Q_OBJECT
public:
    ApplicationListDialog(TriggerSettings &triggers, RunningPrograms &running, QWidget *parent = nullptr);

protected:
    // Reads the running programs anew: what runs changes while the dialog is closed.
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Adds `name` unless it is blank or already there.
    void add(const QString &name);
    // Removes the selected program, and selects the one after it for the next Delete.
    void removeSelected();
    void refreshRunning();
    void refreshList();

    TriggerSettings &m_triggers;
    RunningPrograms &m_running;
    QListWidget *m_list = nullptr;
    QComboBox *m_name = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_remove = nullptr;
};
