#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace telvora {

// The desktop's secret store (Secret Service or KWallet) through QtKeychain. Used only
// while one runs on the session bus: otherwise nothing is asked of it at all, and the
// caller keeps the secret in its own file, readable by the user only. Results arrive
// later, on the caller's thread, through the given function.
class SecretStore
{
public:
    // Whether a secret store answers on the session bus now.
    static bool running();

    static void write(const QString& key, const QString& secret, std::function<void(bool)> done);
    static void read(const QString& key, std::function<void(std::optional<QString>)> done);
    static void remove(const QString& key);
};

} // namespace telvora
