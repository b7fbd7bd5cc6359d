#include "ui/QtFileChooser.h"

#include <QFileDialog>

namespace telvora {

QString QtFileChooser::openFileName(const QString& caption, const QString& filter)
{
    return QFileDialog::getOpenFileName(m_parent, caption, QString(), filter);
}

QString QtFileChooser::saveFileName(const QString& caption, const QString& filter,
                                    QString* selectedFilter)
{
    // The replace question is the caller's, through the prompt, so tests see it too.
    return QFileDialog::getSaveFileName(m_parent, caption, QString(), filter, selectedFilter,
                                        QFileDialog::DontConfirmOverwrite);
}

} // namespace telvora
