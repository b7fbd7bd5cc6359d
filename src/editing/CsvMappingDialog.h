#pragma once

#include "contacts/ContactMapping.h"

#include <QDialog>
#include <QList>

class QComboBox;

namespace telvora {

// Asks where the columns of a CSV file go that its header does not name in a way the import
// knows: each gets a choice of the phone book's fields, or stays in the notes.
class CsvMappingDialog final : public QDialog
{
    Q_OBJECT
public:
    CsvMappingDialog(const QStringList& headers, const QList<ContactMapping::Target>& targets,
                     QWidget* parent = nullptr);

    // The targets with the user's choices; the unknown columns' choice boxes, in order.
    QList<ContactMapping::Target> targets() const;
    const QList<QComboBox*>& choices() const { return m_choices; }

private:
    QList<ContactMapping::Target> m_targets;
    QList<int> m_unknownColumns;
    QList<QComboBox*> m_choices;
};

} // namespace telvora
