#include "store/SortKey.h"

#include <QLocale>
#include <unicode/ucol.h>

namespace telvora {

namespace {

QByteArray keyOf(const UCollator* collator, QStringView text)
{
    if (!collator)
        return text.toUtf8();
    const auto* source = reinterpret_cast<const UChar*>(text.utf16());
    const auto length = int32_t(text.size());
    QByteArray bytes(64, Qt::Uninitialized);
    int32_t needed = ucol_getSortKey(
        collator, source, length, reinterpret_cast<uint8_t*>(bytes.data()), int32_t(bytes.size()));
    if (needed > bytes.size()) {
        bytes.resize(needed);
        needed = ucol_getSortKey(collator, source, length, reinterpret_cast<uint8_t*>(bytes.data()),
                                 needed);
    }
    // The key ends in a zero byte that adds nothing to the order.
    bytes.resize(needed > 0 ? needed - 1 : 0);
    return bytes;
}

} // namespace

SortKey::SortKey(const QString& locale)
{
    const bool root =
        locale.isEmpty() || locale == QLatin1String("C") || locale == QLatin1String("POSIX");
    const QByteArray name = root ? QByteArray() : locale.toLatin1();
    UErrorCode status = U_ZERO_ERROR;
    m_collator = ucol_open(name.constData(), &status);
    if (U_FAILURE(status)) {
        // An unknown or broken locale name still sorts, in the root order.
        status = U_ZERO_ERROR;
        m_collator = ucol_open("", &status);
    }
    UVersionInfo version = {};
    if (m_collator) {
        ucol_getVersion(m_collator, version);
        status = U_ZERO_ERROR;
        m_primary = ucol_clone(m_collator, &status);
        if (U_FAILURE(status))
            m_primary = nullptr;
        else
            ucol_setStrength(m_primary, UCOL_PRIMARY);
    }
    char versionText[U_MAX_VERSION_STRING_LENGTH] = {};
    u_versionToString(version, versionText);
    m_identity = QStringLiteral("%1 %2").arg(root ? QStringLiteral("root") : locale,
                                             QLatin1String(versionText));
}

SortKey::~SortKey()
{
    if (m_collator)
        ucol_close(m_collator);
    if (m_primary)
        ucol_close(m_primary);
}

QByteArray SortKey::key(QStringView text) const
{
    return keyOf(m_collator, text);
}

QByteArray SortKey::primaryKey(QStringView text) const
{
    return keyOf(m_primary, text);
}

QString SortKey::userLocale()
{
    const QLocale locale = QLocale().collation();
    return locale.language() == QLocale::C ? QString() : locale.name();
}

} // namespace telvora
