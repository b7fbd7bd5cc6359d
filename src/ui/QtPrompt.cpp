#include "ui/QtPrompt.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace telvora {

namespace {
const QString kTitle = QStringLiteral("Telvora");
}

QString QtPrompt::inputBox(const QString& prompt, const QString& defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_parent, kTitle, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

Prompt::Answer QtPrompt::messageBox(const QString& text, Buttons buttons, Icon icon,
                                    const QString& title)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title.isEmpty() ? kTitle : title);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

void QtPrompt::beep()
{
    QApplication::beep();
}

} // namespace telvora
