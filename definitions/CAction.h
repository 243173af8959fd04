// Actions: the base class CAction and the ordered list CActions.
//
// An action is one thing a definition does when a node matches or a run phase begins or
// ends. It holds its parameters as texts (narrow or wide) plus whatever each kind resolves
// from them. This layer has the base only: the generic parameter list, the summary shown in
// node labels and lists, and the virtual operations each kind overrides (the engine supplies
// the concrete kinds and gives their prototypes to the action catalogue). The base summary
// follows the common form: the display name, then the non-empty parameters, the first after
// " ", the second after " ( ", later ones after ", ", closed by " )" when there are two or
// more.
//
// CActions owns its actions; copying a list clones every action, so a node can be cloned
// with its actions.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/GLIST.h"
#include "foundation/XXFARRAY.h"
#include "foundation/XXSTRING.h"

class IPXFormRunner;
class PXDefinition;
class PXGraph;
class PXNode;
class XXINST;   // the run context, defined by the run layer

class CAction {
public:
    // The kind's number in the action catalogue (1 to 22); 0 for an action of no kind.
    int32_t kind = 0;
    XXSTRING name;                 // display name ("Increment counter")
    XXSTRING key;                  // keyword written to definition files ("IncCounter")
    XXWSTRING summary;             // rebuilt whenever a parameter changes
    PXDefinition* engine = nullptr;   // the definition the action resolves names in, or null
    PXGraph* graph = nullptr;      // graph of the node holding the action (phase lists: main)
    XXFARRAY<XXSTRING> parms;      // parameters in order, narrow or wide, grown on demand
    uint8_t hidden = 0;            // an older kind that is read but not offered

    CAction() = default;
    CAction(int32_t kindNumber, const char* displayName, const char* keyword, bool isHidden);
    CAction(const CAction&) = default;
    CAction& operator=(const CAction&) = default;

    // --- virtual operations, in their fixed order ---
    virtual ~CAction();
    virtual std::unique_ptr<CAction> clone() const;
    // Stores parameter i (growing the list), resolves it and rebuilds the summary. Names that
    // do not resolve add a line to `errors` when it is given. The base resolves nothing.
    virtual void setParm(int32_t i, const char* text, XXSTRING* errors);
    virtual void setParm(int32_t i, const XXWCHAR* text);
    virtual void rebuildSummary();
    virtual const XXWSTRING& summaryText() const;
    // Lets the user edit the parameters in a one-record form of the kind's parameters
    // (through the form runner the user interface installs); true when confirmed, false
    // without a runner or for a kind without parameters.
    virtual bool edit(IPXFormRunner* runner);
    // Runs the action; the base reports the missing override and gives -1.
    virtual int32_t doIt(XXINST* context, PXNode* node);
    // Hears of a run phase (1 run begin, 2 stream begin, 3 node matched, 6 run end).
    virtual void reset(int32_t phase);
    // The current kind that replaces an older one, or null.
    virtual std::unique_ptr<CAction> upgrade();

    // Grows the list to at least n parameters (empty texts); false, after a report, when it
    // cannot.
    bool chkParms(int32_t n);
    int32_t parmCount() const { return parms.count; }
    // Parameter i, or an empty text.
    const XXSTRING& parm(int32_t i) const;
    // Wide when the text holds wide text.
    void setParm(int32_t i, const XXSTRING& text, XXSTRING* errors);
};

class CActions : public LIST<CAction> {
public:
    CActions() = default;
    CActions(const CActions& other);
    CActions& operator=(const CActions& other);
    CActions(CActions&&) noexcept = default;
    CActions& operator=(CActions&&) noexcept = default;
    ~CActions() override = default;

    // Passes the phase to every action in order.
    void reset(int32_t phase);
    void setGraph(PXGraph* graph);
    void setEngine(PXDefinition* engine);
};
