// What a user types into the search box, against a text it is matched with.
#include "FuzzInput.h"
#include "search/SearchPattern.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto [typed, text] = fuzzTexts(data, size);
    const telvora::SearchPattern pattern(typed);
    const bool found = pattern.matches(text);
    pattern.fullTextQuery();
    pattern.globPattern();
    pattern.isCaseless();
    // Every piece the index looks up is in every text that matches, case aside.
    if (found) {
        for (const QString& piece : pattern.indexablePieces())
            FUZZ_ASSERT(text.toCaseFolded().contains(piece.toCaseFolded()) ||
                        text.contains(piece, Qt::CaseInsensitive));
    }
    // A plain text is found inside any text that holds it.
    if (!typed.contains(QLatin1Char('*')) && !typed.contains(QLatin1Char('?')) && !typed.isEmpty())
        FUZZ_ASSERT(telvora::SearchPattern(typed).matches(QStringLiteral("<") + typed +
                                                          QStringLiteral(">")));
    return 0;
}
