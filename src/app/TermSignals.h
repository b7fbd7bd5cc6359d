#pragma once

#include <QObject>

class QSocketNotifier;

namespace telvora {

// Turns SIGTERM, SIGHUP and SIGINT (the session ending, a logout, Ctrl+C) into a Qt
// signal on the main thread, so the program can end as the Exit command does.
class TermSignals final : public QObject
{
    Q_OBJECT
public:
    explicit TermSignals(QObject* parent = nullptr);
    ~TermSignals() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace telvora
