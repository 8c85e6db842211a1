// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QKeyCombination>

class QLabel;
class QPushButton;
class ToggleShortcut;

// Records the key combination that turns keeping awake on and off. One combination, with
// Ctrl, Alt or Super unless it is a function key; Escape cancels, Backspace or Delete (or
// "Remove") removes the shortcut. A combination the desktop refuses stays in the dialog
// with the desktop's reason. Pressing the shortcut already set records it too. Parts carry object names ("shortcut-keys", "shortcut-status",
// "shortcut-set", "shortcut-remove") for accessibility tools and tests.
class ShortcutDialog : public QDialog {
    Q_OBJECT
public:
    explicit ShortcutDialog(ToggleShortcut &shortcut, QWidget *parent = nullptr);

    // The combination recorded and not yet set.
    QKeyCombination pending() const { return m_pending; }

    // What the recorder does with a key press; public for the recorder.
    void record(QKeyCombination keys);

protected:
    // While shown, the keys reach the dialog: the shortcut in force stands back, and on
    // X11 the keyboard is grabbed, ahead of the desktop's own shortcuts.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void apply(const QString &keys);
    void showKeys();

    ToggleShortcut &m_shortcut;
    QKeyCombination m_pending = QKeyCombination(Qt::Key_unknown);
    QLabel *m_keys = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_set = nullptr;
    QPushButton *m_remove = nullptr;
};
