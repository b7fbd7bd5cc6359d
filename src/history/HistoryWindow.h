#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace telvora {

class CallLog;
class HistoryModel;
class Prompt;

// The call history: every attempt, newest first, a run of several attempts as one row
// that opens to them. Filtered by text and outcome; Enter or a double click dials the
// row's number again, through the same run as the main window's Dial.
class HistoryWindow final : public QWidget
{
    Q_OBJECT
public:
    HistoryWindow(CallLog& log, Prompt& prompt, QWidget* parent = nullptr);

    HistoryModel& model() { return *m_model; }
    QTreeView* view() const { return m_view; }

    void dialCurrent();
    void copyNumbers();
    void deleteSelected();
    void clearAll();

signals:
    // Dial this number as it was dialled, for this name (0 for none).
    void dialRequested(const QString& number, qint64 nameId);

private:
    void applyFilter();
    void showProblem();

    CallLog& m_log;
    Prompt& m_prompt;
    HistoryModel* m_model = nullptr;
    QLineEdit* m_filterText = nullptr;
    QComboBox* m_outcome = nullptr;
    QTreeView* m_view = nullptr;
    QLabel* m_problem = nullptr;
};

} // namespace telvora
