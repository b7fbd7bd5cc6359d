#pragma once

#include <QUrl>

namespace telvora {

// The desktop's handlers for addresses: which program opens a kind of address, and
// starting it. Tests put a recording one in its place.
class UrlHandler
{
public:
    virtual ~UrlHandler() = default;

    // Whether the desktop has a program for addresses of this kind (its scheme).
    virtual bool hasHandler(const QUrl& url) = 0;
    // Starts that program with the address; false when it could not be started.
    virtual bool open(const QUrl& url) = 0;
};

// The real one: xdg-mime's answer for the scheme, and QDesktopServices::openUrl.
class DesktopUrlHandler final : public UrlHandler
{
public:
    bool hasHandler(const QUrl& url) override;
    bool open(const QUrl& url) override;
};

} // namespace telvora
