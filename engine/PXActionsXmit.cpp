// The common parameter handling of the engine's actions, the Xmitter kinds (Append to,
// Send to) and the older output kinds that are upgraded to them.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/ClientSource.h"
#include "engine/PXActions.h"
#include "engine/PXEngine.h"
#include "foundation/XXSTRTABLE.h"
#include "foundation/codepage.h"

namespace {

// "Node/Variable/Counter": what a source may name.
XXSTRING sourceLabel() {
    XXSTRING label(loadString(1237));
    label << "/" << loadString(1293) << "/" << "Counter";
    return label;
}

// The write of one action: the first piece starts a new value when the action sends, every
// later piece of the same action extends it (so a prefix and its source arrive together).
class Writer {
public:
    Writer(IDests* dests, int32_t index, XXFLD* variable, bool send)
        : dests_(dests), index_(index), variable_(variable), reset_(send) {}

    void bytes(const unsigned char* data, int32_t n) {
        if (n <= 0) return;
        if (variable_) {
            toVariable(data, n);
        } else if (Destination* d = destination()) {
            d->write(data, n, takeReset());
        }
    }
    void narrow(const XXSTRING& text) {
        if (text.length() == 0) return;
        if (variable_) {
            toVariable(reinterpret_cast<const unsigned char*>(text.text()), text.length());
        } else if (Destination* d = destination()) {
            d->writeString(text, takeReset());
        }
    }
    void wide(const XXWSTRING& text) {
        if (text.length() == 0) return;
        if (variable_) {
            std::string le;
            for (int32_t i = 0; i < text.length(); ++i) {
                le += char(text.text()[i] & 0xFF);
                le += char(text.text()[i] >> 8);
            }
            toVariable(reinterpret_cast<const unsigned char*>(le.data()), int32_t(le.size()));
        } else if (Destination* d = destination()) {
            d->writeWString(text, takeReset());
        }
    }
    // The bytes a node matched: appended to the variable, or written to the destination (the
    // default destination when the index has none): in one block when the window holds
    // them, else byte by byte and flushed.
    void nodeText(IXXINBUF& buffer, const PXNode& node) {
        // In the window: one block (a destination delivers collected bytes as one write).
        const unsigned char* at = matchedBytesInPlace(buffer, node.matchStart, node.matchLength);
        if (at && variable_) {
            bytes(at, node.matchLength);
            return;
        }
        if (variable_) {
            // Gathered first: the variable takes them in one append, not one per byte.
            std::vector<unsigned char> matched;
            copyMatchedBytes(buffer, node.matchStart, node.matchLength,
                             [&matched](unsigned char b) { matched.push_back(b); });
            bytes(matched.data(), int32_t(matched.size()));
            return;
        }
        Destination* d = destination();
        if (!d && dests_) d = dests_->get(kDefaultDestination);
        if (!d) return;
        if (at) {
            d->write(at, node.matchLength, takeReset());
            return;
        }
        copyMatchedBytes(buffer, node.matchStart, node.matchLength, [d](unsigned char b) { d->putByte(b); });
        d->flushBytes(takeReset());
    }

    // Whether a piece was left out because the variable would have grown too large.
    bool refused() const { return refused_; }

private:
    void toVariable(const unsigned char* data, int32_t n) {
        if (n > Xmitter::maxValueBytes - variable_->getByteCount()) {
            refused_ = true;
            return;
        }
        variable_->appendBytes(data, n);
    }
    Destination* destination() const { return dests_ ? dests_->get(index_) : nullptr; }
    bool takeReset() {
        const bool r = reset_;
        reset_ = false;
        return r;
    }

    IDests* dests_;
    int32_t index_;
    XXFLD* variable_;
    bool reset_;
    bool refused_ = false;
};

XXWSTRING wideOf(const unsigned char* bytes, int32_t n) {
    const std::u16string units = narrowToWide(reinterpret_cast<const char*>(bytes), size_t(n));
    XXWSTRING w;
    if (!units.empty()) w.append(units.data(), int32_t(units.size()));
    return w;
}

XXWSTRING wideOf(const XXSTRING& text) {
    if (text.isWide) return text.wide;
    return wideOf(reinterpret_cast<const unsigned char*>(text.text()), text.length());
}

}  // namespace

// --- CEngineAction ------------------------------------------------------------------------

PXEngine* engineOf(const CAction& action) {
    return action.engine && action.engine->isEngine() ? static_cast<PXEngine*>(action.engine) : nullptr;
}

PXEngine* CEngineAction::eng() const { return engineOf(*this); }

PXInst* CEngineAction::runOf(XXINST* context) {
    return context && context->isScanContext() ? static_cast<PXInst*>(context) : nullptr;
}

void CEngineAction::setParm(int32_t i, const char* text, XXSTRING* errors) {
    if (!chkParms(i + 1)) return;
    parms[i] = text ? text : "";
    resolve(i, errors);
    rebuildSummary();
}

void CEngineAction::setParm(int32_t i, const XXWCHAR* text) {
    if (!chkParms(i + 1)) return;
    parms[i] = text ? text : u"";
    resolve(i, nullptr);
    rebuildSummary();
}

void CEngineAction::resolve(int32_t, XXSTRING*) {}

void CEngineAction::notFound(XXSTRING* errors, const char* label, const XXSTRING& value) const {
    if (!errors) return;
    *errors << name << ":  " << label << " ";
    if (value.length() == 0)
        *errors << "<" << "empty" << ">";
    else
        *errors << value;
    *errors << " " << loadString(23) << newline;
}

XXSTRING CEngineAction::narrowParm(int32_t i) const {
    const XXSTRING& p = parm(i);
    if (!p.isWide) return p;
    XXSTRING narrow;
    WToA(p.wide, narrow);
    return narrow;
}

void CEngineAction::intParm(int32_t i, const char* title, int32_t empty, int32_t& out) {
    const XXSTRING text = narrowParm(i);
    if (text.length() == 0) {
        out = empty;
        reportedNumber_ = "";
        return;
    }
    const char* digits = text.text()[0] == '-' ? text.text() + 1 : text.text();
    bool decimal = *digits != 0;
    for (const char* c = digits; *c && decimal; ++c) decimal = *c >= '0' && *c <= '9';
    errno = 0;
    const long long n = decimal ? std::strtoll(text.text(), nullptr, 10) : 0;
    if (!decimal || errno == ERANGE || n < INT32_MIN || n > INT32_MAX) {
        if (text.view() != reportedNumber_.view()) Tracer(title) << "AToI failure: " << text << endMsg;
        reportedNumber_ = text;
        return;
    }
    out = int32_t(n);
    reportedNumber_ = "";
}

bool CEngineAction::boolParm(int32_t i) const {
    const XXSTRING p = narrowParm(i);
    return p.length() > 0 && p.text()[0] != '0';
}

// --- Xmitter ------------------------------------------------------------------------------

Xmitter::Xmitter(const PXActionKind& k) : CEngineAction(k) {
    send = k.number == PXACT::SendToA || k.number == PXACT::SendToW ? 1 : 0;
    wideKind = k.number == PXACT::AppendToW || k.number == PXACT::SendToW ? 1 : 0;
}

bool Xmitter::hasSource() const {
    return sourceRef >= 0 || sourceVar || sourceClient || sourceSet || sourceCounter >= 0;
}

bool Xmitter::sendsNodeTextToVariable() const {
    return send && targetVar && !targetSet && !unknownTarget && !unknownSource && !hasSource() &&
           prefix.length() == 0 && wprefix.length() == 0;
}

void Xmitter::resolve(int32_t i, XXSTRING* errors) {
    const XXSTRING text = narrowParm(i);
    if (i == 1) {
        prefix = parm(1).isWide ? text : parm(1);
        wprefix = wideOf(parm(1));
        return;
    }
    PXEngine* e = eng();
    if (!e) return;
    if (i == 0) {
        destIndex = -1;
        targetVar = nullptr;
        targetBytes_ = nullptr;
        targetSet = nullptr;
        unknownTarget = false;
        // An empty target is the default destination, deliberately: nothing to report.
        if (text.length() == 0) return;
        if ((targetVar = e->findVariableValue(text))) {
            targetBytes_ = dynamic_cast<XXFLD_BYTES*>(targetVar);
            return;
        }
        if ((targetSet = e->findStringSet(text))) return;
        if ((destIndex = e->destinationIndex(text)) >= 0) return;
        unknownTarget = true;
        notFound(errors, loadString(1287), text);
    } else if (i == 2) {
        sourceRef = -1;
        sourceVar = nullptr;
        sourceClient = nullptr;
        sourceSet = nullptr;
        sourceCounter = -1;
        unknownSource = false;
        if (text.length() == 0) return;
        if ((sourceRef = e->nodeRefIndex(text)) >= 0) return;
        if ((sourceVar = e->findVariableValue(text))) return;
        if ((sourceClient = e->findSource(text))) return;
        if ((sourceSet = e->findStringSet(text))) return;
        if ((sourceCounter = e->counterIndex(text)) >= 0) return;
        unknownSource = true;
        notFound(errors, sourceLabel(), text);
    }
}

void Xmitter::rebuildSummary() {
    summary.clear();
    summary += name.text();
    int32_t shown = 0;
    for (int32_t i = 0; i < parms.count; ++i) {
        const XXSTRING& p = parms[i];
        if (p.length() == 0) continue;
        summary += shown == 0 ? " " : shown == 1 ? " ( " : ", ";
        if (i == 1) summary += u"\"";
        if (p.isWide)
            summary += p.wtext();
        else
            summary += p.text();
        if (i == 1) summary += u"\"";
        ++shown;
    }
    if (shown >= 2) summary += " )";
}

void Xmitter::reset(int32_t phase) {
    if (phase == 1) refusalReported_ = false;
}

int32_t Xmitter::doIt(XXINST* context, PXNode* node) {
    PXEngine* e = eng();
    PXInst* run = runOf(context);
    if (!e || unknownTarget || unknownSource) return -2;

    // 1. Where the output goes: a string set's last matched item decides for a set target.
    int32_t index = destIndex;
    XXFLD* variable = targetVar;
    if (targetSet) {
        const int32_t last = targetSet->lastMatched;
        if (last >= 0 && last < targetSet->items.count) {
            index = targetSet->items[last].destIndex;
            variable = targetSet->items[last].target;
        } else {
            index = kDefaultDestination;
            variable = nullptr;
        }
    }
    // The source's value is read before anything is written: when it is the target itself
    // ("Send to V" from V, or with a prefix), clearing or extending the target first would
    // lose or double it.
    XXFLD* value = sourceVar;
    if (sourceClient) {
        sourceClient->update();
        value = sourceClient;
    }
    std::vector<unsigned char> before;
    const unsigned char* valueBytes = value ? value->getBytes() : nullptr;
    const int32_t valueCount = value ? value->getByteCount() : 0;
    if (value && value == variable) {
        before.assign(valueBytes, valueBytes + valueCount);
        valueBytes = before.data();
    }

    // 2. Send to starts the variable afresh: in its own storage when it holds raw bytes only
    // (as it does after its first Send to), so a value sent at every match costs no more
    // than the copy of its new bytes.
    XXFLD_BYTES* inPlace = send && variable == targetVar && targetBytes_ && targetBytes_->isEmpty() ? targetBytes_ : nullptr;
    const int32_t oldCount = inPlace ? inPlace->getByteCount() : 0;
    if (inPlace)
        inPlace->setByteCount(0);
    else if (send && variable)
        variable->clear();
    Writer out(e->dests(), index, variable, send != 0);

    // 3. The prefix.
    const bool hasPrefix = wideKind ? wprefix.length() > 0 : prefix.length() > 0;
    if (hasPrefix) {
        if (wideKind)
            out.wide(wprefix);
        else
            out.narrow(prefix);
    }

    // 4. The source's value.
    if (value) {
        if (!wideKind || value->isWide()) {
            out.bytes(valueBytes, valueCount);   // narrow, or already 16-bit text
        } else {
            out.wide(wideOf(valueBytes, valueCount));
        }
    } else if (sourceSet) {
        const int32_t last = sourceSet->lastMatched;
        if (last >= 0 && last < sourceSet->items.count) {
            const StringSetItem& item = sourceSet->items[last];
            const XXSTRING& text = item.valueText.length() > 0 ? item.valueText : item.text;
            if (wideKind)
                out.wide(wideOf(text));
            else
                out.narrow(text);
        }
    } else if (sourceCounter >= 0 && sourceCounter < int32_t(e->counterValues().size())) {
        XXSTRING text;
        text << e->counterValues()[size_t(sourceCounter)];
        if (wideKind)
            out.wide(wideOf(text));
        else
            out.narrow(text);
    }

    // 5. Node text: the node the source names, or with nothing else to write the node that
    // runs the action.
    PXNode* textNode = nullptr;
    if (sourceRef >= 0)
        textNode = e->nodeOfRef(sourceRef);
    else if (!hasSource() && !hasPrefix)
        textNode = node;
    if (textNode && run && run->buffer) out.nodeText(*run->buffer, *textNode);
    // What is left of a longer old value is zeroed, as storage past a value always is.
    if (inPlace && inPlace->getByteCount() < oldCount) {
        const int32_t n = inPlace->getByteCount();
        std::memset(inPlace->prepareBytes(oldCount) + n + 2, 0, size_t(oldCount - n));
    }
    if (out.refused() && !refusalReported_) {
        // Once per run: a definition that does this does it at every match.
        refusalReported_ = true;
        Error e;
        e << name << " " << narrowParm(0) << ": the value would grow beyond " << maxValueBytes
          << " bytes; what did not fit was left out" << endMsg;
    }
    return -2;
}

// --- older output kinds -------------------------------------------------------------------

std::unique_ptr<CAction> COldOutput::upgrade() {
    if (!engine) return nullptr;
    const PXActionCatalogue& cat = engine->catalogue;
    auto make = [&](int32_t number) {
        std::unique_ptr<CAction> a = cat.make(number);
        if (a) {
            a->engine = engine;
            a->graph = graph;
        }
        return a;
    };
    std::unique_ptr<CAction> to;
    switch (kind) {
    case PXACT::Scan:
        if ((to = make(PXACT::Run))) {
            to->setParm(0, parm(1), nullptr);
            to->setParm(1, parm(0), nullptr);
        }
        break;
    case PXACT::OutputNode:
    case PXACT::OutputVar:
        if ((to = make(PXACT::SendToA))) {
            to->setParm(0, parm(0), nullptr);
            to->setParm(2, parm(1), nullptr);
        }
        break;
    case PXACT::OutCounter:
        if ((to = make(boolParm(2) ? PXACT::SendToW : PXACT::SendToA))) {
            to->setParm(0, parm(0), nullptr);
            to->setParm(2, parm(1), nullptr);
        }
        break;
    case PXACT::OutputString:
    case PXACT::OutputWString:
        if ((to = make(kind == PXACT::OutputString ? PXACT::SendToA : PXACT::SendToW)))
            for (int32_t i = 0; i < parmCount(); ++i) to->setParm(i, parm(i), nullptr);
        break;
    case PXACT::OutputSName:
        if ((to = make(boolParm(1) ? PXACT::SendToW : PXACT::SendToA))) {
            to->setParm(0, parm(0), nullptr);
            to->setParm(2, XXSTRING(loadString(1930)), nullptr);
        }
        break;
    default: break;
    }
    return to;
}

// --- prototypes ---------------------------------------------------------------------------

std::unique_ptr<CAction> makeEngineAction(const PXActionKind& k) {
    switch (k.number) {
    case PXACT::AppendToA: return std::make_unique<AppendToA>(k);
    case PXACT::AppendToW: return std::make_unique<AppendToW>(k);
    case PXACT::SendToA: return std::make_unique<SendToA>(k);
    case PXACT::SendToW: return std::make_unique<SendToW>(k);
    case PXACT::ClearVar: return std::make_unique<ClearVar>(k);
    case PXACT::OutputTableRow: return std::make_unique<OutputTableRow>(k);
    case PXACT::IncCounter: return std::make_unique<IncCounter>(k);
    case PXACT::SetCounter: return std::make_unique<SetCounter>(k);
    case PXACT::OutCounter: return std::make_unique<OutCounter>(k);
    case PXACT::StartNodeEq: return std::make_unique<StartNodeEq>(k);
    case PXACT::Run: return std::make_unique<Run>(k);
    case PXACT::ExeActionGroup: return std::make_unique<ExeActionGroup>(k);
    case PXACT::ExeUDF: return std::make_unique<ExeUDF>(k);
    case PXACT::ExeSQL: return std::make_unique<ExeSQL>(k);
    case PXACT::Return: return std::make_unique<Return>(k);
    case PXACT::Halt: return std::make_unique<Halt>(k);
    case PXACT::OutputNode: return std::make_unique<OutputNode>(k);
    case PXACT::OutputVar: return std::make_unique<OutputVar>(k);
    case PXACT::OutputString: return std::make_unique<OutputString>(k);
    case PXACT::OutputWString: return std::make_unique<OutputWString>(k);
    case PXACT::OutputSName: return std::make_unique<OutputSName>(k);
    case PXACT::Scan: return std::make_unique<Scan>(k);
    default: return nullptr;
    }
}
