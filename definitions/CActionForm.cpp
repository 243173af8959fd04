// The parameter form of an action: one field per parameter of its kind, labelled as the kind
// names it, shown through the form runner that the user interface installs. Flags are check
// boxes; the prefix of the wide kinds is a wide text.
#include <string>
#include <vector>

#include "definitions/CAction.h"
#include "definitions/PXActionCatalogue.h"
#include "definitions/PXCheckers.h"
#include "foundation/XXFLD.h"
#include "foundation/XXGRID.h"
#include "foundation/XXSTRTABLE.h"

namespace {

enum class ParmKind { text, wide, flag };

struct Parm {
    std::string label;
    ParmKind kind = ParmKind::text;
    int32_t width = 50;
};

std::string joined(int32_t first, int32_t second) { return std::string(loadString(first)) + " " + loadString(second); }

// The parameters of a kind, in order; none for kinds without parameters.
std::vector<Parm> parmsOf(int32_t kind) {
    const Parm target{loadString(1288)};
    const Parm source{loadString(1265)};
    const std::string text = std::string(loadString(41));
    switch (kind) {
    case PXACT::AppendToA:
    case PXACT::SendToA: return {target, {joined(1251, 40), ParmKind::text, 255}, source};
    case PXACT::AppendToW:
    case PXACT::SendToW: return {target, {joined(1251, 1203), ParmKind::wide, 255}, source};
    case PXACT::ClearVar:
    case PXACT::StartNodeEq: return {{loadString(1286)}};
    case PXACT::OutputTableRow: return {{loadString(1283)}};
    case PXACT::IncCounter: return {{"Counter"}, {loadString(211), ParmKind::text, 10}};
    case PXACT::SetCounter: return {{"Counter"}, {loadString(1206), ParmKind::text, 10}};
    case PXACT::Run: return {{loadString(1277)}, source};
    case PXACT::ExeActionGroup: return {{loadString(1233)}, {loadString(1350), ParmKind::flag, 1}};
    case PXACT::ExeUDF:
        return {{loadString(1257), ParmKind::text, 3}, {text + " (1)", ParmKind::text, 255}, {text + " (2)", ParmKind::text, 255}};
    case PXACT::ExeSQL: return {{loadString(1374)}};
    case PXACT::Halt: return {{loadString(1260), ParmKind::flag, 1}};
    default: return {};
    }
}

bool isTrue(const XXSTRING& text) { return text.length() > 0 && !text.isWide && text.text()[0] != '0'; }

}  // namespace

bool CAction::edit(IPXFormRunner* runner) {
    const std::vector<Parm> parms = parmsOf(kind);
    if (!runner || parms.empty()) return false;
    XXGRID form;
    form.setTitle(name.text());
    form.setPageRows(1);
    form.setMaxRows(1);
    for (const Parm& p : parms) {
        const XXFLDFACTORY factory = p.kind == ParmKind::flag ? XXFLD_BOOL::gen
                                     : p.kind == ParmKind::wide ? XXFLD_WSTR::gen
                                                                : XXFLD_STR::gen;
        form.addFld(factory, p.label.c_str(), p.width).optional = true;
    }
    // The record is made once every column is there.
    for (size_t i = 0; i < parms.size(); ++i) {
        const int32_t col = int32_t(i);
        if (parms[i].kind == ParmKind::flag)
            form.setText(col, 0, isTrue(parm(col)) ? "1" : "0");
        else
            form.setFromString(col, 0, parm(col));
    }
    form.setModified(false);
    if (!runner->runForm(form)) return false;
    for (size_t i = 0; i < parms.size(); ++i) {
        const int32_t col = int32_t(i);
        const XXFLD* f = form.getCell(col, 0);
        if (parms[i].kind == ParmKind::flag)
            setParm(col, f && f->getInt() != 0 ? "1" : "", nullptr);
        else if (f && f->isWide())
            setParm(col, f->getWText());
        else
            setParm(col, f ? f->getText() : "", nullptr);
    }
    return true;
}
