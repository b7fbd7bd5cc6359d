// What a web page, a mail or a stranger on the socket hands the program as a link.
#include "FuzzInput.h"
#include "numbers/PhoneLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using telvora::PhoneLink;
    QString error;
    const auto link = PhoneLink::parse(fuzzText(data, size), &error);
    FUZZ_ASSERT(link.has_value() == error.isEmpty());
    if (!link)
        return 0;
    const QString& target = link->target();
    FUZZ_ASSERT(!target.isEmpty() && target.size() <= PhoneLink::kMaxLength);
    for (QChar c : target)
        FUZZ_ASSERT(c.unicode() > 0x20 && c.unicode() < 0x7f);
    // What the program dials reads back as itself: the quick-dial box shows it, and a
    // later start may hand it over again.
    QString again;
    const auto reread = PhoneLink::parse(target, &again);
    FUZZ_ASSERT(reread && reread->target() == target && reread->kind() == link->kind());
    return 0;
}
