#pragma once

#include <QString>

namespace telvora {

// The folder that holds the phone book and that the program works in: $TELVORA_HOME
// when it is set, else the user's data folder for Telvora.
struct DataFolder
{
    static QString path();
    // Creates the folder when missing and makes it the working directory. On failure the
    // text says why and the working directory is unchanged.
    static bool enter(QString* error);
    // Creates a folder and any missing folder above it for the user alone (mode 700,
    // whatever the umask). A folder that already exists keeps its mode: it may be one the
    // user shares on purpose. On failure the text says why.
    static bool makePrivate(const QString& folder, QString* error);
};

} // namespace telvora
