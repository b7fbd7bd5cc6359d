#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>

namespace telvora {

std::optional<int> CommandLine::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Telvora keeps your phone book and dials its numbers through a telephone line, "
           "redialling busy numbers."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  tr("Shows these options and ends."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     tr("Shows the version and ends."));
    const QCommandLineOption dial(QStringLiteral("dial"),
                                  tr("Dials the number or link at once, with the attempts and "
                                     "the pause set up in Setup."),
                                  tr("number-or-link"));
    const QCommandLineOption home(QStringLiteral("home"),
                                  tr("Keeps the phone book and the settings in this folder, "
                                     "as TELVORA_HOME does."),
                                  tr("folder"));
    const QCommandLineOption importFile(
        QStringLiteral("import"),
        tr("Adds the names of a vCard (.vcf) or CSV (.csv) file to the phone book and ends."),
        tr("file"));
    const QCommandLineOption exportFile(
        QStringLiteral("export"),
        tr("Writes the phone book to a new vCard (.vcf) or CSV (.csv) file and ends."), tr("file"));
    const QCommandLineOption group(QStringLiteral("group"),
                                   tr("With --import: puts every name into this group. With "
                                      "--export: writes this group only."),
                                   tr("name"));
    const QCommandLineOption vcard3(QStringLiteral("vcard3"),
                                    tr("With --export to a .vcf file: writes vCard 3.0, which "
                                       "older phones read, instead of 4.0."));
    parser.addOptions({help, version, dial, home, importFile, exportFile, group, vcard3});
    parser.addPositionalArgument(
        tr("link"),
        tr("A tel:, callto:, sip: or sips: link, or a number: the running window shows it in "
           "the quick-dial box, and Enter dials it."),
        tr("[link]"));
    // Whatever follows a link is not read as an option: it can only be a second link.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);

    const auto mistake = [this](const QString& text) {
        m_error = text;
        return 2;
    };
    if (!parser.parse(arguments))
        return mistake(parser.errorText());
    if (parser.isSet(help)) {
        // The program's name as a user types it, wherever it was started from.
        QString text = parser.helpText();
        const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
        const QString usage = text.left(lineEnd);
        const qsizetype nameStart = usage.indexOf(QLatin1Char(' ')) + 1;
        const qsizetype nameEnd = usage.indexOf(QLatin1Char(' '), nameStart);
        if (nameStart > 0 && nameEnd > nameStart)
            text.replace(nameStart, nameEnd - nameStart, QStringLiteral("telvora"));
        m_output = text;
        return 0;
    }
    if (parser.isSet(version)) {
        m_output = QStringLiteral("Telvora %1\n").arg(QStringLiteral(TELVORA_VERSION));
        return 0;
    }
    if (parser.isSet(home)) {
        const QString folder = parser.value(home);
        if (folder.isEmpty())
            return mistake(tr("--home needs a folder"));
        m_home = QDir(folder).absolutePath();
    }

    const QStringList links = parser.positionalArguments();
    if (parser.isSet(importFile) || parser.isSet(exportFile)) {
        if (parser.isSet(importFile) && parser.isSet(exportFile))
            return mistake(tr("give either --import or --export, not both"));
        if (!links.isEmpty() || parser.isSet(dial))
            return mistake(tr("--import and --export take no link"));
        const bool importing = parser.isSet(importFile);
        const QString file = parser.value(importing ? importFile : exportFile);
        if (file.isEmpty())
            return mistake(tr("--import and --export need a file"));
        if (parser.isSet(vcard3) && importing)
            return mistake(tr("--vcard3 goes with --export"));
        m_contactFile = ContactFile{importing, QDir(file).absolutePath(), parser.value(group),
                                    parser.isSet(vcard3)};
        return std::nullopt;
    }
    if (parser.isSet(group))
        return mistake(tr("--group goes with --import or --export"));
    if (parser.isSet(vcard3))
        return mistake(tr("--vcard3 goes with --export"));
    if (links.size() > 1)
        return mistake(tr("one link at a time, please: %1 were given").arg(links.size()));
    if (parser.isSet(dial) && !links.isEmpty())
        return mistake(tr("give either a link or --dial, not both"));
    m_dialNow = parser.isSet(dial);
    if (m_dialNow || !links.isEmpty()) {
        QString why;
        m_link = PhoneLink::parse(m_dialNow ? parser.value(dial) : links.first(), &why);
        if (!m_link)
            return mistake(why);
    }
    return std::nullopt;
}

} // namespace telvora
