#include "definitions/CAction.h"

#include "foundation/XXMSG.h"

namespace {

void appendText(XXWSTRING& to, const XXSTRING& text) {
    if (text.isWide)
        to += text.wtext();
    else
        to += text.text();
}

}  // namespace

CAction::CAction(int32_t kindNumber, const char* displayName, const char* keyword, bool isHidden)
    : kind(kindNumber), name(displayName), key(keyword), hidden(isHidden ? 1 : 0) {
    rebuildSummary();
}

CAction::~CAction() = default;

std::unique_ptr<CAction> CAction::clone() const { return std::make_unique<CAction>(*this); }

void CAction::setParm(int32_t i, const char* text, XXSTRING*) {
    if (!chkParms(i + 1)) return;
    parms[i] = text ? text : "";
    rebuildSummary();
}

void CAction::setParm(int32_t i, const XXWCHAR* text) {
    if (!chkParms(i + 1)) return;
    parms[i] = text ? text : u"";
    rebuildSummary();
}

void CAction::setParm(int32_t i, const XXSTRING& text, XXSTRING* errors) {
    if (text.isWide)
        setParm(i, text.wtext());
    else
        setParm(i, text.text(), errors);
}

void CAction::rebuildSummary() {
    summary.clear();
    summary += name.text();
    int32_t shown = 0;
    for (int32_t i = 0; i < parms.count; ++i) {
        const XXSTRING& p = parms[i];
        if (p.length() == 0) continue;
        summary += shown == 0 ? " " : shown == 1 ? " ( " : ", ";
        appendText(summary, p);
        ++shown;
    }
    if (shown >= 2) summary += " )";
}

const XXWSTRING& CAction::summaryText() const { return summary; }

int32_t CAction::doIt(XXINST*, PXNode*) {
    Tracer("CAction::doIt") << "PVF" << endMsg;
    return -1;
}

void CAction::reset(int32_t) {}

std::unique_ptr<CAction> CAction::upgrade() { return nullptr; }

bool CAction::chkParms(int32_t n) {
    if (n < 0) n = 0;
    const int32_t before = parms.count;
    if (n > before && parms.chk(n))
        for (int32_t i = before; i < n; ++i) parms.at(i) = "";
    if (parms.count < n) {
        Tracer("CAction::chkParms") << "Parameter count = " << parms.count << endMsg;
        return false;
    }
    return true;
}

const XXSTRING& CAction::parm(int32_t i) const {
    static const XXSTRING none;
    return i >= 0 && i < parms.count ? parms[i] : none;
}

// --- CActions ----------------------------------------------------------------------------

CActions::CActions(const CActions& other) : LIST<CAction>() {
    for (const CAction* a : other)
        if (a) add(a->clone());
}

CActions& CActions::operator=(const CActions& other) {
    if (this != &other) {
        clear();
        for (const CAction* a : other)
            if (a) add(a->clone());
    }
    return *this;
}

void CActions::reset(int32_t phase) {
    for (CAction* a : *this) a->reset(phase);
}

void CActions::setGraph(PXGraph* graph) {
    for (CAction* a : *this) a->graph = graph;
}

void CActions::setEngine(PXDefinition* engine) {
    for (CAction* a : *this) a->engine = engine;
}
