#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

namespace telvora {

// The language of the windows. English is written in the sources; other languages come
// from translations built into the program, so it finds them wherever it runs.
struct Language
{
    // Installs the program's translation for the first of the locale's languages that has
    // one, and Qt's own (its dialog buttons) in the same language. A language without a
    // translation of the program leaves everything English, Qt's buttons included, so no
    // window mixes two languages. Returns the language installed, empty for English.
    static QString install(QCoreApplication& app, const QLocale& locale = QLocale::system());
    // The folder Qt's own translations are read from.
    static QString qtTranslationsPath();
};

} // namespace telvora
