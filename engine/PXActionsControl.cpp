// The control kinds: Start node =, Run (and the older Scan), Execute action group,
// Execute UDF, Return and Halt.
#include "engine/PXActions.h"

#include <vector>

#include "engine/PXEngine.h"
#include "foundation/XXINBUFWINDOW.h"
#include "foundation/XXMEMBUF.h"
#include "foundation/XXSTRTABLE.h"

// --- Start node = -------------------------------------------------------------------------

void StartNodeEq::resolve(int32_t i, XXSTRING* errors) {
    if (i != 0 || !eng()) return;
    const XXSTRING text = narrowParm(0);
    target = graph && text.length() > 0 ? graph->findByTag(text) : nullptr;
    if (!target) notFound(errors, loadString(1236), text);
}

int32_t StartNodeEq::doIt(XXINST*, PXNode*) {
    if (!graph || !target) return -2;
    graph->setNode1(target);
    // A node that calls this group was searched for by the group's start node.
    PXEngine* e = eng();
    if (e && graph != &e->nodeGroups.main) e->definitionChanged();
    return -2;
}

// --- Run ----------------------------------------------------------------------------------

void Run::resolve(int32_t i, XXSTRING* errors) {
    PXEngine* e = eng();
    if (!e) return;
    const XXSTRING text = narrowParm(i);
    if (i == 0) {
        group = e->findGraph(text);
        if (!group) notFound(errors, loadString(1278), text);
    } else if (i == 1) {
        sourceVar = nullptr;
        sourceRef = -1;
        if (text.length() > 0 && ((sourceVar = e->findVariableValue(text)) || (sourceRef = e->nodeRefIndex(text)) >= 0))
            return;
        XXSTRING label(loadString(1294));
        label << "/" << loadString(1236);
        notFound(errors, label, text);
    }
}

void Run::rebuildSummary() {
    summary.clear();
    for (int32_t i = 0; i < 2; ++i) {
        if (i == 1) summary += " ( ";
        const XXSTRING& p = parm(i);
        if (p.isWide)
            summary += p.wtext();
        else
            summary += p.text();
    }
    summary += " ) ";
}

int32_t Run::doIt(XXINST* context, PXNode*) {
    PXEngine* e = eng();
    PXInst* run = runOf(context);
    if (!e || !run || !group) return -2;
    IXXINBUF* previous = run->buffer;
    if (sourceVar) {
        // The variable's bytes as they are now. A copy: the group's own actions may change
        // the variable while it is scanned, which would move or free its bytes.
        const std::vector<unsigned char> bytes(sourceVar->getBytes(), sourceVar->getBytes() + sourceVar->getByteCount());
        XXMEMBUF memory;
        memory.setData(bytes.data(), int64_t(bytes.size()));
        memory.open(20);
        run->buffer = &memory;
        int32_t position = 0;
        memory.pushIdx(&position);
        e->scanGraph(group, position, *run, nullptr);
        memory.popIdx(1);
        run->buffer = previous;
        return -2;
    }
    PXNode* source = sourceRef >= 0 ? e->nodeOfRef(sourceRef) : nullptr;
    if (!source || !previous) return -2;
    // The text the node matched last, scanned through a window onto the current buffer.
    const int64_t base = previous->getBaseOffset();
    XXINBUFWINDOW window(previous, source->matchStart, source->matchLength);
    int32_t position = 0;
    previous->positionAt(window, position);
    run->buffer = &window;
    window.pushIdx(&position);
    e->scanGraph(group, position, *run, nullptr);
    window.popIdx(1);
    run->buffer = previous;
    previous->restore(base);
    return -2;
}

// --- Execute action group -----------------------------------------------------------------

void ExeActionGroup::resolve(int32_t i, XXSTRING* errors) {
    if (i == 1) {
        once = boolParm(1) ? 1 : 0;
        return;
    }
    if (i != 0) return;
    PXEngine* e = eng();
    const XXSTRING text = narrowParm(0);
    groupIndex = e ? e->actionGroupIndex(text) : -1;
    if (groupIndex < 0) notFound(errors, loadString(1117), text);
}

void ExeActionGroup::rebuildSummary() {
    summary.clear();
    summary += loadString(1260);
    summary += ": ";
    const XXSTRING& p = parm(0);
    if (p.isWide)
        summary += p.wtext();
    else
        summary += p.text();
    if (once) summary += " (once per input stream)";
}

void ExeActionGroup::reset(int32_t phase) {
    if (phase == 1 || phase == 2) done = 0;
}

int32_t ExeActionGroup::doIt(XXINST* context, PXNode* node) {
    if (once && done) return -2;
    PXEngine* e = eng();
    PXInst* run = runOf(context);
    int32_t result = -2;
    if (e && run && groupIndex >= 0 && groupIndex < int32_t(e->groupLists().size())) {
        const XXSTRING name = narrowParm(0);
        if (const PXNesting level(*e, *run, loadString(1117), name.text()); level)
            result = e->runActions(e->groupLists()[size_t(groupIndex)], *run, node, graph);
    }
    done = 1;
    return result;
}

// --- Execute UDF --------------------------------------------------------------------------

void ExeUDF::resolve(int32_t i, XXSTRING*) {
    const XXSTRING text = narrowParm(i);
    if (i == 0) {
        intParm(0, "ExeUDF::setParm", 0, function);
    } else if (i == 1) {
        text1 = text;
    } else if (i == 2) {
        text2 = text;
    }
}

int32_t ExeUDF::doIt(XXINST* context, PXNode* node) {
    PXEngine* e = eng();
    PXInst* run = runOf(context);
    if (!e || !e->callback()) return -2;
    e->callback()(function, text1.text(), text2.text(), node ? node->number + 1 : -1, node ? node->tag().text() : "",
                  node ? node->matchStart : 0, node ? node->matchLength : 0, run ? run->buffer : nullptr, e->userData());
    return -2;
}

// --- Halt ---------------------------------------------------------------------------------

void Halt::resolve(int32_t i, XXSTRING*) {
    if (i == 0) run = boolParm(0) ? 1 : 0;
}

void Halt::rebuildSummary() {
    summary.clear();
    summary += name.text();
    summary += " ";
    summary += loadString(run ? 1259 : 1261);
}

int32_t Halt::doIt(XXINST* context, PXNode*) {
    if (context) context->setHalt(run ? 2 : 1);
    return -2;
}
