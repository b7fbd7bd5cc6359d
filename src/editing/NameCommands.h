#pragma once

#include <QCoreApplication>

class QAction;

namespace telvora {

class EditContext;

// Add, rename and delete names and sub-names, and move a name to a group.
class NameCommands
{
    Q_DECLARE_TR_FUNCTIONS(telvora::NameCommands)

public:
    explicit NameCommands(EditContext& context) : m_context(context) {}

    void AddName();
    void AddSubName();
    void AddSUB() { AddSubName(); }
    void NameEditMenu();
    void EditSUB();
    void DelName();
    void DelSUB();
    // An item of the "Move to Group" menu; it carries the id of the group it stood for
    // when the groups were last listed.
    void SetGroupItem_Click(const QAction* item);

private:
    void deleteSelected(bool subList);

    EditContext& m_context;
};

} // namespace telvora
