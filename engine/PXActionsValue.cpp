// The value kinds: Clear variable, Output table row, Increment counter, Set counter and
// Execute SQL.
#include <string>
#include <vector>

#include "engine/PXActions.h"
#include "engine/PXEngine.h"
#include "foundation/XXSTRTABLE.h"
#include "foundation/codepage.h"

// --- Clear variable -----------------------------------------------------------------------

void ClearVar::resolve(int32_t i, XXSTRING* errors) {
    if (i != 0) return;
    PXEngine* e = eng();
    if (!e) return;
    const XXSTRING text = narrowParm(0);
    variable = e->findVariableValue(text);
    if (!variable) notFound(errors, loadString(1294), text);
}

void ClearVar::rebuildSummary() {
    summary.clear();
    summary += loadString(118);
    summary += " ";
    const XXSTRING& p = parm(0);
    if (p.isWide)
        summary += p.wtext();
    else
        summary += p.text();
}

int32_t ClearVar::doIt(XXINST*, PXNode*) {
    if (variable) variable->clear();
    return -2;
}

// --- Output table row ---------------------------------------------------------------------

void OutputTableRow::resolve(int32_t i, XXSTRING* errors) {
    if (i != 0) return;
    PXEngine* e = eng();
    if (!e) return;
    const XXSTRING text = narrowParm(0);
    table = e->tableIndex(text);
    if (table < 0) notFound(errors, loadString(1281), text);
}

int32_t OutputTableRow::doIt(XXINST*, PXNode*) {
    PXEngine* e = eng();
    if (e && e->dests() && table >= 0) e->dests()->event(4, table);
    return -2;
}

// --- counters -----------------------------------------------------------------------------

CCounterAction::CCounterAction(const PXActionKind& k)
    : CEngineAction(k),
      value(k.number == PXACT::IncCounter ? 1 : 0),
      title_(k.number == PXACT::IncCounter ? "IncCounter::setParm" : "SetCounter::setParm") {}

void CCounterAction::resolve(int32_t i, XXSTRING* errors) {
    const XXSTRING text = narrowParm(i);
    if (i == 0) {
        PXEngine* e = eng();
        counter = e ? e->counterIndex(text) : -1;
        if (e && counter < 0) notFound(errors, "counter", text);
    } else if (i == 1) {
        const bool increment = kind == PXACT::IncCounter;
        intParm(1, title_, increment ? 1 : 0, value);
        // An increment of nothing would make the action pointless: it adds 1.
        if (increment && value == 0) value = 1;
    }
}

int32_t* CCounterAction::slot() const {
    PXEngine* e = eng();
    if (!e || counter < 0 || counter >= int32_t(e->counterValues().size())) return nullptr;
    return &e->counterValues()[size_t(counter)];
}

int32_t IncCounter::doIt(XXINST*, PXNode*) {
    // Counters are 32-bit and wrap around.
    if (int32_t* c = slot()) *c = int32_t(uint32_t(*c) + uint32_t(value));
    return -2;
}

int32_t SetCounter::doIt(XXINST*, PXNode*) {
    if (int32_t* c = slot()) *c = value;
    return -2;
}

// --- Execute SQL --------------------------------------------------------------------------

void ExeSQL::resolve(int32_t i, XXSTRING* errors) {
    if (i != 0) return;
    PXEngine* e = eng();
    if (!e) return;
    const XXSTRING text = narrowParm(0);
    variable = e->findVariableValue(text);
    if (!variable) notFound(errors, loadString(1294), text);
}

int32_t ExeSQL::doIt(XXINST*, PXNode*) {
    PXEngine* e = eng();
    if (!e || !e->dests() || !variable) return -2;
    // A wide variable holds 16-bit text: the statement is its narrow form.
    const unsigned char* bytes = variable->getBytes();
    const size_t n = size_t(variable->getByteCount());
    std::string statement;
    if (variable->isWide()) {
        std::vector<XXWCHAR> units(n / 2);
        for (size_t i = 0; i < units.size(); ++i) units[i] = XXWCHAR(bytes[2 * i] | bytes[2 * i + 1] << 8);
        statement = wideToNarrow(units.data(), units.size());
    } else {
        statement.assign(reinterpret_cast<const char*>(bytes), n);
    }
    e->dests()->exeSQL(statement.c_str());
    return -2;
}
