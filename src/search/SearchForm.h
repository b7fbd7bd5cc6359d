#pragma once

#include "search/NameSearch.h"

#include <QDialog>
#include <QMap>

class QLabel;
class QLineEdit;
class QPushButton;

namespace telvora {

class IdListBox;
class PhoneBook;

// The three lists of the main window that a found entry is brought up in.
struct BrowseLists
{
    IdListBox* groups = nullptr;
    IdListBox* names = nullptr;
    IdListBox* subNames = nullptr;
};

// The search window: names and numbers by contained text. A double click on a result
// selects it in the main window as the user's own clicks would and hides this window,
// which keeps its texts and results until Exit unloads it.
class SearchForm final : public QDialog
{
    Q_OBJECT
public:
    SearchForm(const PhoneBook& book, const BrowseLists& lists, QWidget* parent = nullptr);

    void SearchCMD_Click();
    void clearCmd_Click();
    void ExitCMD_Click();
    // Brings the result at this position of the result list up in the main window.
    void NamesList_DblClick(int index);

    // After Exit or a close the window is on its way out and must not be shown again.
    bool isUnloaded() const { return m_unloaded; }

    QMap<int, QLabel*> Label1;
    QLineEdit* TxtName = nullptr;
    QLineEdit* TxtNumber = nullptr;
    QPushButton* SearchCMD = nullptr;
    QPushButton* clearCmd = nullptr;
    IdListBox* NamesList = nullptr;
    QPushButton* ExitCMD = nullptr;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The row and the rows above it, from the top-level name down to the row itself.
    SearchHits lineage(const SearchHit& hit) const;

    const PhoneBook& m_book;
    BrowseLists m_lists;
    NameSearch m_search;
    bool m_unloaded = false;
};

} // namespace telvora
