#include "telephony/LineProvider.h"

#include "telephony/LineIcon.h"

namespace telvora {

LineProvider::~LineProvider() = default;

QString LineProvider::lineState(const QString&) const
{
    return {};
}

bool LineProvider::sendTones(quint64, const QString&)
{
    return false;
}

QString LineProvider::toneKeys() const
{
    return QStringLiteral("0123456789*#");
}

bool LineProvider::setMuted(quint64, bool)
{
    return false;
}

bool LineProvider::adoptIncoming(quint64, const QString&)
{
    return false;
}

bool LineProvider::hasIncoming() const
{
    return false;
}

bool LineProvider::answerIncoming()
{
    return false;
}

void LineProvider::declineIncoming(bool) {}

void LineProvider::hangUpIncoming()
{
    declineIncoming(false);
}

QString LineProvider::incomingLine() const
{
    return {};
}

void LineProvider::paintIcon(QPainter& painter, const QRect& rect) const
{
    paintLineIcon(painter, rect, kind());
}

LineProviderRegistrar::LineProviderRegistrar(int rank, LineProviderFactory factory)
{
    entries().append(Entry{rank, std::move(factory)});
}

QList<LineProviderRegistrar::Entry>& LineProviderRegistrar::entries()
{
    // A function-local list, so registrars in other files can add to it during static
    // initialisation whatever the order in which the files are initialised.
    static QList<Entry> list;
    return list;
}

} // namespace telvora
