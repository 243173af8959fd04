// PXActionCatalogue: the 22 action kinds in their fixed order.
//
// Each kind has a label (the display name, also the text stored in column 0 of an action
// grid), a keyword (the label without spaces unless the kind has an explicit one; written to
// definition files), whether it is offered in the action-kind list, whether it is an older
// kind kept for reading old definitions, and a prototype action. Actions are made by cloning
// the prototype, so the engine's concrete kinds take effect everywhere once the definition
// has installed them (PXDefinition::makeAction).
#pragma once

#include <cstdint>
#include <memory>

#include "definitions/CAction.h"
#include "foundation/XXSTRING.h"

// Kind numbers (1-based catalogue positions).
namespace PXACT {
constexpr int32_t AppendToA = 1;
constexpr int32_t AppendToW = 2;
constexpr int32_t SendToA = 3;
constexpr int32_t SendToW = 4;
constexpr int32_t ClearVar = 5;
constexpr int32_t OutputTableRow = 6;
constexpr int32_t IncCounter = 7;
constexpr int32_t SetCounter = 8;
constexpr int32_t OutCounter = 9;
constexpr int32_t StartNodeEq = 10;
constexpr int32_t Run = 11;
constexpr int32_t ExeActionGroup = 12;
constexpr int32_t ExeUDF = 13;
constexpr int32_t ExeSQL = 14;
constexpr int32_t Return = 15;
constexpr int32_t Halt = 16;
constexpr int32_t OutputNode = 17;
constexpr int32_t OutputVar = 18;
constexpr int32_t OutputString = 19;
constexpr int32_t OutputWString = 20;
constexpr int32_t OutputSName = 21;
constexpr int32_t Scan = 22;
constexpr int32_t kindCount = 22;
}  // namespace PXACT

struct PXActionKind {
    int32_t number = 0;
    const char* className = "";     // the engine class that implements the kind
    XXSTRING label;
    XXSTRING keyword;
    bool listed = false;            // offered in the action-kind list
    bool hidden = false;            // kept for old definitions only
    std::unique_ptr<CAction> prototype;
};

class PXActionCatalogue {
public:
    // Every kind with its label and keyword, and a plain CAction carrying its names as the
    // prototype.
    PXActionCatalogue();
    // Not copyable: prototypes are unique.
    PXActionCatalogue(const PXActionCatalogue&) = delete;
    PXActionCatalogue& operator=(const PXActionCatalogue&) = delete;

    int32_t count() const { return PXACT::kindCount; }
    // The kind with 1-based number `number`, or null.
    const PXActionKind* kind(int32_t number) const;
    // The kind whose label, or else whose keyword, equals the text ignoring case; null when
    // none does. Double-quote characters in the text are ignored.
    const PXActionKind* find(const char* nameOrKeyword) const;
    // A new action of the kind `find` names, cloned from its prototype; null when none.
    std::unique_ptr<CAction> make(const char* nameOrKeyword) const;
    std::unique_ptr<CAction> make(int32_t number) const;
    // Installs the prototype of kind `number` (ignored for a bad number or a null action).
    void setPrototype(int32_t number, std::unique_ptr<CAction> prototype);
    // The number of listed kinds.
    int32_t listedCount() const;

private:
    PXActionKind kinds_[PXACT::kindCount];
};
