#pragma once

#include "contacts/Contact.h"

class QIODevice;

namespace telvora {

// Writes contacts as vCard 4.0 or 3.0, in UTF-8 with lines folded at 75 bytes. A contact filed
// under another carries RELATED;TYPE=x-telvora-parent (4.0) or X-TELVORA-PARENT (3.0) with
// the other's UID, which the reader turns back into a sub-name.
class VCardWriter
{
public:
    enum class Version
    {
        V3,
        V4
    };
    VCardWriter(QIODevice& device, Version version) : m_out(device), m_version(version) {}

    bool write(const Contact& contact);

private:
    void line(const QByteArray& head, const QString& value);
    QIODevice& m_out;
    Version m_version;
    QByteArray m_buffer;
};

} // namespace telvora
