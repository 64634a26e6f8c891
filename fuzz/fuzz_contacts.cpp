// The contact-file readers on arbitrary bytes: first byte chooses vCard, Google CSV or the
// sniffing entry point. Whatever they take, each entry must carry a number and a name,
// there can be no more entries than the input has bytes, and every skip has a line.
#include "callers/ContactFiles.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    contactfiles::Contents contents;
    switch (data[0] % 3) {
    case 0:
        contents = contactfiles::readVCards(bytes);
        break;
    case 1:
        contents = contactfiles::readGoogleCsv(bytes);
        break;
    default:
        contents = contactfiles::readContacts(bytes);
        break;
    }
    FUZZ_CHECK(contents.entries.size() <= bytes.size());
    FUZZ_CHECK(contents.skipped.size() <= bytes.size() + 1);
    for (const contactfiles::Entry &entry : std::as_const(contents.entries)) {
        FUZZ_CHECK(!entry.number.trimmed().isEmpty());
        FUZZ_CHECK(!entry.name.trimmed().isEmpty());
        FUZZ_CHECK(entry.number.size() <= contactfiles::kLongestLine);
    }
    for (const contactfiles::Skipped &skipped : std::as_const(contents.skipped)) {
        FUZZ_CHECK(skipped.line >= 1);
        FUZZ_CHECK(!skipped.reason.isEmpty());
    }
    return 0;
}
