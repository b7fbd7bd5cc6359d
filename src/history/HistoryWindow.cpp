#include "history/HistoryWindow.h"

#include "history/HistoryModel.h"
#include "store/CallLog.h"
#include "ui/Prompt.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>

namespace telvora {

HistoryWindow::HistoryWindow(CallLog& log, Prompt& prompt, QWidget* parent)
    : QWidget(parent, Qt::Window), m_log(log), m_prompt(prompt)
{
    setObjectName(QStringLiteral("HistoryForm"));
    setWindowTitle(tr("Call History"));
    resize(760, 420);

    m_filterText = new QLineEdit(this);
    m_filterText->setObjectName(QStringLiteral("FilterText"));
    m_filterText->setPlaceholderText(tr("Name, number or line"));
    m_filterText->setClearButtonEnabled(true);
    m_outcome = new QComboBox(this);
    m_outcome->setObjectName(QStringLiteral("OutcomeCombo"));
    m_outcome->addItem(tr("All outcomes"), QString());
    for (const QString& word : outcome::all())
        m_outcome->addItem(HistoryModel::outcomeText(word), word);
    auto* findLabel = new QLabel(tr("&Find:"), this);
    findLabel->setBuddy(m_filterText);

    m_model = new HistoryModel(m_log, this);
    m_view = new QTreeView(this);
    m_view->setObjectName(QStringLiteral("HistoryView"));
    m_view->setModel(m_model);
    // Every row is one line high: the view lays out a long log without measuring it.
    m_view->setUniformRowHeights(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setExpandsOnDoubleClick(false);
    m_view->setAllColumnsShowFocus(true);
    m_view->header()->setStretchLastSection(false);
    m_view->header()->setSectionResizeMode(HistoryModel::Name, QHeaderView::Stretch);
    m_view->setColumnWidth(HistoryModel::When, 130);

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("ProblemLabel"));
    m_problem->setWordWrap(true);
    m_problem->hide();

    auto* dial = new QPushButton(tr("&Dial"), this);
    dial->setObjectName(QStringLiteral("DialCMD"));
    auto* copy = new QPushButton(tr("&Copy Number"), this);
    copy->setObjectName(QStringLiteral("CopyCMD"));
    auto* remove = new QPushButton(tr("D&elete"), this);
    remove->setObjectName(QStringLiteral("DeleteCMD"));
    auto* clear = new QPushButton(tr("Clear &All"), this);
    clear->setObjectName(QStringLiteral("ClearCMD"));
    auto* close = new QPushButton(tr("C&lose"), this);
    close->setObjectName(QStringLiteral("CloseCMD"));

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(findLabel);
    filterRow->addWidget(m_filterText, 1);
    filterRow->addWidget(m_outcome);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {dial, copy, remove, clear})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_problem);
    layout->addLayout(buttons);

    connect(m_filterText, &QLineEdit::textChanged, this, &HistoryWindow::applyFilter);
    connect(m_outcome, &QComboBox::currentIndexChanged, this, &HistoryWindow::applyFilter);
    // Enter and a double click both activate a row.
    connect(m_view, &QTreeView::activated, this, &HistoryWindow::dialCurrent);
    connect(dial, &QPushButton::clicked, this, &HistoryWindow::dialCurrent);
    connect(copy, &QPushButton::clicked, this, &HistoryWindow::copyNumbers);
    connect(remove, &QPushButton::clicked, this, &HistoryWindow::deleteSelected);
    connect(clear, &QPushButton::clicked, this, &HistoryWindow::clearAll);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    const std::pair<QKeySequence, void (HistoryWindow::*)()> keys[] = {
        {QKeySequence::Copy, &HistoryWindow::copyNumbers},
        {QKeySequence::Delete, &HistoryWindow::deleteSelected}};
    for (const auto& [key, command] : keys) {
        auto* shortcut = new QShortcut(key, m_view, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, command);
    }
    // A call made while the window is open shows at once.
    connect(&m_log, &CallLog::changed, m_model, &HistoryModel::reload);
    connect(m_model, &QAbstractItemModel::modelReset, this, &HistoryWindow::showProblem);
    showProblem();
    m_view->setFocus();
}

void HistoryWindow::applyFilter()
{
    m_model->setFilter({m_filterText->text(), m_outcome->currentData().toString()});
}

void HistoryWindow::showProblem()
{
    QString problem;
    if (m_log.pendingCount() > 0)
        problem = tr("%n call(s) could not be written to the history yet: %1", nullptr,
                     m_log.pendingCount())
                      .arg(m_log.errorText());
    else if (!m_log.readError().isEmpty())
        problem = tr("The call history cannot be read (%1).").arg(m_log.readError());
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
}

void HistoryWindow::dialCurrent()
{
    const CallRecord* record = m_model->record(m_view->currentIndex());
    if (!record)
        return;
    if (record->cut || record->number.trimmed().isEmpty()) {
        // Dialling part of a number would call someone else.
        m_prompt.messageBox(tr("This entry has no number that can be dialled."),
                            Prompt::Buttons::Ok, Prompt::Icon::Information);
        return;
    }
    emit dialRequested(record->number, record->nameId);
}

void HistoryWindow::copyNumbers()
{
    QStringList numbers;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows()) {
        if (const CallRecord* record = m_model->record(index);
            record && !numbers.contains(record->number))
            numbers << record->number;
    }
    if (!numbers.isEmpty())
        QGuiApplication::clipboard()->setText(numbers.join(QLatin1Char('\n')));
}

void HistoryWindow::deleteSelected()
{
    QList<qint64> ids;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows()) {
        for (const qint64 id : m_model->rowIds(index)) {
            if (!ids.contains(id))
                ids << id;
        }
    }
    if (ids.isEmpty())
        return;
    if (m_log.remove(ids) < 0)
        m_prompt.messageBox(tr("The entries could not be deleted (%1).").arg(m_log.errorText()),
                            Prompt::Buttons::Ok, Prompt::Icon::Warning);
}

void HistoryWindow::clearAll()
{
    if (m_prompt.messageBox(tr("Delete the whole call history?"), Prompt::Buttons::YesNo,
                            Prompt::Icon::Question) != Prompt::Answer::Yes)
        return;
    if (m_log.clear() < 0)
        m_prompt.messageBox(
            tr("The call history could not be cleared (%1).").arg(m_log.errorText()),
            Prompt::Buttons::Ok, Prompt::Icon::Warning);
}

} // namespace telvora
