#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace telvora {

QString Language::qtTranslationsPath()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

QString Language::install(QCoreApplication& app, const QLocale& locale)
{
    // The locale's languages come in the user's order (LANGUAGE, LC_ALL, LC_MESSAGES,
    // LANG); the first with a translation wins.
    auto* own = new QTranslator(&app);
    if (!own->load(locale, QStringLiteral("telvora"), QStringLiteral("_"),
                   QStringLiteral(":/i18n"))) {
        delete own;
        return {};
    }
    QCoreApplication::installTranslator(own);
    const QString language = own->language();
    // Qt's buttons follow the program's language, not the locale's first choice.
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                 qtTranslationsPath()))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    return language;
}

} // namespace telvora
