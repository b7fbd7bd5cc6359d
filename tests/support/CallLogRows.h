#pragma once

#include "store/CallLog.h"

#include <QStringList>

namespace telvora {
class PhoneBook;
}

namespace telvora::test {

// One attempt as the dial run reports it, started a given number of seconds ago.
CallRecord attemptOf(const QString& number, const QString& outcome, int attempt = 1,
                     int attempts = 1, qint64 nameId = 0, qint64 secondsAgo = 60);
// Every row of the log in the order written: "number outcome attempt/attempts talk".
QStringList logRows(PhoneBook& book);
// Appends count single-attempt rows numbered 0 to count - 1 in one transaction, runs of
// three attempts where every seventh row starts one.
void fillLog(PhoneBook& book, int count);

} // namespace telvora::test
