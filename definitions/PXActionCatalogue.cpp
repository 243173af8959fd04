#include "definitions/PXActionCatalogue.h"

#include <strings.h>

#include "foundation/XXSTRTABLE.h"

namespace {

// How a kind's label is composed from string-table texts: `first`, then " " + `second`, or
// " (" + `second` + ")" when `parenthesised`.
struct KindRow {
    const char* className;
    int32_t first;
    int32_t second;
    bool parenthesised;
    const char* keyword;   // null: the label without spaces
    bool listed;
};

constexpr KindRow kRows[PXACT::kindCount] = {
    {"AppendToA", 1302, 0, false, nullptr, true},
    {"AppendToW", 1302, 1402, true, nullptr, true},
    {"SendToA", 1356, 0, false, nullptr, true},
    {"SendToW", 1356, 1402, true, nullptr, true},
    {"ClearVar", 118, 1294, false, nullptr, true},
    {"OutputTableRow", 1083, 1285, false, nullptr, true},
    {"IncCounter", 1084, 0, false, "IncCounter", true},
    {"SetCounter", 1320, 0, false, "SetCounter", true},
    {"OutCounter", 1321, 0, false, nullptr, false},
    {"StartNodeEq", 1340, 0, false, "StartNode=", true},
    {"Run", 1260, 0, false, nullptr, true},
    {"ExeActionGroup", 1330, 0, false, "ExeActionGroup", true},
    {"ExeUDF", 1331, 0, false, "ExeUDF", true},
    {"ExeSQL", 1332, 0, false, nullptr, true},
    {"Return", 1086, 0, false, nullptr, true},
    {"Halt", 1085, 0, false, nullptr, true},
    {"OutputNode", 1083, 1236, false, nullptr, false},
    {"OutputVar", 1083, 1294, false, nullptr, false},
    {"OutputString", 1083, 1269, false, nullptr, false},
    {"OutputWString", 1083, 1203, false, nullptr, false},
    {"OutputSName", 1083, 1096, false, nullptr, false},
    {"Scan", 1354, 0, false, nullptr, false},
};

}  // namespace

PXActionCatalogue::PXActionCatalogue() {
    for (int32_t i = 0; i < PXACT::kindCount; ++i) {
        const KindRow& s = kRows[i];
        PXActionKind& k = kinds_[i];
        k.number = i + 1;
        k.className = s.className;
        k.label = loadString(s.first);
        if (s.second != 0) {
            k.label << (s.parenthesised ? " (" : " ") << loadString(s.second);
            if (s.parenthesised) k.label << ")";
        }
        if (s.keyword) {
            k.keyword = s.keyword;
        } else {
            k.keyword = k.label;
            k.keyword.remove(' ');
        }
        k.listed = s.listed;
        k.hidden = !s.listed;
        k.prototype = std::make_unique<CAction>(k.number, k.label, k.keyword, k.hidden);
    }
}

const PXActionKind* PXActionCatalogue::kind(int32_t number) const {
    return number >= 1 && number <= PXACT::kindCount ? &kinds_[number - 1] : nullptr;
}

const PXActionKind* PXActionCatalogue::find(const char* nameOrKeyword) const {
    XXSTRING name(nameOrKeyword ? nameOrKeyword : "");
    name.remove('"');
    if (name.length() == 0) return nullptr;
    for (const PXActionKind& k : kinds_)
        if (strcasecmp(k.label, name) == 0) return &k;
    for (const PXActionKind& k : kinds_)
        if (strcasecmp(k.keyword, name) == 0) return &k;
    return nullptr;
}

std::unique_ptr<CAction> PXActionCatalogue::make(const char* nameOrKeyword) const {
    const PXActionKind* k = find(nameOrKeyword);
    return k && k->prototype ? k->prototype->clone() : nullptr;
}

std::unique_ptr<CAction> PXActionCatalogue::make(int32_t number) const {
    const PXActionKind* k = kind(number);
    return k && k->prototype ? k->prototype->clone() : nullptr;
}

void PXActionCatalogue::setPrototype(int32_t number, std::unique_ptr<CAction> prototype) {
    if (number < 1 || number > PXACT::kindCount || !prototype) return;
    kinds_[number - 1].prototype = std::move(prototype);
}

int32_t PXActionCatalogue::listedCount() const {
    int32_t n = 0;
    for (const PXActionKind& k : kinds_) n += k.listed ? 1 : 0;
    return n;
}
