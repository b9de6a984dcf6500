#include "OtoFormat.h"
#include "modLocale.h"

#include <QByteArray>
#include <cstdint>

// Decodes arbitrary bytes in every code page the editor reads, parses the
// text as oto.ini, and writes it back: nothing may crash, hang or leak, and
// every parsed entry must format to a line that parses to the same entry.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (int codePage : {932, 936, 950, modLocale::kUtf8CodePage}) {
        const QString text = modLocale::bytes2str(bytes, codePage);
        const ParsedOto parsed = parseOtoText(text);
        for (const auto &entry : parsed.entries) {
            const QString line = entry->fileStr();
            if (entry->FIL.contains(u'=') || entry->ALS.contains(u',') || line.contains(u"\r\n"))
                continue;
            const ParsedOto again = parseOtoText(line);
            if (again.entries.size() != 1 || again.entries[0]->fileStr() != line)
                __builtin_trap();
        }
        (void)modLocale::str2bytes(otoFileText(parsed.entries, {}), codePage);
    }
    return 0;
}
