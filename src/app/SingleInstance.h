#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

namespace telvora {

// Lets one copy of the program run per user and data folder. A later start asks the
// running copy to show its window, then gives way.
class SingleInstance final : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The key for a data folder: copies working on one folder exclude each other.
    static QString keyFor(const QString& dataFolder);

    // True when this process is the one copy; false when another copy runs (and has
    // been asked to show itself).
    bool claim();

signals:
    void activationRequested();

private:
    bool askRunningCopy();

    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};

} // namespace telvora
