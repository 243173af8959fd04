#include "run/ClientSources.h"

#include "definitions/PXClientSchema.h"

void ClientSources::buildSchema() {
    if (built_) return;
    buildSourcesGrid(*this);
    built_ = true;
}

void ClientSources::add(ClientSource& source) {
    if (sources_.indexOf(&source) >= 0) return;
    sources_.add(&source);
    addRow(source);
    resetPosition();
}

void ClientSources::addRow(const ClientSource& source) {
    const int32_t row = rowCount();
    if (appendRow()) setText(0, row, source.name);
}

void ClientSources::clearRows() {
    XXGRID::clearRows();
    for (const ClientSource* s : sources_) addRow(*s);
    resetPosition();
}

ClientSource* ClientSources::findSource(const char* name) {
    if (!name) return nullptr;
    for (ClientSource* s : sources_)
        if (s->name == name) return s;
    return nullptr;
}

ClientSource* ClientSources::find(XXID id) const {
    for (ClientSource* s : sources_)
        if (s->id == id) return s;
    return nullptr;
}
