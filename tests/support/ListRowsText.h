#pragma once

#include "store/ListRows.h"

#include <QTest>

namespace telvora {

// How a comparison of rows that failed shows them: "id:text" each.
inline char* toString(const ListRows& rows)
{
    QStringList shown;
    for (const ListRow& row : rows)
        shown << QString::number(row.id) + QLatin1Char(':') + row.text;
    return QTest::toString(shown.join(QLatin1String(", ")));
}

} // namespace telvora
