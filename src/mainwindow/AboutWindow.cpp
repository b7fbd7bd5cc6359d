#include "mainwindow/AboutWindow.h"

#include "mainwindow/Icons.h"
#include "store/PhoneBook.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSqlQuery>
#include <QVBoxLayout>

namespace telvora {

namespace {
QString sqliteVersion(const PhoneBook& book)
{
    if (!book.isOpen())
        return AboutWindow::tr("(not in use: no phone book is open)");
    QSqlQuery query(book.database());
    if (query.exec(QStringLiteral("SELECT sqlite_version()")) && query.next())
        return query.value(0).toString();
    return AboutWindow::tr("(unknown)");
}
} // namespace

QString AboutWindow::aboutText(const PhoneBook& book)
{
    return tr("<h2>Telvora %1</h2>"
              "<p>A phone book that dials its numbers through your telephone line and "
              "redials busy numbers for you.</p>"
              "<p>Copyright &copy; the Telvora developers.<br>"
              "Telvora is free software: you can redistribute it and/or modify it under the "
              "terms of the GNU General Public License, version 3 or (at your option) any later "
              "version. It comes with no warranty.</p>"
              "<p><b>Built with</b><br>Qt %2 (running on %3)<br>SQLite %4</p>"
              "<p>Phone book: %5</p>")
        .arg(QStringLiteral(TELVORA_VERSION), QStringLiteral(QT_VERSION_STR),
             QString::fromLatin1(qVersion()), sqliteVersion(book), book.filePath().toHtmlEscaped());
}

AboutWindow::AboutWindow(const PhoneBook& book, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutWindow"));
    setWindowTitle(tr("About Telvora"));
    auto* icon = new QLabel(this);
    icon->setPixmap(icons::application().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(aboutText(book), this);
    text->setObjectName(QStringLiteral("AboutText"));
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setMinimumWidth(360);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

} // namespace telvora
