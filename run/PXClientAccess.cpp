// Grids, nodes and sources of a client by name: what extension libraries and the library
// interface read and set while a definition is loaded or running.
#include <cstring>

#include "definitions/PXDefinition.h"
#include "definitions/PXNode.h"
#include "foundation/XXSTRTABLE.h"
#include "run/PXClient.h"
#include "run/TitledError.h"

namespace {

// Node attributes set by name are held to this many bytes (the rest is cut).
constexpr int32_t kNodeTextBytes = 253;
constexpr int32_t kNodeGridType = 4;
constexpr const char* kNodeGrid = "Node";

XXSTRING trimmed(const char* text) {
    std::string_view v = text ? text : "";
    while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
    while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
    return XXSTRING(v.data(), int32_t(v.size()));
}

// `name` names the grid: its title, or its key (the name without spaces), ignoring case.
bool namesGrid(const XXGRID& grid, const XXSTRING& name) {
    if (name.length() == 0) return false;
    if (grid.title().iequals(name)) return true;
    XXSTRING key(name);
    key.remove(' ');
    return grid.key().iequals(key);
}

// The outputs of a get: the value and its length, with the results of access by name.
int32_t answer(const void* data, int32_t n, const void** value, int32_t* length) {
    if (!value) {
        if (length) *length = 0;
        return 1;
    }
    *value = data;
    if (!length) return 1;
    *length = n;
    return 2;
}

void clearOutputs(const void** value, int32_t* length) {
    if (value) *value = nullptr;
    if (length) *length = 0;
}

}  // namespace

// --- grids -------------------------------------------------------------------------------

XXGRID* PXClient::findOwnGrid(const char* name) const {
    const XXSTRING wanted = trimmed(name);
    for (XXGRID* g : ownGrids_)
        if (namesGrid(*g, wanted)) return g;
    return nullptr;
}

XXGRID* PXClient::findGridByName(const char* name) const {
    const XXSTRING wanted = trimmed(name);
    if (wanted.length() == 0) return nullptr;
    if (engine_)
        if (XXGRID* g = engine_->findGridByLabel(wanted)) return g;
    return findOwnGrid(wanted);
}

XXGRID* PXClient::grabGrid(int32_t labelId) {
    const char* label = loadString(labelId);
    XXGRID* grid = findGridByName(label);
    if (!grid) {
        TitledError e("PXClient::grabGrid");
        e << label << endMsg;
        return nullptr;
    }
    grid->lock();
    return grid;
}

void PXClient::releaseGrid(XXGRID* grid) {
    if (grid) grid->unlock();
}

int32_t PXClient::rowCount(int32_t labelId) {
    const XXGRID* grid = findGridByName(loadString(labelId));
    return grid ? grid->rowCount() : 0;
}

// --- nodes -------------------------------------------------------------------------------

PXNode* PXClient::grabENode(const char* name) {
    PXNode* node = engine_ ? engine_->grabNode(name) : nullptr;
    if (!node) {
        TitledError e("PXClient::grabENode(1)");
        e << "engine->grabNode failure (" << (name ? name : "") << ")" << endMsg;
    }
    return node;
}

PXNode* PXClient::grabENode(int32_t number) {
    PXNode* node = engine_ ? engine_->grabNode(number) : nullptr;
    if (!node) {
        TitledError e("PXClient::grabENode(2)");
        e << "engine->grabNode failure" << endMsg;
    }
    return node;
}

void PXClient::releaseENode(PXNode* node) {
    if (engine_ && node) engine_->releaseNode(node);
}

// --- sources -----------------------------------------------------------------------------

int32_t PXClient::set(XXID id, const char* value) {
    ClientSource* source = sources_.find(id);
    if (!source) {
        TitledError e("PXClient::set(XXID,pCSTR)");
        e << "Invalid source ID: " << id << "(" << (value ? value : "") << ")" << endMsg;
        return 0;
    }
    source->setText(value);
    return 2;
}

// --- access by name ----------------------------------------------------------------------

namespace {

// Sets attribute `field` of a node from `length` bytes (`wideUnits`: the bytes are 16-bit
// units already).
int32_t setNodeAttribute(PXNode& node, int32_t field, const char* bytes, int32_t length, bool wideUnits) {
    if (length < 0) length = 0;
    if (field >= 0 && field <= 3) {
        const XXSTRING text(bytes, length < kNodeTextBytes ? length : kNodeTextBytes);
        switch (field) {
        case 0: node.setTag(text); break;
        case 1: node.setLabel(text); break;
        case 2: node.setText(text); break;
        default: node.setRefName(text); break;
        }
        return 2;
    }
    if (field == 4) {
        XXWSTRING wide;
        if (wideUnits) {
            const int32_t units = length / 2 < kNodeTextBytes / 2 ? length / 2 : kNodeTextBytes / 2;
            for (int32_t i = 0; i < units; ++i) {
                XXWCHAR u;
                std::memcpy(&u, bytes + 2 * i, sizeof u);
                wide += u;
            }
        } else {
            AToW(XXSTRING(bytes, length < kNodeTextBytes ? length : kNodeTextBytes), wide);
        }
        node.setWText(wide);
        return 2;
    }
    return 0;
}

int32_t getNodeAttribute(const PXNode& node, int32_t field, const void** value, int32_t* length) {
    switch (field) {
    case 0: return answer(node.tag().text(), node.tag().length(), value, length);
    case 1: return answer(node.label().text(), node.label().length(), value, length);
    case 2: return answer(node.text().text(), node.text().length(), value, length);
    case 3: return answer(node.refName().text(), node.refName().length(), value, length);
    case 4: return answer(node.wtext().text(), node.wtext().length() * 2, value, length);
    default: return 0;
    }
}

// The row whose first field is `key`, and its position.
XXROW* rowByKey(const XXGRID& grid, const char* key) { return key ? grid.findRow(key, 0, false) : nullptr; }

int32_t fieldValue(const XXFLD& field, const void** value, int32_t* length) {
    if (const unsigned char* bytes = field.getBytes()) return answer(bytes, field.getByteCount(), value, length);
    const char* text = field.getText();
    return answer(text, int32_t(std::strlen(text)), value, length);
}

}  // namespace

int32_t PXClient::set(const char* grid, const char* key, int32_t field, const char* text) {
    return setByName(grid, key, field, text ? text : "", text ? int32_t(std::strlen(text)) : 0, true);
}

int32_t PXClient::set(const char* grid, const char* key, int32_t field, const unsigned char* bytes, int32_t length) {
    return setByName(grid, key, field, reinterpret_cast<const char*>(bytes), length, false);
}

int32_t PXClient::setByName(const char* grid, const char* key, int32_t field, const char* data, int32_t length,
                            bool isText) {
    const XXSTRING name = trimmed(grid);
    if (name.length() == 0 || !data) return 0;
    if (length < 0) length = 0;
    if (name.iequals(kNodeGrid)) {
        PXNode* node = engine_ && key ? engine_->grabNode(key) : nullptr;
        if (!node) return 0;
        const int32_t result = setNodeAttribute(*node, field, data, length, !isText);
        engine_->releaseNode(node);
        if (result == 2) engine_->definitionChanged();
        return result;
    }
    XXGRID* g = findGridByName(name);
    XXROW* row = g ? rowByKey(*g, key) : nullptr;
    XXFLD* f = row ? row->field(field) : nullptr;
    if (!f) return 0;
    if (isText) {
        f->setValue(data);
    } else if (auto* byteField = dynamic_cast<XXFLD_BYTES*>(f)) {
        byteField->clear();
        byteField->setBytes(reinterpret_cast<const unsigned char*>(data), length);
    } else {
        f->clear();
        f->setValue(XXSTRING(data, length).text());
    }
    g->setModified(true);
    return 2;
}

int32_t PXClient::get(const char* grid, const char* key, int32_t field, const void** value, int32_t* length) {
    clearOutputs(value, length);
    const XXSTRING name = trimmed(grid);
    if (name.length() == 0) return 0;
    if (name.iequals(kNodeGrid)) {
        PXNode* node = engine_ && key ? engine_->grabNode(key) : nullptr;
        if (!node) return 0;
        const int32_t result = getNodeAttribute(*node, field, value, length);
        engine_->releaseNode(node);
        return result;
    }
    const XXGRID* g = findGridByName(name);
    const XXROW* row = g ? rowByKey(*g, key) : nullptr;
    const XXFLD* f = row ? row->field(field) : nullptr;
    return f ? fieldValue(*f, value, length) : 0;
}

int32_t PXClient::get(const char* grid, int32_t row, int32_t field, const void** value, int32_t* length) {
    clearOutputs(value, length);
    const XXSTRING name = trimmed(grid);
    if (name.length() == 0) return 0;
    if (name.iequals(kNodeGrid)) {
        PXNode* node = engine_ ? engine_->grabNode(row) : nullptr;
        if (!node) return 0;
        const int32_t result = getNodeAttribute(*node, field, value, length);
        engine_->releaseNode(node);
        return result;
    }
    const XXGRID* g = findGridByName(name);
    const XXFLD* f = g ? g->getCell(field, row) : nullptr;
    return f ? fieldValue(*f, value, length) : 0;
}

namespace {

// The engine's grid at `i` of its definition grid list, without taking it.
XXGRID* engineGridAt(IPXEngine& engine, int32_t i) {
    if (auto* definition = dynamic_cast<PXDefinition*>(&engine.definition())) return definition->definitionGrids().at(i);
    XXGRID* grid = nullptr;
    if (engine.definition().grabGrid(i, grid) != 2) return nullptr;
    engine.definition().releaseGrid(grid->key());
    return grid;
}

}  // namespace

int32_t PXClient::count(int32_t* n) {
    const int32_t engineGrids = engine_ ? engine_->definition().getGridCount() : 0;
    if (n) *n = engineGrids + ownGrids_.count() + 1;
    return 2;
}

int32_t PXClient::enumerate(int32_t i, const char** name, int32_t* type, int32_t* value) {
    const int32_t engineGrids = engine_ ? engine_->definition().getGridCount() : 0;
    const XXGRID* grid = nullptr;
    if (i >= 0 && i < engineGrids)
        grid = engineGridAt(*engine_, i);
    else if (i >= engineGrids && i < engineGrids + ownGrids_.count())
        grid = ownGrids_.at(i - engineGrids);
    if (grid) {
        if (name) *name = grid->title().text();
        if (type) *type = grid->kind;
        if (value) *value = grid->rowCount();
        return 2;
    }
    if (i == engineGrids + ownGrids_.count()) {
        if (name) *name = kNodeGrid;
        if (type) *type = kNodeGridType;
        if (value) *value = engine_ ? engine_->nodeCount() : 0;
        return 2;
    }
    return 0;
}

int32_t PXClient::getInt(const char* name, int32_t* value) {
    if (value) *value = 0;
    const XXSTRING wanted = trimmed(name);
    if (wanted.iequals(kNodeGrid)) {
        if (value) *value = engine_ ? engine_->nodeCount() : 0;
        return 2;
    }
    const XXGRID* grid = findGridByName(wanted);
    if (!grid) return 0;
    if (value) *value = grid->rowCount();
    return 2;
}
