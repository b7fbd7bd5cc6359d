#include "settings/LineSettingsDialogs.h"

#include "telephony/LineProvider.h"
#include "telephony/sip/SipAddress.h"
#include "telephony/sip/SipProvider.h"
#include "ui/Prompt.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHash>
#include <algorithm>
#include <optional>

namespace telvora {

namespace {

QHash<QString, LineSettingsDialogs::Make>& windows()
{
    // Function-local, so registrars in other files can add to it during static
    // initialisation whatever the order in which the files are initialised.
    static QHash<QString, LineSettingsDialogs::Make> byKind;
    return byKind;
}

std::optional<ProviderLine> lineOf(LineProvider& provider, const QString& key)
{
    const QList<ProviderLine> lines = provider.lines();
    const auto found = std::find_if(lines.cbegin(), lines.cend(),
                                    [&key](const ProviderLine& line) { return line.key == key; });
    if (found == lines.cend())
        return std::nullopt;
    return *found;
}

} // namespace

LineSettingsDialogs::Registrar::Registrar(const QString& kind, Make make)
{
    windows().insert(kind, std::move(make));
}

bool LineSettingsDialogs::configDialog(LineProvider& provider, const QString& lineKey,
                                       QWidget* owner)
{
    const Make make = windows().value(provider.kind());
    if (!make || !lineOf(provider, lineKey))
        return false;
    QDialog* dialog = make(provider, lineKey, m_prompt, owner);
    if (!dialog)
        return false;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->show();
    return true;
}

bool LineSettingsDialogs::translateDialog(LineProvider& provider, const QString& lineKey,
                                          const QString& number)
{
    auto* sip = dynamic_cast<SipProvider*>(&provider);
    if (!sip)
        return false;
    const QList<SipAccount> accounts = sip->accounts();
    const auto account = std::find_if(accounts.cbegin(), accounts.cend(),
                                      [&lineKey](const SipAccount& a) { return a.id == lineKey; });
    if (account == accounts.cend())
        return false;
    const auto listed = lineOf(provider, lineKey);
    const QString line = listed ? listed->caps.lineName : lineKey;
    QString text;
    if (number.trimmed().isEmpty()) {
        text = QCoreApplication::translate("telvora::LineSettingsDialogs",
                                           "Numbers dialled on \"%1\" are called at %2.")
                   .arg(line, sip->addressPattern(*account));
    } else if (const QString address = sip->addressFor(number, *account); address.isEmpty()) {
        text = QCoreApplication::translate("telvora::LineSettingsDialogs",
                                           "\"%1\" leaves nothing to dial on \"%2\".")
                   .arg(number, line);
    } else {
        text = QCoreApplication::translate("telvora::LineSettingsDialogs",
                                           "\"%1\" is dialled on \"%2\" as %3")
                   .arg(number, line, address);
    }
    m_prompt.messageBox(
        text, Prompt::Buttons::Ok, Prompt::Icon::Information,
        QCoreApplication::translate("telvora::LineSettingsDialogs", "Dialing Properties"));
    return true;
}

} // namespace telvora
