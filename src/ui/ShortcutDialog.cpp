// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ShortcutDialog.h"

#include "wake/ToggleShortcut.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool isModifier(int key)
{
    return key == Qt::Key_Control || key == Qt::Key_Shift || key == Qt::Key_Alt || key == Qt::Key_Meta
        || key == Qt::Key_Super_L || key == Qt::Key_Super_R || key == Qt::Key_AltGr || key == Qt::Key_CapsLock
        || key == Qt::Key_NumLock || key == Qt::Key_Hyper_L || key == Qt::Key_Hyper_R;
}

// The field that takes the keys: focusable, and every press goes to the dialog, Tab and
// Escape included.
class KeyRecorder : public QLabel {
public:
    explicit KeyRecorder(ShortcutDialog *dialog) : QLabel(dialog), m_dialog(dialog)
    {
        setFocusPolicy(Qt::StrongFocus);
        setFrameShape(QFrame::StyledPanel);
        setAlignment(Qt::AlignCenter);
        setMinimumSize(220, 34);
        setAccessibleName(ShortcutDialog::tr("Shortcut"));
    }

protected:
    bool focusNextPrevChild(bool) override { return false; }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (isModifier(event->key()) || event->key() == 0 || event->key() == Qt::Key_unknown)
            return;
        // Shift+Tab arrives as Backtab; the key on the keyboard is Tab.
        const int key = event->key() == Qt::Key_Backtab ? int(Qt::Key_Tab) : event->key();
        const Qt::KeyboardModifiers modifiers =
            event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
        m_dialog->record(QKeyCombination(modifiers, Qt::Key(key)));
    }

private:
    ShortcutDialog *m_dialog;
};

} // namespace

ShortcutDialog::ShortcutDialog(ToggleShortcut &shortcut, QWidget *parent) : QDialog(parent), m_shortcut(shortcut)
{
    setWindowTitle(tr("Keyboard Shortcut"));
    setObjectName(QStringLiteral("shortcut-dialog"));
    auto *layout = new QVBoxLayout(this);

    auto *hint = new QLabel(tr("Press the keys that turn keeping awake on and off, whichever window is active."), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    m_keys = new KeyRecorder(this);
    m_keys->setObjectName(QStringLiteral("shortcut-keys"));
    layout->addWidget(m_keys);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("shortcut-status"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    auto *buttons = new QDialogButtonBox(this);
    m_set = buttons->addButton(tr("Set"), QDialogButtonBox::AcceptRole);
    m_set->setObjectName(QStringLiteral("shortcut-set"));
    m_remove = buttons->addButton(tr("Remove"), QDialogButtonBox::DestructiveRole);
    m_remove->setObjectName(QStringLiteral("shortcut-remove"));
    buttons->addButton(QDialogButtonBox::Cancel);
    // Enter is a key to record, never a press on a default button.
    for (QAbstractButton *button : buttons->buttons()) {
        if (auto *push = qobject_cast<QPushButton *>(button))
            push->setAutoDefault(false);
    }
    connect(m_set, &QPushButton::clicked, this,
            [this] { apply(QKeySequence(m_pending).toString(QKeySequence::PortableText)); });
    connect(m_remove, &QPushButton::clicked, this, [this] { apply(QString()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    showKeys();
    m_keys->setFocus();
}

void ShortcutDialog::record(QKeyCombination keys)
{
    const Qt::KeyboardModifiers modifiers = keys.keyboardModifiers();
    if (modifiers == Qt::NoModifier) {
        if (keys.key() == Qt::Key_Escape) {
            reject();
            return;
        }
        if (keys.key() == Qt::Key_Backspace || keys.key() == Qt::Key_Delete) {
            apply(QString());
            return;
        }
    }
    const bool functionKey = keys.key() >= Qt::Key_F1 && keys.key() <= Qt::Key_F35;
    if (!functionKey && !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        m_status->setText(tr("Hold Ctrl, Alt or Super with the key; only function keys may stand alone."));
        return;
    }
    m_pending = keys;
    m_status->clear();
    showKeys();
}

void ShortcutDialog::apply(const QString &keys)
{
    m_shortcut.setRecording(false);
    const QString refusal = m_shortcut.setKeys(keys);
    if (refusal.isEmpty()) {
        accept();
        return;
    }
    m_shortcut.setRecording(isVisible());
    m_status->setText(refusal);
}

void ShortcutDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_shortcut.setRecording(true);
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        m_keys->grabKeyboard();
}

void ShortcutDialog::hideEvent(QHideEvent *event)
{
    m_keys->releaseKeyboard();
    m_shortcut.setRecording(false);
    QDialog::hideEvent(event);
}

void ShortcutDialog::showKeys()
{
    const bool recorded = m_pending.key() != Qt::Key_unknown;
    const QString current = m_shortcut.keys();
    if (recorded)
        m_keys->setText(QKeySequence(m_pending).toString(QKeySequence::NativeText));
    else if (!current.isEmpty())
        m_keys->setText(
            QKeySequence::fromString(current, QKeySequence::PortableText).toString(QKeySequence::NativeText));
    else
        m_keys->setText(tr("Press the keys\u2026"));
    m_set->setEnabled(recorded);
    m_remove->setEnabled(!current.isEmpty());
}
