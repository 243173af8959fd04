#include "run/FileGridIterator.h"

#include "foundation/XXTEXT.h"

FileGridIterator::FileGridIterator(const XXGRID* grid, int32_t specCol, int32_t scanCol, int32_t subdirCol,
                                   int32_t hiddenCol)
    : grid_(grid), specCol_(specCol), scanCol_(scanCol), subdirCol_(subdirCol), hiddenCol_(hiddenCol) {
    if (!grid_ || !files_.valid() || !advance()) done_ = true;
}

bool FileGridIterator::advance() {
    while (grid_ && nextRow_ < grid_->rowCount()) {
        const XXROW* row = grid_->row(nextRow_++);
        const XXFLD* scan = row ? row->field(scanCol_) : nullptr;
        if (!scan) return false;
        if (!toBool(scan->getText())) continue;
        const XXFLD* spec = row->field(specCol_);
        spec_ = spec ? spec->getText() : "";
        // A missing switch keeps the value of the row before.
        if (const XXFLD* f = row->field(subdirCol_)) recurse_ = toBool(f->getText());
        if (const XXFLD* f = row->field(hiddenCol_)) hidden_ = toBool(f->getText());
        files_.setSpec(spec_);
        files_.setRecurse(recurse_);
        files_.setIncludeHidden(hidden_);
        files_.start();
        return true;
    }
    return false;
}

bool FileGridIterator::next() {
    while (!done_) {
        if (files_.next()) return true;
        if (!advance()) done_ = true;
    }
    return false;
}
