#pragma once

#include <QByteArray>
#include <QString>

namespace telvora {

// A settings file of the user's, by its name: in $TELVORA_HOME when that is set, else in the
// user's configuration folder for Telvora (~/.config/Telvora).
QString configFile(const QString& name);

// Makes a folder and any missing folder above it for the user alone (mode 700, whatever the
// umask). A folder that already exists keeps its mode: it may be one the user shares on
// purpose. False when the folder is not there afterwards.
bool makePrivateFolder(const QString& folder);

// Writes the file whole or not at all, readable by its owner alone from before its first byte
// is written, in a folder made for the user alone when it is missing. False when it could not
// be written; the file is then as it was.
bool writePrivateFile(const QString& path, const QByteArray& bytes);

} // namespace telvora
