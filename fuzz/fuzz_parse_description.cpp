// Description text from arbitrary bytes: the parser must build a sound tree whatever it reads.

#include "description/ParseDescription.h"
#include "description/TreeDebug.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Tag items reached by descending Children lists, counted without NextInTree.
int32_t CountByDescent(const TNvDescriptor& root) {
    int32_t count = 0;
    std::vector<const TNvDescriptor*> lists{&root};
    while (!lists.empty()) {
        const TNvDescriptor* list = lists.back();
        lists.pop_back();
        for (const TNvDescriptorItem* item = list->First(); item; item = item->Next()) {
            ++count;
            if (item->Children()) lists.push_back(item->Children());
        }
    }
    return count;
}

[[noreturn]] void Fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "fuzz_parse_description: %s %s\n", what, qPrintable(detail));
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the decoding, so both UTF-8 and single-byte text get explored.
    const auto* text = reinterpret_cast<const char*>(data);
    const auto length = static_cast<qsizetype>(size);
    const QString decoded = size > 0 && (data[0] & 1) ? QString::fromLatin1(text, length)
                                                      : QString::fromUtf8(text, length);
    const QStringList lines = decoded.split(u'\n');

    TNvDescriptor root;
    ParseDescription(root, lines);

    QString why;
    if (!CheckTreeInvariants(root, &why)) Fail("broken tree:", why);
    const int32_t walked = root.CountItems();
    if (walked != CountByDescent(root)) Fail("CountItems disagrees with the tree");
    int32_t visited = 0;
    root.ForEachItem([&](TNvDescriptorItem*, int32_t) { ++visited; }, 0);
    if (visited != walked) Fail("ForEachItem disagrees with CountItems");
    // The dump indents by depth, so its size grows as depth times items: only small inputs.
    if (size <= 16384 && DumpTree(root).count(u'\n') != walked)
        Fail("DumpTree skipped or repeated items");
    return 0;
}
