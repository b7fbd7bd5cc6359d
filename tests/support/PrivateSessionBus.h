#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace telvora::test {

// A session bus of the test's own, taken for the session bus by everything the test makes
// afterwards, with python-dbusmock's notification service on it when asked.
class PrivateSessionBus
{
public:
    PrivateSessionBus();
    ~PrivateSessionBus();

    bool isRunning() const { return !m_address.isEmpty(); }
    // Starts the desktop's notification service on the bus; false when it did not appear.
    bool startNotifications();
    void stopNotifications();
    // The summary and body of every notice the service was sent, in order, as "summary|body".
    QStringList notices() const;

private:
    QTemporaryDir m_dir;
    QString m_address;
    std::unique_ptr<QProcess> m_daemon;
    std::unique_ptr<QProcess> m_service;
};

} // namespace telvora::test
