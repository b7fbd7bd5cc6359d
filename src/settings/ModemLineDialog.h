#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace telvora {

class CellularProvider;
class ModemProvider;
class Prompt;

// A modem line's settings: its port, an extra init string sent before each call, tone
// or pulse dialling, and whether the line takes incoming calls. Saved on OK.
class ModemLineDialog final : public QDialog
{
    Q_OBJECT
public:
    ModemLineDialog(ModemProvider& provider, Prompt& prompt, const QString& lineKey,
                    QWidget* parent = nullptr);

    QLineEdit* Port_text = nullptr;
    QLineEdit* Init_text = nullptr;
    QRadioButton* Tone_option = nullptr;
    QRadioButton* Pulse_option = nullptr;
    QCheckBox* Incoming_check = nullptr;

    void OK_button_Click();

private:
    ModemProvider& m_provider;
    Prompt& m_prompt;
    QString m_key;
};

// What ModemManager tells of a cellular line's modem; nothing there to set.
class CellularLineDialog final : public QDialog
{
    Q_OBJECT
public:
    CellularLineDialog(CellularProvider& provider, const QString& lineKey,
                       QWidget* parent = nullptr);
};

} // namespace telvora
