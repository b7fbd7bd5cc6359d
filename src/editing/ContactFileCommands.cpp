#include "editing/ContactFileCommands.h"

#include "contacts/ContactExport.h"
#include "editing/CsvMappingDialog.h"
#include "editing/EditContext.h"
#include "store/PhoneBook.h"
#include "ui/FileChooser.h"
#include "ui/IdListBox.h"
#include "ui/Prompt.h"

#include <QFileInfo>

namespace telvora {

namespace {
QString filter()
{
    return ContactFileCommands::tr(
        "Contacts (*.vcf *.vcard *.csv);;vCard (*.vcf *.vcard);;CSV (*.csv)");
}
} // namespace

ContactFileCommands::ContactFileCommands(EditContext& context, FileChooser& chooser,
                                         QWidget* dialogParent)
    : m_context(context), m_chooser(&chooser)
{
    m_mapper = [dialogParent](const QStringList& headers,
                              const QList<ContactMapping::Target>& targets) {
        CsvMappingDialog dialog(headers, targets, dialogParent);
        return dialog.exec() == QDialog::Accepted ? dialog.targets() : targets;
    };
}

bool ContactFileCommands::isContactFile(const QString& path)
{
    return ContactImport::isVCardFile(path) || ContactImport::isCsvFile(path);
}

bool ContactFileCommands::importFile(const QString& path, const QString& group)
{
    ContactImport import(m_context.book());
    import.setGroup(group);
    const bool done = import.importFile(path, m_mapper);
    // New groups may come before the selected one: it is found again by its id.
    const qint64 selected = m_context.currentGroupId();
    BrowseWindow& window = m_context.window();
    if (selected > 0)
        window.LoadGroups(selected, std::nullopt);
    else
        window.LoadGroups(std::nullopt, window.groupsList().listIndex());
    if (done)
        m_context.prompt().messageBox(import.summary(), Prompt::Buttons::Ok,
                                      Prompt::Icon::Information);
    else
        m_context.prompt().messageBox(tr("Nothing was imported from %1.\n%2")
                                          .arg(QFileInfo(path).fileName(), import.errorText()),
                                      Prompt::Buttons::Ok, Prompt::Icon::Critical);
    return done;
}

void ContactFileCommands::ImportGroups()
{
    const QString path = m_chooser->openFileName(tr("Import"), filter());
    if (!path.isEmpty())
        importFile(path, QString());
}

void ContactFileCommands::ImportNames()
{
    const QString path = m_chooser->openFileName(tr("Import"), filter());
    if (path.isEmpty())
        return;
    const qint64 group = m_context.currentGroupId();
    importFile(path, group > 0 ? m_context.book().groupName(group).value_or(QString()) : QString());
}

void ContactFileCommands::ExportGroup()
{
    const qint64 group = m_context.currentGroupId();
    exportTo(group > 0 ? std::optional<qint64>(group) : std::nullopt, {});
}

void ContactFileCommands::ExportNames()
{
    const IdListBox& list = m_context.window().namesList();
    QList<qint64> names;
    for (const int index : list.selectedItems())
        if (isRowId(list.itemData(index)))
            names << list.itemData(index);
    if (names.isEmpty()) {
        m_context.prompt().beep();
        return;
    }
    exportTo(std::nullopt, names);
}

void ContactFileCommands::exportTo(std::optional<qint64> group, const QList<qint64>& names)
{
    QString path = m_chooser->saveFileName(tr("Export"), filter());
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".vcf");
    if (QFileInfo::exists(path) &&
        m_context.prompt().messageBox(
            tr("%1 exists already. Do you want to replace it?").arg(QFileInfo(path).fileName()),
            Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes)
        return;
    ContactExport exporter(m_context.book());
    if (exporter.exportFile(path, group, names))
        m_context.prompt().messageBox(exporter.summary(), Prompt::Buttons::Ok,
                                      Prompt::Icon::Information);
    else
        m_context.prompt().messageBox(exporter.errorText(), Prompt::Buttons::Ok,
                                      Prompt::Icon::Critical);
}

} // namespace telvora
