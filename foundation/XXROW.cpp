#include "foundation/XXROW.h"

XXROW::~XXROW() = default;

std::unique_ptr<XXROW> XXROW::clone() const {
    auto copy = std::make_unique<XXROW>();
    copy->active = active;
    copy->line = line;
    for (XXFLD* f : *this) {
        std::unique_ptr<XXFLD> c = f ? f->clone() : nullptr;
        copy->add(c ? std::move(c) : XXFLD_STR::gen());
    }
    return copy;
}

std::unique_ptr<XXROWLIST> copyRows(const XXROWLIST& rows) {
    auto copy = std::make_unique<XXROWLIST>();
    for (XXROW* r : rows) copy->add(r ? r->clone() : std::make_unique<XXROW>());
    return copy;
}
