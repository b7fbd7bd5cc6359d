// Key paths as typed, and settings files as they may be found on disk: the split and
// check of a path, and the INI store's reading, escaping and writing back.
#include "FuzzInput.h"
#include "settings/IniStore.h"
#include "settings/Registry.h"
#include "ui/Prompt.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
class SilentPrompt final : public telvora::Prompt
{
public:
    QString inputBox(const QString&, const QString&) override { return {}; }
    Answer messageBox(const QString&, Buttons, Icon, const QString&) override { return Answer::Ok; }
    void beep() override {}
};

bool wellFormed(const QString& text)
{
    // Lone surrogates cannot survive UTF-8, in the file or anywhere else.
    return QString::fromUtf8(text.toUtf8()) == text;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const auto [path, value] = fuzzTexts(data, size);

    SilentPrompt prompt;
    const QString file = dir.filePath(QStringLiteral("registry.ini"));
    QFile::remove(file);
    telvora::Registry registry(file, prompt);
    const auto split = registry.SplitKeyPath(path);
    if (split && split->root != telvora::Registry::NoRoot && wellFormed(path) &&
        wellFormed(value)) {
        registry.CreateRegistryKey(path);
        registry.WriteRegistryString(path, value, value);
        const QString read = registry.ReadRegistryString(path, value);
        if (value.size() <= telvora::Registry::kLongestValue && !value.startsWith(QLatin1Char(' ')))
            FUZZ_ASSERT(read == value);
    }
    if (wellFormed(value))
        FUZZ_ASSERT(telvora::IniStore::unescape(telvora::IniStore::escape(value)) == value);

    // Any file content reads without harm, and a value written into it reads back.
    {
        QFile raw(file);
        raw.open(QIODevice::WriteOnly);
        raw.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    telvora::IniStore store(file);
    store.hasKey(path);
    store.value(path, value);
    if (store.setValue(QStringLiteral("HKEY_CURRENT_USER\\Fuzz"), QStringLiteral("v"),
                       QStringLiteral("kept")))
        FUZZ_ASSERT(store.value(QStringLiteral("HKEY_CURRENT_USER\\Fuzz"), QStringLiteral("v")) ==
                    QStringLiteral("kept"));
    return 0;
}
