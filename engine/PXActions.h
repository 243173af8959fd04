// The 22 action kinds of the engine.
//
// Every kind keeps its parameters as texts (CAction) and resolves them, whenever one is set,
// into references: a destination index, a variable's value field, a string set, a counter,
// a node-reference entry, a graph, an action group. Names that do not resolve add a
// "not found" line to the error text given with the parameter; the reference stays empty
// and doIt() then does nothing with it. Without an engine (an action edited outside a
// definition) nothing is resolved.
//
//   Xmitter kinds   Append to, Send to (narrow and wide), and the older output kinds that
//                   are upgraded to them: write a prefix, a source or the node's text to a
//                   variable or a destination (PXActionsXmit.cpp).
//   value kinds     Clear variable, Output table row, Increment / Set / Output counter,
//                   Execute SQL (PXActionsValue.cpp).
//   control kinds   Start node =, Run, Scan, Execute action group, Execute UDF, Return,
//                   Halt (PXActionsControl.cpp).
// doIt() returns -2, except Return (0, which ends the walk of the current graph) and Execute
// action group (its group's result).
#pragma once

#include <cstdint>
#include <memory>

#include "definitions/CAction.h"
#include "definitions/PXActionCatalogue.h"
#include "definitions/PXSet.h"
#include "foundation/XXFLD.h"
#include "foundation/XXSTRING.h"

class ClientSource;
class PXEngine;
class PXGraph;
class PXInst;

// A kind with the copy made by clone().
template <typename Kind, typename Base = CAction>
class CKind : public Base {
public:
    explicit CKind(const PXActionKind& k) : Base(k) {}
    std::unique_ptr<CAction> clone() const override { return std::make_unique<Kind>(static_cast<const Kind&>(*this)); }
};

// The common base of the engine's kinds: made from a catalogue entry, with the helpers of
// parameter resolution.
class CEngineAction : public CAction {
public:
    explicit CEngineAction(const PXActionKind& k) : CAction(k.number, k.label, k.keyword, k.hidden) {}
    using CAction::setParm;
    void setParm(int32_t i, const char* text, XXSTRING* errors) override;
    void setParm(int32_t i, const XXWCHAR* text) override;

protected:
    // Resolves parameter i from its stored text; `errors` as for setParm.
    virtual void resolve(int32_t i, XXSTRING* errors);
    // Appends "name:  label value not found" (value "<empty>" when empty).
    void notFound(XXSTRING* errors, const char* label, const XXSTRING& value) const;
    // The parameter's narrow text (wide texts converted).
    XXSTRING narrowParm(int32_t i) const;
    // A parameter read as a boolean: not empty and not starting with "0".
    bool boolParm(int32_t i) const;
    // A parameter read as a decimal 32-bit integer (an optional minus sign, then digits):
    // empty gives `empty`; any other text, or a number out of range, reports "AToI failure: "
    // + the text under `title` and leaves `out` as it was. A text already reported by this
    // action is not reported again when the parameter is resolved anew (each prepare).
    void intParm(int32_t i, const char* title, int32_t empty, int32_t& out);
    // The engine, or null.
    PXEngine* eng() const;
    // The run context, or null when the context is not one.
    static PXInst* runOf(XXINST* context);

private:
    XXSTRING reportedNumber_;   // the last text reported as no number
};

// --- Xmitter kinds ------------------------------------------------------------------------

class Xmitter : public CEngineAction {
public:
    int32_t destIndex = -1;           // index in "Destinations", -1 none (the default)
    XXFLD* targetVar = nullptr;       // a variable's or file variable's value field
    StringSet* targetSet = nullptr;   // the destination of the set's last matched item
    XXSTRING prefix;                  // narrow prefix
    XXWSTRING wprefix;                // wide prefix
    int32_t sourceRef = -1;           // node-reference entry
    XXFLD* sourceVar = nullptr;
    ClientSource* sourceClient = nullptr;
    StringSet* sourceSet = nullptr;
    int32_t sourceCounter = -1;
    uint8_t send = 0;                 // "Send to": the target starts a new value
    uint8_t wideKind = 0;             // the wide kinds write 16-bit text
    // A target or source was named but not found: the action does nothing.
    bool unknownTarget = false;
    bool unknownSource = false;

    // A variable's value grows no larger than this; what would make it larger is refused.
    static constexpr int32_t maxValueBytes = 16 << 20;

    // Send to or Append to, narrow or wide, as the kind says.
    explicit Xmitter(const PXActionKind& k);
    void rebuildSummary() override;
    int32_t doIt(XXINST* context, PXNode* node) override;
    void reset(int32_t phase) override;
    // Sends the text of the node that runs it to a variable, and nothing else (no prefix, no
    // other source, no string-set target): of such writes, the last one alone decides what
    // the variable holds.
    bool sendsNodeTextToVariable() const;

protected:
    void resolve(int32_t i, XXSTRING* errors) override;
    bool hasSource() const;

private:
    bool refusalReported_ = false;
    XXFLD_BYTES* targetBytes_ = nullptr;   // targetVar as a byte string, or null
};

class AppendToA : public CKind<AppendToA, Xmitter> {
public:
    explicit AppendToA(const PXActionKind& k) : CKind(k) {}
};
class AppendToW : public CKind<AppendToW, Xmitter> {
public:
    explicit AppendToW(const PXActionKind& k) : CKind(k) {}
};
class SendToA : public CKind<SendToA, Xmitter> {
public:
    explicit SendToA(const PXActionKind& k) : CKind(k) {}
};
class SendToW : public CKind<SendToW, Xmitter> {
public:
    explicit SendToW(const PXActionKind& k) : CKind(k) {}
};

// The older output kinds: read from old definitions and replaced by "Send to" (upgrade).
class COldOutput : public CEngineAction {
public:
    explicit COldOutput(const PXActionKind& k) : CEngineAction(k) {}
    std::unique_ptr<CAction> upgrade() override;

protected:
    void resolve(int32_t, XXSTRING*) override {}
};
class OutputNode : public CKind<OutputNode, COldOutput> {
public:
    explicit OutputNode(const PXActionKind& k) : CKind(k) {}
};
class OutputVar : public CKind<OutputVar, COldOutput> {
public:
    explicit OutputVar(const PXActionKind& k) : CKind(k) {}
};
class OutCounter : public CKind<OutCounter, COldOutput> {
public:
    explicit OutCounter(const PXActionKind& k) : CKind(k) {}
};
class OutputString : public CKind<OutputString, COldOutput> {
public:
    explicit OutputString(const PXActionKind& k) : CKind(k) {}
};
class OutputWString : public CKind<OutputWString, COldOutput> {
public:
    explicit OutputWString(const PXActionKind& k) : CKind(k) {}
};
class OutputSName : public CKind<OutputSName, COldOutput> {
public:
    explicit OutputSName(const PXActionKind& k) : CKind(k) {}
};

// --- value kinds --------------------------------------------------------------------------

class ClearVar : public CKind<ClearVar, CEngineAction> {
public:
    XXFLD* variable = nullptr;
    explicit ClearVar(const PXActionKind& k) : CKind(k) {}
    void rebuildSummary() override;
    int32_t doIt(XXINST* context, PXNode* node) override;

protected:
    void resolve(int32_t i, XXSTRING* errors) override;
};

class OutputTableRow : public CKind<OutputTableRow, CEngineAction> {
public:
    int32_t table = -1;
    explicit OutputTableRow(const PXActionKind& k) : CKind(k) {}
    int32_t doIt(XXINST* context, PXNode* node) override;

protected:
    void resolve(int32_t i, XXSTRING* errors) override;
};

// Increment counter and Set counter share the counter parameter.
class CCounterAction : public CEngineAction {
public:
    int32_t counter = -1;
    int32_t value = 0;   // the increment, or the value set
    // An increment starts at 1, a value set at 0.
    explicit CCounterAction(const PXActionKind& k);

protected:
    void resolve(int32_t i, XXSTRING* errors) override;
    // The counter's slot, or null.
    int32_t* slot() const;
    const char* title_;
};

class IncCounter : public CKind<IncCounter, CCounterAction> {
public:
    explicit IncCounter(const PXActionKind& k) : CKind(k) {}
    int32_t doIt(XXINST* context, PXNode* node) override;
};

class SetCounter : public CKind<SetCounter, CCounterAction> {
public:
    explicit SetCounter(const PXActionKind& k) : CKind(k) {}
    int32_t doIt(XXINST* context, PXNode* node) override;
};

class ExeSQL : public CKind<ExeSQL, CEngineAction> {
public:
    XXFLD* variable = nullptr;
    explicit ExeSQL(const PXActionKind& k) : CKind(k) {}
    int32_t doIt(XXINST* context, PXNode* node) override;

protected:
    void resolve(int32_t i, XXSTRING* errors) override;
};

// --- control kinds ------------------------------------------------------------------------

class StartNodeEq : public CKind<StartNodeEq, CEngineAction> {
public:
    PXNode* target = nullptr;
    explicit StartNodeEq(const PXActionKind& k) : CKind(k) {}
    int32_t doIt(XXINST* context, PXNode* node) override;

protected:
    void resolve(int32_t i, XXSTRING* errors) override;
};

class Run : public CKind<Run, CEngineAction> {
public:
    PXGraph* group = nullptr;
    XXFLD* sourceVar = nullptr;
    int32_t sourceRef = -1;
    explicit Run(const PXActionKind& k) : CKind(k) {}
    void rebuildSummary() override;
    int32_t doIt(XXINST* context, PXNode* node) override;

protected:
    void resolve(int32_t i, XXSTRING* errors) override;
};

// The older form of Run, with its two parameters the other way round.
class Scan : public CKind<Scan, COldOutput> {
public:
    explicit Scan(const PXActionKind& k) : CKind(k) {}
};

class ExeActionGroup : public CKind<ExeActionGroup, CEngineAction> {
public:
    int32_t groupIndex = -1;
    uint8_t once = 0;
    uint8_t done = 0;
    explicit ExeActionGroup(const PXActionKind& k) : CKind(k) {}
    void rebuildSummary() override;
    int32_t doIt(XXINST* context, PXNode* node) override;
    void reset(int32_t phase) override;

protected:
    void resolve(int32_t i, XXSTRING* errors) override;
};

class ExeUDF : public CKind<ExeUDF, CEngineAction> {
public:
    int32_t function = 0;
    XXSTRING text1;
    XXSTRING text2;
    explicit ExeUDF(const PXActionKind& k) : CKind(k) {}
    int32_t doIt(XXINST* context, PXNode* node) override;

protected:
    void resolve(int32_t i, XXSTRING* errors) override;
};

class Return : public CKind<Return, CEngineAction> {
public:
    explicit Return(const PXActionKind& k) : CKind(k) {}
    int32_t doIt(XXINST*, PXNode*) override { return 0; }
};

class Halt : public CKind<Halt, CEngineAction> {
public:
    uint8_t run = 0;
    explicit Halt(const PXActionKind& k) : CKind(k) {}
    void rebuildSummary() override;
    int32_t doIt(XXINST* context, PXNode* node) override;

protected:
    void resolve(int32_t i, XXSTRING* errors) override;
};

// The engine's prototype of a catalogue kind.
std::unique_ptr<CAction> makeEngineAction(const PXActionKind& kind);
