#pragma once

#include "store/Schema.h"

#include <QCoreApplication>
#include <QList>
#include <QMap>

class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolButton;
class QWidget;

namespace telvora {

class ButtonBar;
class IdListBox;
class TabControl;

// One field of the contact card: a control bound to a column of names.
struct CardField
{
    // The most characters a field shows; a longer value is shown cut short, ending in
    // "…", read-only, and is never saved from the field, so the stored text stays whole.
    static constexpr qsizetype kShownLimit = 32767;

    QWidget* widget = nullptr;
    CardColumn column = CardColumn::Id;

    QString text() const;
    void setText(const QString& text) const;
    void setReadOnly(bool readOnly) const;
    // Whether the value last set was too long to show whole.
    bool isCutShort() const;
};

// Every control of the main window, in one fixed arrangement made once. Controls that
// form an array share a name and are kept by index (Text1(100) is named "Text1_100").
struct DialFormControls
{
    Q_DECLARE_TR_FUNCTIONS(telvora::DialFormControls)

public:
    IdListBox* GroupsList = nullptr;
    IdListBox* NamesList = nullptr;
    IdListBox* SubList = nullptr;
    ButtonBar* TbrGroups = nullptr;
    ButtonBar* TbrNames = nullptr;
    ButtonBar* TbrSUB = nullptr;
    QMap<int, QLabel*> Label1;

    TabControl* SSTab1 = nullptr;
    QMap<int, QLabel*> Label4;
    IdListBox* PhonesList = nullptr;
    IdListBox* FaxList = nullptr;
    IdListBox* MobileList = nullptr;
    IdListBox* HomeList = nullptr;
    ButtonBar* TbrPhones = nullptr;
    ButtonBar* TbrFax = nullptr;
    ButtonBar* TbrMobile = nullptr;
    ButtonBar* TbrHome = nullptr;
    QToolButton* DialPhonesCMD = nullptr;
    QToolButton* DialFaxCMD = nullptr;
    QToolButton* DialMobileCMD = nullptr;
    QToolButton* DialHomeCMD = nullptr;
    QLabel* GroupLabel = nullptr;
    // When the card's name was last called, and how that call ended.
    QLabel* LastCallLabel = nullptr;
    QPushButton* DialCmdTapi = nullptr;

    QMap<int, QWidget*> Text1;
    QComboBox* Combo1 = nullptr;
    QToolButton* GoMail = nullptr;
    QToolButton* GOWWW = nullptr;
    // The card's fields in the window's control order.
    QList<CardField> card;
    // The card's field for a column.
    CardField cardField(CardColumn column) const;

    QFrame* Picture2 = nullptr;
    QLabel* Label2 = nullptr;
    ButtonBar* tbrSpeed = nullptr;
    QComboBox* DialCombo = nullptr;
    QMap<int, QPushButton*> CmdNum;
    QPushButton* CmdAstric = nullptr;
    QPushButton* CmdHash = nullptr;
    QPushButton* quickDial = nullptr;
    QPushButton* HangCMD = nullptr;
    QPushButton* SearchCMD = nullptr;
    QPushButton* SetupCMD = nullptr;
    QPushButton* AboutCMD = nullptr;
    QPushButton* ExitCMD = nullptr;
    QPushButton* HelpCmd = nullptr;
    QPushButton* HistoryCMD = nullptr;

    QStatusBar* StatusBar1 = nullptr;
    // Panels 1 to 4 of the status bar, by number.
    QMap<int, QLabel*> panels;

    // Builds every control as a child of the window.
    static DialFormControls build(QWidget* form);
};

} // namespace telvora
