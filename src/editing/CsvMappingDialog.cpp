#include "editing/CsvMappingDialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace telvora {

CsvMappingDialog::CsvMappingDialog(const QStringList& headers,
                                   const QList<ContactMapping::Target>& targets, QWidget* parent)
    : QDialog(parent), m_targets(targets)
{
    setObjectName(QStringLiteral("CsvMappingDialog"));
    setWindowTitle(tr("Columns of the CSV file"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("These columns have names Telvora does not know. Choose where "
                                "each one goes; a column left in the notes is kept there as "
                                "\"column: value\"."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    for (int column = 0; column < headers.size() && column < m_targets.size(); ++column) {
        if (m_targets[column].known())
            continue;
        auto* choice = new QComboBox(this);
        choice->addItem(tr("Keep in the notes"));
        for (const auto& [text, target] : ContactMapping::csvChoices())
            choice->addItem(
                QCoreApplication::translate("telvora::ContactMapping", text.toUtf8().constData()));
        m_unknownColumns << column;
        m_choices << choice;
        form->addRow(headers[column], choice);
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QList<ContactMapping::Target> CsvMappingDialog::targets() const
{
    QList<ContactMapping::Target> targets = m_targets;
    for (qsizetype i = 0; i < m_choices.size(); ++i) {
        const int chosen = m_choices[i]->currentIndex();
        if (chosen > 0)
            targets[m_unknownColumns[i]] = ContactMapping::csvChoices().value(chosen - 1).second;
    }
    return targets;
}

} // namespace telvora
