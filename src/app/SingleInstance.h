#pragma once

#include "numbers/PhoneLink.h"

#include <QByteArray>
#include <QLocalServer>
#include <QObject>

namespace telvora {

// Lets one copy of the program run per user and data folder. A later start asks the
// running copy to show its window, or to show or dial a link, then gives way.
//
// The lock and the socket live in a folder only this user can reach: $XDG_RUNTIME_DIR,
// or a private folder of ours in the temporary folder. Whatever another user leaves in
// the way (a file or a link where that folder belongs, a folder of theirs or one open to
// others, a socket that answers nonsense or not at all) is never a reason not to start:
// the copy then runs unguarded and problem() says why. What arrives on the socket is read
// as a stranger's: only from this user, one short line of one shape, a link checked again
// as if it came from the command line.
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

    // What claim() hands to a running copy instead of asking it only to show itself.
    void setHandOver(const PhoneLink& link, bool dialNow);
    // Asks a running copy to read its lists again (after a change made from outside).
    void setReloadHandOver();

    // True when this process goes on: it is the one copy, or it could not tell and runs
    // unguarded (problem() then says why). False when another copy runs and has been
    // asked to show itself.
    bool claim();
    // Why this copy runs unguarded; empty when the guard holds.
    QString problem() const { return m_problem; }
    // The running copy was reached but would not take the link.
    bool handOverRefused() const { return m_refused; }

signals:
    void activationRequested();
    // A later start handed over a link: show it, and dial it when dialNow.
    void linkRequested(const telvora::PhoneLink& link, bool dialNow);
    // A later start changed the phone book: show the lists as they now are.
    void reloadRequested();

private:
    bool askRunningCopy(const QString& socketPath);
    // The answer to one request line (without its line end).
    QByteArray answerTo(const QByteArray& request);
    void releaseLock();

    QString m_key;
    QString m_problem;
    QByteArray m_request;
    bool m_refused = false;
    int m_lockFd = -1;
    QLocalServer m_server;
};

} // namespace telvora
