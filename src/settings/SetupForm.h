#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace telvora {

class LineService;
class Prompt;
class Registry;
struct StoredSettings;

// The Setup window: the line to dial on, the outside-line prefix, the number of attempts
// and the pause between them, the country numbers from links are dialled from, and
// whether a link dials at once. It shows what is stored when it opens and stores what it
// shows on Apply or OK.
class SetupForm final : public QDialog
{
    Q_OBJECT
public:
    SetupForm(Registry& registry, StoredSettings& settings, LineService& lines, Prompt& prompt,
              QWidget* parent = nullptr);

    // Opens the dialog that adds, edits and removes telephone lines; the Setup window
    // lists the lines anew when it closes. Without one, the "Lines..." button is hidden.
    void setLinesDialog(std::function<void(QWidget* parent)> open);
    // Opens the address book server's window; without one, its button is hidden.
    void setAddressBookDialog(std::function<void(QWidget* parent)> open);

    void Form_Load();
    void cboLineSel_Change();
    void Apply_Button_Click();
    void OK_button_Click();
    void Cancel_button_Click();

    // The position of the line whose name the box shows; -1 when the text names none.
    int selectedLine() const;

    QComboBox* cboLineSel = nullptr;
    QLabel* picIcon = nullptr;
    QLineEdit* prefix_text = nullptr;
    QLineEdit* retry_times_text = nullptr;
    QLineEdit* TimeAttemptText = nullptr;
    QLineEdit* HistoryDaysText = nullptr;
    QPushButton* OK_button = nullptr;
    QPushButton* Cancel_button = nullptr;
    QPushButton* Apply_Button = nullptr;
    QPushButton* Lines_button = nullptr;
    QPushButton* AddressBook_button = nullptr;
    QComboBox* cboCountry = nullptr;
    QCheckBox* chkDialLinks = nullptr;

private:
    void build();
    void listLines();

    Registry& m_registry;
    StoredSettings& m_settings;
    LineService& m_lines;
    Prompt& m_prompt;
    std::function<void(QWidget*)> m_openLines;
    std::function<void(QWidget*)> m_openAddressBook;
};

} // namespace telvora
