#pragma once

#include <QDialog>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace telvora {

class LineProvider;
class LineService;
class Prompt;
class SipProvider;

// "Telephone Lines": every line the line service has, with its kind and what its provider
// says of its state, kept up to date while the window is open. SIP accounts are added,
// edited and removed here; Settings opens the settings window registered for the line's
// kind.
class LinesDialog final : public QDialog
{
    Q_OBJECT
public:
    LinesDialog(LineService& lines, Prompt& prompt, QWidget* parent = nullptr);

    // Shows the window and returns once it is closed.
    static void run(LineService& lines, Prompt& prompt, QWidget* parent);

    // The window for a SIP account opened by Add or Edit while it is open, else null.
    QDialog* accountDialog() const;

    void Add_button_Click();
    void Edit_button_Click();
    void Remove_button_Click();
    void Settings_button_Click();

    // Lists the lines anew, keeping the selected one selected.
    void listLines();

    enum Column
    {
        NameColumn,
        KindColumn,
        StateColumn,
    };

    QTreeWidget* LinesList = nullptr;
    QPushButton* Add_button = nullptr;
    QPushButton* Edit_button = nullptr;
    QPushButton* Remove_button = nullptr;
    QPushButton* Settings_button = nullptr;
    QPushButton* Close_button = nullptr;

private:
    void build();
    void updateButtons();
    void showState(const QString& kind, const QString& key);
    void openAccount(const QString& accountId);
    LineProvider* providerOf(const QTreeWidgetItem* item) const;
    SipProvider* sipProvider() const;
    QTreeWidgetItem* selectedItem() const;

    LineService& m_lines;
    Prompt& m_prompt;
    QDialog* m_accountDialog = nullptr;
    bool m_listQueued = false;
};

} // namespace telvora
