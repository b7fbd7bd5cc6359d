#pragma once

#include <QDialog>

namespace telvora {

class PhoneBook;

// Name, version, license, and the libraries the running program is built on.
class AboutWindow final : public QDialog
{
    Q_OBJECT
public:
    AboutWindow(const PhoneBook& book, QWidget* parent = nullptr);

    static QString aboutText(const PhoneBook& book);
};

} // namespace telvora
