#pragma once

#include <QString>
#include <QUrl>

namespace telvora {

class Prompt;
class UrlHandler;

// The address as the desktop's handlers take it: a text with a scheme ("https:",
// "mailto:") as it is, any other text as a user would mean it in a browser's address
// bar ("www.example.org" is a web page), since a handler is chosen by the scheme.
QUrl addressUrl(const QString& address);

// Why the address must not be handed to the desktop; empty when it may. Only web pages
// (http, https, or a bare host taken as http) and mail (mailto) are opened: a card's
// field may hold anything, and the desktop would as readily run a program, open a local
// file or attach one to a mail.
QString addressRefusal(const QString& address);

// Opens a web page or a new mail with the program the desktop keeps for it; says so
// through the prompt when there is none or it cannot be started, and why when the address
// is refused. An empty address does nothing at all.
void OpenInBrowser(const QString& address, UrlHandler& handler, Prompt& prompt);

} // namespace telvora
