#include "editing/BrowseWindow.h"

#include "ui/IdListBox.h"

namespace telvora {

void BrowseWindow::reloadLists()
{
    IdListBox& groups = groupsList();
    IdListBox& names = namesList();
    const int nameIndex = names.listIndex();
    const std::optional<qint64> nameId =
        nameIndex >= 0 ? std::optional<qint64>(names.itemData(nameIndex)) : std::nullopt;
    // The name that was shown stays shown where it is still in the group.
    const auto reselectName = [&] {
        const int found = nameId ? names.indexOfId(*nameId) : -1;
        if (found > 0)
            names.setListIndex(found);
    };
    const int index = groups.listIndex();
    // The window's own two rows come after the stored groups, however many there are now.
    const int fromEnd = groups.count() - index;
    const qint64 groupId = index >= 0 ? groups.itemData(index) : 0;
    if (index >= 0 && fromEnd > 2 && groupId > 0) {
        LoadGroups(groupId, std::nullopt);
        // Selecting while loading reads no names; they are read once, here.
        GroupsList_Click();
        reselectName();
        return;
    }
    LoadGroups(std::nullopt, std::nullopt);
    if (index >= 0)
        groups.setListIndex(groups.count() - fromEnd);
    reselectName();
}

} // namespace telvora
