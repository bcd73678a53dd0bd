// Feeds arbitrary bytes to the .res readers as a module's resources, and every record's data to
// the readers of what resources hold (packed DIBs, icon and cursor groups, string tables). It
// checks what the loader relies on: records lie inside the image at rising DWORD boundaries,
// the walk finds each again where it starts, a look-up by a record's own type and name finds
// it or an earlier one of the same kind, and every measured layout stays inside its bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "codepage.h"
#include "resource_format.h"
#include "resources.h"

using namespace winplat::detail;

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

bool inside(std::span<const BYTE> part, std::span<const BYTE> whole) {
    return part.data() >= whole.data() && part.size() <= whole.size() &&
           static_cast<size_t>(part.data() - whole.data()) <= whole.size() - part.size();
}

ResourceKey keyOf(const ResourceName& name) {
    ResourceKey key;
    key.number = name.number;
    for (size_t i = 0; !name.number && i < name.text.size(); i += 2)
        key.text.push_back(upperCaseUnit(readWord(name.text, i)));
    return key;
}

void checkDib(std::span<const BYTE> bytes, bool iconImage) {
    auto dib = parsePackedDib(bytes, iconImage);
    if (!dib) return;
    check(dib->bytes.data() == bytes.data() && dib->bytes.size() == bytes.size());
    check(dib->colourOffset + dib->colourCount * dib->colourEntryBytes == dib->bitsOffset);
    check(dib->bitsOffset <= bytes.size());
    check(dib->width > 0 && dib->height != 0);
    if (dib->stride == 0) return;  // run-length encoded
    const size_t rows = static_cast<size_t>(std::abs(dib->height));
    const size_t mask = iconImage ? (static_cast<size_t>(dib->width) + 31) / 32 * 4 * rows : 0;
    check(dib->stride * rows + mask <= bytes.size() - dib->bitsOffset);
}

void checkGroup(std::span<const BYTE> bytes, bool cursor) {
    auto entries = parseIconGroup(bytes, cursor);
    if (!entries) return;
    check(!entries->empty());
    std::vector<IconCandidate> candidates;
    for (const IconGroupEntry& e : *entries) candidates.push_back(e.candidate);
    for (int size : {0, 16, 32, 48}) {
        for (int bits : {1, 8, 32})
            check(chooseIconCandidate(candidates, cursor, size, size, bits) < candidates.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const BYTE> image(data, size);
    ResourceRecords records(image);
    size_t previous = 0;
    bool first = true;
    while (auto record = records.next()) {
        check(record->offset % 4 == 0 && record->offset < size);
        check(first || record->offset > previous);
        first = false;
        previous = record->offset;
        check(inside(record->data, image));
        check(record->data.data() > data + record->offset);
        check(record->name.number || inside(record->name.text, image));
        check(record->type.number || inside(record->type.text, image));

        auto again = recordAt(image, record->offset);
        check(again && again->data.data() == record->data.data() &&
              again->data.size() == record->data.size());
        ResourceSearch search = findRecord(image, keyOf(record->type), keyOf(record->name), {});
        check(search.record && search.error == ERROR_SUCCESS);
        check(search.record->offset <= record->offset);
        search = findRecord(image, keyOf(record->type), keyOf(record->name), record->language);
        check(search.record && search.record->language == record->language);

        checkDib(record->data, false);
        checkDib(record->data, true);
        checkGroup(record->data, false);
        checkGroup(record->data, true);
        for (UINT i = 0; i < kStringsPerTable; ++i) {
            auto text = stringInTable(record->data, i);
            check(!text || (inside(*text, record->data) && text->size() % 2 == 0));
        }
    }
    return 0;
}
