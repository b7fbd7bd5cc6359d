#pragma once

#include "telephony/sip/SipStack.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace telvora {

// The microphone, the speaker and the ringing device of SIP calls. They are chosen and
// remembered by the names the stack gives its devices: a device's number changes from
// one start to the next, its name does not. A chosen device that is not there is replaced
// by the default one for as long as it is missing, and used again once it is back.
class SipSoundDevices final : public QObject
{
    Q_OBJECT
public:
    using Role = SipSoundRole;
    // Empty names choose the default device.
    struct Choice
    {
        QString microphone;
        QString speaker;
        QString ringer;
        bool operator==(const Choice&) const = default;
        QString& operator[](Role role);
        const QString& operator[](Role role) const;
    };

    explicit SipSoundDevices(QObject* parent = nullptr);
    ~SipSoundDevices() override;

    // The stack the choice goes to, once it runs; null when it stops.
    void attach(SipStack* stack);
    // The names of the devices there are now that can serve in the role, the default first;
    // empty while the stack does not run.
    QStringList devices(Role role) const;
    Choice choice() const { return m_choice; }
    // The choice the user made: applied to the stack and the calls under way, and told
    // through chosen() so that it is stored.
    void choose(const Choice& choice);
    // The choice as it was stored: applied, not told.
    void restore(const Choice& choice);
    // The device serving in the role now: the chosen one, or the default when the chosen
    // one is missing; empty when there is none.
    QString inUse(Role role) const;
    // One sentence for each chosen device that is missing; empty when all are there.
    QStringList problems() const;
    // Has the stack look for devices again, for one plugged in or taken away.
    void reload();
    // The stack's report that its list of devices changed.
    void listChanged();

signals:
    void chosen(const telvora::SipSoundDevices::Choice& choice);
    // The devices or what is in use changed.
    void changed();

private:
    void apply();

    SipStack* m_stack = nullptr;
    Choice m_choice;
};

} // namespace telvora
