#pragma once

#include "store/Schema.h"

#include <QString>
#include <optional>

class QMenu;

namespace telvora {

class IdListBox;
class PhoneBook;
class Prompt;

// What the editing commands need of the window that shows the phone book: its lists,
// its loaders and its card state. The main window implements it; the commands never
// see the window's other parts.
class BrowseWindow
{
public:
    virtual ~BrowseWindow() = default;

    virtual PhoneBook& phoneBook() = 0;
    virtual Prompt& prompt() = 0;
    virtual IdListBox& groupsList() = 0;
    virtual IdListBox& namesList() = 0;
    virtual IdListBox& subList() = 0;
    // The list of numbers of a kind.
    virtual IdListBox& numberList(NumberKind kind) = 0;
    // The "Move to Group" menu, one item per group as last loaded.
    virtual QMenu& moveGroupMenu() = 0;

    virtual void LoadGroups(std::optional<qint64> groupId, std::optional<int> listIndex) = 0;
    virtual void LoadNames(std::optional<qint64> nameId, std::optional<int> listIndex) = 0;
    virtual void GroupsList_Click() = 0;
    virtual void LoadCard() = 0;

    // Reads the lists again after the file changed beneath them (an import, another
    // program): the same group stays selected, by its id, or All Groups and No Group by their
    // place after the groups, the names list shows what that group holds now, and the
    // name that was selected stays selected while it is still there.
    void reloadLists();

    virtual QString ActiveList() const = 0;
    virtual qint64 CardId() const = 0;
    virtual void setCardId(qint64 id) = 0;
};

} // namespace telvora
