#pragma once

#include "telephony/modem/AtParser.h"

#include <QByteArrayList>
#include <QObject>
#include <QQueue>
#include <QTimer>
#include <functional>

class QSerialPort;

namespace telvora {

// One open serial port to an AT modem: commands go out one at a time, each finished by
// its own final result (OK or ERROR) or its time limit. Call progress codes, DLE codes and
// lines nobody asked for are signalled as events whatever command is pending; only a dial
// command also takes a call progress code as its end.
class AtChannel : public QObject
{
    Q_OBJECT

public:
    enum class Result
    {
        Ok,
        Error,
        Timeout,
        Progress,     // a dial command ended with a call progress code
        Closed,       // the port went away or was closed first
        Unrecognised, // a dial command ended with a line that is no known result code
    };
    // With Error and Unrecognised, the last line of `info` is the modem's own words.
    using Done = std::function<void(Result result, const QByteArrayList& info)>;

    explicit AtChannel(QObject* parent = nullptr);
    ~AtChannel() override;

    bool open(const QString& path, QString* error);
    void close();
    bool isOpen() const;

    // Queues a command line ("ATI3"); `done` runs once with its outcome.
    void command(const QByteArray& line, int timeoutMs, Done done, bool dial = false);
    // Writes at once, ahead of anything queued, which is dropped: any character ends a
    // dial in progress, so this is how a call is abandoned. Also ends on NO CARRIER.
    void interrupt(const QByteArray& line, int timeoutMs, Done done);

signals:
    void event(const telvora::AtParser::Event& event);
    void portLost();

private:
    struct Pending
    {
        QByteArray line;
        int timeoutMs = 0;
        Done done;
        bool dial = false;
        bool hangUp = false;
    };

    void readAll();
    void startNext();
    void finish(Result result);
    void lose();

    QSerialPort* m_port = nullptr;
    AtParser m_parser;
    QQueue<Pending> m_queue;
    Pending m_pending;
    bool m_busy = false;
    QByteArrayList m_info;
    QTimer m_timer;
};

} // namespace telvora
