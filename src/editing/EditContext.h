#pragma once

#include "editing/BrowseWindow.h"

#include <QCoreApplication>
#include <QString>
#include <optional>

namespace telvora {

// Helpers the command classes share: the ids of the selected rows and the one way a
// refused change is reported.
class EditContext
{
    Q_DECLARE_TR_FUNCTIONS(telvora::EditContext)

public:
    explicit EditContext(BrowseWindow& window) : m_window(window) {}

    BrowseWindow& window() { return m_window; }
    PhoneBook& book();
    Prompt& prompt();

    // The datum of the selected item of a list, or nothing when none is selected.
    static std::optional<qint64> selectedId(const IdListBox& list);
    // 0 when no group, or a fixed item, is selected.
    qint64 currentGroupId() const;
    std::optional<qint64> currentNameId() const;
    // Whose numbers the window shows, as the active list tells.
    std::optional<qint64> ownerId() const;

    // A change the file refused (changed == -1) is told to the user; true when it went in.
    bool stored(int changed);
    bool added(qint64 newId);
    // False, with the user told why, for a selected row whose id can stand for no row (see
    // kUnusableId); true for a usable id and for no selection at all.
    bool usable(std::optional<qint64> id);

private:
    BrowseWindow& m_window;
};

} // namespace telvora
