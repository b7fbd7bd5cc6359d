#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QObject>

namespace telvora {

// Lets one copy of the program run per user and data folder. A later start asks the
// running copy to show its window, then gives way.
//
// The lock and the socket live in a folder only this user can reach: $XDG_RUNTIME_DIR,
// or a private folder of ours in the temporary folder. Whatever another user leaves in
// the way (a file or a link where that folder belongs, a folder of theirs or one open to
// others, a socket that answers nonsense or not at all) is never a reason not to start:
// the copy then runs unguarded and problem() says why.
class SingleInstance final : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The key for a data folder: copies working on one folder exclude each other.
    static QString keyFor(const QString& dataFolder);

    // The folder for the lock and the socket, created when it is missing; empty, with
    // the reason in *problem, when no folder private to this user can be had.
    static QString runtimeFolder(QString* problem);
    // True when the path names a folder of this user that no one else may use. A link
    // is refused even when it leads to such a folder, as its target can be changed.
    static bool isPrivateFolder(const QString& path, QString* problem);

    // True when this process goes on: it is the one copy, or it could not tell and runs
    // unguarded (problem() then says why). False when another copy runs and has been
    // asked to show itself.
    bool claim();
    // Why this copy runs unguarded; empty when the guard holds.
    QString problem() const { return m_problem; }

signals:
    void activationRequested();

private:
    bool askRunningCopy(const QString& socketPath);
    void releaseLock();

    QString m_key;
    QString m_problem;
    int m_lockFd = -1;
    QLocalServer m_server;
};

} // namespace telvora
