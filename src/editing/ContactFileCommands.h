#pragma once

#include "contacts/ContactImport.h"

#include <QCoreApplication>
#include <QString>
#include <functional>
#include <optional>

namespace telvora {

class EditContext;
class FileChooser;

// Import... and Export... of the groups' and names' menus, and files dropped on the window:
// the file is picked through the chooser, unknown CSV columns are offered to the mapper, an
// existing file is replaced only when the user says so, and the outcome is told in words.
class ContactFileCommands
{
    Q_DECLARE_TR_FUNCTIONS(telvora::ContactFileCommands)

public:
    ContactFileCommands(EditContext& context, FileChooser& chooser, QWidget* dialogParent);

    void setFileChooser(FileChooser& chooser) { m_chooser = &chooser; }
    void setColumnMapper(ContactImport::ColumnMapper mapper) { m_mapper = std::move(mapper); }

    // Groups menu: names go into the groups the file gives them.
    void ImportGroups();
    // Names menu: names go into the selected group.
    void ImportNames();
    // Groups menu: the selected group, or the whole book when no group is selected.
    void ExportGroup();
    // Names menu: the selected names, each with its sub-names.
    void ExportNames();
    // A file dropped on the window, or picked: true when something could be read.
    bool importFile(const QString& path, const QString& group);
    static bool isContactFile(const QString& path);
    // Stops an import under way, which then adds nothing (the progress dialog's Cancel).
    void cancelImport();

private:
    struct Outcome
    {
        bool done = false;
        // The summary, or why nothing was imported.
        QString text;
    };
    Outcome importInBackground(const QString& path, const QString& group);
    void exportTo(std::optional<qint64> group, const QList<qint64>& names);

    EditContext& m_context;
    FileChooser* m_chooser;
    QWidget* m_dialogParent;
    ContactImport::ColumnMapper m_mapper;
    std::function<void()> m_cancelImport;
};

} // namespace telvora
