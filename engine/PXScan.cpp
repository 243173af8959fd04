// The matcher: phases, the scan of one input stream, and the walk of a graph.
//
// The walk is deterministic and never backtracks. It searches forward for the graph's start
// node; from each matched node it follows the first link (in link order) whose target
// matches right after it; a node whose pattern ends in a repeatable element is extended one
// element at a time only while none of its links matches (or only one that matches nothing);
// every node on the path records its match and runs its actions; when a node has no
// matching link the walk searches for the start node again after what was consumed. A node
// that names a node group walks the group's graph by recursion, and an action result of 0 or
// more ("Return") ends the walk of the graph it ran in, handing back what was consumed.
//
// Positions are window-relative and every one that is held across a call that may slide
// the window is registered on the buffer's index stack, so a slide shifts it in place.
//
// One guard goes beyond the rules of the walk: a walk that keeps moving between nodes that
// match nothing, without consuming anything, would never end; after more such steps in a
// row than the graph has nodes, the node reached is treated as having no matching link.
// Tests: tests/engine/WalkTest.cpp, MatcherTest.cpp, SearchTest.cpp.
#include "engine/PXEngine.h"
#include "foundation/XXINBUF.h"
#include "foundation/XXMSG.h"
#include "foundation/XXSTRTABLE.h"

namespace {

// A position registered on the buffer for the life of the object.
class Registered {
public:
    Registered(IXXINBUF& buffer, int32_t* position) : buffer_(buffer) { buffer_.pushIdx(position); }
    ~Registered() { buffer_.popIdx(1); }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

private:
    IXXINBUF& buffer_;
};

}  // namespace

// --- phases -------------------------------------------------------------------------------

void PXEngine::resetLists(int32_t phase) {
    preRun.reset(phase);
    postRun.reset(phase);
    preStream.reset(phase);
    postStream.reset(phase);
    for (CActions& list : groupLists_) list.reset(phase);
}

int32_t PXEngine::phase(int32_t phase, PXInst& run) {
    if (phase == 1) {
        dropFastTables();
        clearSharedNodeRefs(nodeGroups.nodeRefs);
        PXGraphIter graphs(nodeGroups);
        while (PXGraph* g = graphs.next()) g->prepare();
        resetLists(1);
        if (run.trace) trace_.head(traceTitle());
        runActions(preRun, run, nullptr, &nodeGroups.main);
    } else if (phase == 6) {
        runActions(postRun, run, nullptr, &nodeGroups.main);
        if (run.trace) trace_.tail();
    }
    return 2;
}

bool PXEngine::enterNesting(PXInst& run, const char* kind, const char* name) {
    if (run.nestingCut) return false;
    if (run.nesting >= maxNesting) {
        // Every level above unwinds without nesting again, and the stream's scan ends.
        run.nestingCut = true;
        if (run.getHalt() < 1) run.setHalt(1);
        if (!run.nestingReported) {
            run.nestingReported = true;
            Error e;
            e << kind << " " << (name ? name : "") << ": nested more than " << maxNesting
              << " levels deep; the scan of this input ends here" << endMsg;
        }
        return false;
    }
    ++run.nesting;
    return true;
}

int32_t PXEngine::runActions(CActions& list, PXInst& run, PXNode* node, PXGraph* graph) {
    int32_t result = -2;
    for (CAction* a : list) result = std::max(result, a->doIt(&run, node));
    if (run.debug) debugCall(run, node, graph);
    return result;
}

void PXEngine::debugCall(PXInst& run, PXNode* node, PXGraph* graph) {
    if (!callback_) return;
    const char* graphName = node && graph ? graph->name.text() : "";
    callback_(99, graphName, "", node ? node->number + 1 : -1, node ? node->tag().text() : "", node ? node->matchStart : 0,
              node ? node->matchLength : 0, run.buffer, userData_);
}

// --- one stream ---------------------------------------------------------------------------

int32_t PXEngine::scanStream(PXInst& run) {
    IXXINBUF* buffer = run.buffer;
    if (!buffer) return 0;
    buffer->open(20);
    if (fastStale_) dropFastTables();
    if (run.trace) trace_.streamHeading(buffer->streamName());
    PXGraphIter graphs(nodeGroups);
    while (PXGraph* g = graphs.next()) g->resetStream();
    resetLists(2);
    for (StringSet& set : stringSets_) set.lastMatched = -1;
    run.matchCount = 0;
    if (run.getHalt() == 1) run.setHalt(0);
    runActions(preStream, run, nullptr, &nodeGroups.main);
    if (buffer->load() > 0) {
        int32_t position = 0;
        Registered held(*buffer, &position);
        scanGraph(&nodeGroups.main, position, run, nullptr);
    }
    run.nestingCut = false;
    runActions(postStream, run, nullptr, &nodeGroups.main);
    if (dests_) dests_->event(kStreamEndEvent, -1);
    buffer->close();
    return 2;
}

// --- the walk -----------------------------------------------------------------------------

void PXEngine::recordMatch(PXNode& node, int32_t position, int32_t length, PXInst& run) {
    node.matchStart = run.buffer->getBaseOffset() + position;
    node.matchLength = length;
    node.reset(3);
    if (run.trace) trace_.nodeBlock(node, run.buffer);
}

// Tries the start node from `position` on; the length it matched, or a negative value when
// the search ran out of input.
int32_t PXEngine::search(PXNode& start, const PXFastNode* fast, XXINBUF* plain, int32_t& position, PXInst& run) {
    IXXINBUF& buffer = *run.buffer;
    PXPattern& m = *start.matcher();
    if (fast && fast->matcher != &m) fast = nullptr;
    const int32_t step = fast ? fast->step : m.isWide() ? 2 : 1;
    const PXSearchPlan* plan = plain && fast ? fast->plan : nullptr;
    // Runs that need a link are passed over only while no one watches each node's match.
    const bool skipRuns = plain && fast && fast->runsNeedALink && !run.trace && !run.debug;
    // The stream offset up to which the plan's skip would leave the position where it is.
    int64_t quietUntil = -1;
    for (uint32_t tries = 1;; ++tries) {
        // Positions that certainly fail are passed over only while nothing has failed yet:
        // after a failure the plain search stops at the next failed attempt.
        if (skipRuns && !buffer.failed()) {
            position = skipUnlinkedRuns(*fast, plain->bytes(), plain->getCount(), position);
        } else if (plan && !buffer.failed() && plain->getBaseOffset() + position > quietUntil) {
            // A short gap is passed in place; a long one goes to the plan's skip.
            const unsigned char* data = plain->bytes();
            const int32_t count = plain->getCount();
            int32_t gap = 0;
            if (fast->starts)
                while (gap < 8 && position >= 0 && position <= count - fast->startNeed &&
                       !fast->startTable[data[position]]) {
                    ++position;
                    ++gap;
                }
            if (!fast->starts || gap == 8 || position > count - fast->startNeed) {
                int32_t quiet = position;
                position = skipPositions(*plan, data, count, position, &quiet);
                quietUntil = plain->getBaseOffset() + quiet;
            }
        }
        const int32_t length = fast ? fastMatch(*fast, m, buffer, plain, position) : m.match(buffer, position);
        if (length >= 0) return length;
        if (buffer.failed()) return -1;
        // The starts that must fail as this one did are passed over too (the plain search,
        // kept for comparison, tries every one).
        position += fastSearch_ ? step * m.failSkip : step;
        // A matcher that reads nothing (a node group without nodes) never runs into the end
        // of the input: the search ends once it has stepped past the last byte.
        if (!buffer.iChk(position - 1, 1)) return -1;
        // A long search still hears a Stop now and then.
        if ((tries & 0xFFFF) == 0 && run.haltRequested()) return -1;
    }
}

int32_t PXEngine::scanGraph(PXGraph* graph, int32_t& p, PXInst& run, PXNode* caller) {
    int32_t result = -2;
    IXXINBUF* buffer = run.buffer;
    if (!buffer) return result;
    int32_t r = p;
    Registered heldR(*buffer, &r);
    const int64_t a0 = buffer->getBaseOffset() + p;
    if (!graph || buffer->getCount() <= 0 || run.haltRequested()) return result;
    const PXNesting level(*this, run, loadString(caller ? 1278 : 1260), graph->name.text());
    if (!level) return result;
    const int32_t noProgressLimit = graph->nodeCount() + 1;
    // The fast forms of the matchers, for a plain buffer.
    auto* plain = fastSearch_ && !fastStale_ ? dynamic_cast<XXINBUF*>(buffer) : nullptr;
    PXFastGraph* fg = plain ? &fast_.graph(*graph, plans_, variables_, patterns_) : nullptr;
    // After anything that may have changed the definition: the plain matchers from here on.
    auto checkStale = [&] {
        if (fastStale_) {
            plain = nullptr;
            fg = nullptr;
        }
    };
    auto fastOf = [&fg](const PXNode* n) -> const PXFastNode* {
        return fg && n->number >= 0 && size_t(n->number) < fg->nodes.size() ? &fg->nodes[size_t(n->number)] : nullptr;
    };
    int32_t startId = 0;
    PXNode* start = nullptr;

    bool ended = false;
    while (!ended) {
        // 2. Search.
        // The start node, looked up again only when an action made another one the start.
        if (graph->startNodeId() != startId || !start) {
            startId = graph->startNodeId();
            start = graph->startNode();
        }
        if (!start || !start->matcher()) break;
        const int64_t a1 = buffer->getBaseOffset() + p;
        int32_t length = search(*start, fastOf(start), plain, p, run);
        if (length < 0) break;

        // 3. Walk.
        PXNode* current = start;
        int32_t stillSteps = 0;
        while (current && current->matcher() && !ended) {
            PXPattern& cm = *current->matcher();
            // a.
            r = p + length;
            const PXChecker* tail = cm.tailSet;
            const int32_t tailCount = cm.tailCount;
            const int32_t w = tail ? tail->width() : 0;
            const PXFastNode* cf = fastOf(current);
            const PXSet8* tail8 = cf && plain && tail == cf->lastSet8 ? cf->lastSet8 : nullptr;
            int32_t e = 0;
            PXNode* choice = nullptr;
            int32_t choiceLength = -1;
            const int32_t links = current->linkCount();
            for (;;) {
                // b. Link pass: the first link that matches here.
                for (int32_t i = 0; i < links; ++i) {
                    PXNode* target = current->fastLinks[i];
                    PXPattern* tm = target ? target->matcher() : nullptr;
                    if (!tm) continue;
                    const PXFastNode* tf = fastOf(target);
                    const int32_t l = tf ? fastMatch(*tf, *tm, *buffer, plain, r) : tm->match(*buffer, r);
                    if (l >= 0) {
                        choice = target;
                        choiceLength = l;
                        break;
                    }
                }
                // c. Extend the node's last element only while no link took something.
                if ((choice && choiceLength >= 1) || e >= tailCount || !tail || w <= 0) break;
                // The link pass at r has failed. Where the byte at the next position starts
                // no link's match, that pass would fail too and change nothing: the tail
                // runs on over its members without it, up to the window's end.
                if (tail8 && cf->linksByFirstByte && !choice) {
                    const unsigned char* data = plain->bytes();
                    const int32_t count = plain->getCount();
                    const int32_t last = count - cf->linkNeed;
                    bool passDue = false;
                    bool tailEnds = false;
                    int32_t ee = e;   // in registers: r itself is registered, so kept in memory
                    int32_t rr = r;
                    while (ee < tailCount && rr >= 0 && rr < count) {
                        if (!cf->lastTable[data[rr]]) {
                            tailEnds = true;
                            break;
                        }
                        ++ee;
                        ++rr;
                        if (rr > last || cf->linkFirst[data[rr]]) {
                            passDue = true;
                            break;
                        }
                    }
                    e = ee;
                    r = rr;
                    if (passDue) continue;
                    if (tailEnds || e >= tailCount) break;
                }
                if (!buffer->iChk(r, w)) {
                    ended = true;
                    break;
                }
                if (tail8 ? !tail8->has(buffer->bytes()[r]) : !tail->contains(buffer->bytes() + r)) break;
                ++e;
                r += w;
            }
            // d.
            length += e * w;
            recordMatch(*current, p, length, run);
            // e.
            if (runActions(current->actions, run, current, graph) >= 0) {
                result = int32_t(buffer->getBaseOffset() + p + length - a0);
                ended = true;
            }
            checkStale();
            // A walk that goes round nodes matching nothing ends here, before the progress
            // guard, so that the guard moves the search past where it began.
            stillSteps = length == 0 ? stillSteps + 1 : 0;
            if (choice && choiceLength == 0 && stillSteps > noProgressLimit) choice = nullptr;
            // f. Progress guard. An empty match at the very end of the input ends the scan
            // too: searching again would only find the same empty match there once more.
            if (length == 0 && !choice) {
                if (buffer->getBaseOffset() + p == a1) {
                    // Past the last byte there is nothing to step over (a node that reads
                    // nothing, such as an empty variable, does not mark the end).
                    if (buffer->failed() || !buffer->iChk(p, 1))
                        ended = true;
                    else
                        length = cm.isWide() ? 2 : 1;
                } else if (buffer->failed() && !buffer->iChk(p, 1)) {
                    ended = true;
                }
            }
            // g.
            p += length;
            if (links == 0) ++run.matchCount;
            // h.
            current = choice;
            length = choiceLength;
            if (choice) {
                PXPattern* chm = choice->matcher();
                if (dynamic_cast<PatternGraph*>(chm)) {
                    PatternGraph* pg = static_cast<PatternGraph*>(chm);
                    int32_t q = p;
                    Registered heldQ(*buffer, &q);
                    const int32_t consumed = scanGraph(pg->target(), q, run, choice);
                    if (consumed >= 0) length = consumed;
                } else if (chm->maxSize == 0) {
                    recordMatch(*choice, p, length, run);
                    runActions(choice->actions, run, choice, graph);
                    if (buffer->failed()) ended = true;
                }
                checkStale();
            }
            // i.
            if (run.haltRequested()) ended = true;
        }
        // 4.
        if (run.haltRequested()) ended = true;
    }
    return result;
}
