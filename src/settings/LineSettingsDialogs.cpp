#include "settings/LineSettingsDialogs.h"

#include "settings/ModemLineDialog.h"
#include "settings/SipAccountDialog.h"
#include "telephony/cellular/CellularProvider.h"
#include "telephony/mTAPIConsts.h"
#include "telephony/modem/ModemProvider.h"
#include "telephony/sip/SipAddress.h"
#include "telephony/sip/SipProvider.h"
#include "ui/Prompt.h"

#include <QWidget>
#include <algorithm>
#include <optional>

using namespace mTAPIConsts;

namespace telvora {

namespace {

std::optional<SipAccount> accountOf(SipProvider& sip, const QString& key)
{
    const QList<SipAccount> accounts = sip.accounts();
    const auto found = std::find_if(accounts.cbegin(), accounts.cend(),
                                    [&key](const SipAccount& a) { return a.id == key; });
    if (found == accounts.cend())
        return std::nullopt;
    return *found;
}

QString lineNameOf(LineProvider& provider, const QString& key)
{
    for (const ProviderLine& line : provider.lines()) {
        if (line.key == key)
            return line.caps.lineName;
    }
    return key;
}

} // namespace

qint32 LineSettingsDialogs::configDialog(LineProvider& provider, const QString& lineKey,
                                         QObject* owner, const QString&)
{
    auto* parent = qobject_cast<QWidget*>(owner);
    QDialog* dialog = nullptr;
    if (auto* modem = dynamic_cast<ModemProvider*>(&provider))
        dialog = new ModemLineDialog(*modem, m_prompt, lineKey, parent);
    else if (auto* cellular = dynamic_cast<CellularProvider*>(&provider))
        dialog = new CellularLineDialog(*cellular, lineKey, parent);
    if (dialog) {
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
        dialog->show();
        return 0;
    }
    auto* sip = dynamic_cast<SipProvider*>(&provider);
    if (!sip)
        return LINEERR_OPERATIONUNAVAIL;
    if (!accountOf(*sip, lineKey))
        return LINEERR_BADDEVICEID;
    dialog = new SipAccountDialog(*sip, m_prompt, lineKey, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->show();
    return 0;
}

qint32 LineSettingsDialogs::translateDialog(LineProvider& provider, const QString& lineKey,
                                            QObject*, const QString& number)
{
    auto* sip = dynamic_cast<SipProvider*>(&provider);
    if (!sip)
        return LINEERR_OPERATIONUNAVAIL;
    const auto account = accountOf(*sip, lineKey);
    if (!account)
        return LINEERR_BADDEVICEID;
    const QString line = lineNameOf(provider, lineKey);
    QString text;
    if (number.trimmed().isEmpty()) {
        text = QStringLiteral("Numbers dialled on \"%1\" are called at %2.")
                   .arg(line, sipAddressPattern(*account));
    } else if (const QString address = sipAddressFor(number, *account); address.isEmpty()) {
        text = QStringLiteral("\"%1\" leaves nothing to dial on \"%2\".").arg(number, line);
    } else {
        text = QStringLiteral("\"%1\" is dialled on \"%2\" as %3").arg(number, line, address);
    }
    m_prompt.messageBox(text, Prompt::Buttons::Ok, Prompt::Icon::Information,
                        QStringLiteral("Dialing Properties"));
    return 0;
}

} // namespace telvora
