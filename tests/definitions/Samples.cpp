#include "Samples.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <typeinfo>

#include "definitions/FileVarMgr.h"

namespace {

std::string hexUnits(const XXWCHAR* w) {
    std::string out;
    char buf[8];
    for (; w && *w; ++w) {
        std::snprintf(buf, sizeof buf, "%04x ", unsigned(*w));
        out += buf;
    }
    return out;
}

std::string hexBytes(const unsigned char* b, int32_t n) {
    std::string out;
    char buf[4];
    for (int32_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", unsigned(b[i]));
        out += buf;
    }
    return out;
}

void dumpRows(std::ostringstream& out, const XXROWLIST& rows, const std::string& indent);

void dumpField(std::ostringstream& out, const XXFLD& f, const std::string& indent) {
    out << indent << typeid(f).name() << " wide=" << f.isWide() << " text=" << f.isText() << " n=["
        << f.getText() << "] w=[" << hexUnits(f.getWText()) << "]";
    if (f.getBytes()) out << " bytes=" << hexBytes(f.getBytes(), f.getByteCount());
    if (auto* d = dynamic_cast<const XXFLD_DataOwner*>(&f)) out << " object=" << d->hasObject();
    out << "\n";
    if (f.subRows()) dumpRows(out, *f.subRows(), indent + "    ");
}

void dumpRows(std::ostringstream& out, const XXROWLIST& rows, const std::string& indent) {
    int i = 0;
    for (const XXROW* r : rows) {
        out << indent << "row " << i++ << " active=" << r->active << "\n";
        for (const XXFLD* f : *r) dumpField(out, *f, indent + "  ");
    }
}

void dumpGrid(std::ostringstream& out, const XXGRID& g) {
    out << "grid [" << g.title() << "] key [" << g.key() << "] persistent=" << g.persistent() << "\n";
    dumpRows(out, const_cast<XXGRID&>(g).rowList(), "  ");
}

std::string parmText(const XXSTRING& p) {
    return p.isWide ? "W:" + hexUnits(p.wtext()) : "N:" + std::string(p.text());
}

}  // namespace

// --- client grids ------------------------------------------------------------------------

ClientGrids::ClientGrids(PXDefinition& definition) {
    PXClientChoosers none;
    buildLogNameGrid(logName, none);
    buildExtensionDllGrid(extensionDll, none);
    buildFileViewerGrid(fileViewer, none);
    buildDatabaseGrid(database, none);
    buildPreProcessorsGrid(preProcessors, none);
    buildPostProcessorsGrid(postProcessors, none);
    buildOutputFilesGrid(outputFiles, none, &definition.tagChecker2);
    buildFilesGrid(files, none);
    buildUrlsGrid(urls);
    buildFoldersGrid(folders, none);
    buildMessageOptionsGrid(messageOptions, none);
}

void ClientGrids::addTo(PXDefIO& io) {
    for (XXGRID* g : {&logName, &extensionDll, &fileViewer, &database, &preProcessors, &postProcessors, &outputFiles,
                      &files, &urls, &folders, &messageOptions})
        io.clientGrids.add(g);
}

// --- building blocks ---------------------------------------------------------------------

XXROW* addRecord(XXGRID& grid, const char* tag) {
    XXROW* row = grid.appendRow();
    put(*row, 0, tag);
    if (grid.subGrid()) row->field(0)->setSubRows(std::make_unique<XXROWLIST>());
    return row;
}

XXROW* addDetail(XXGRID& master, XXROW& record) {
    XXFLD* first = record.field(0);
    if (!first->subRows()) first->setSubRows(std::make_unique<XXROWLIST>());
    return first->subRows()->add(master.subGrid()->newRow());
}

void put(XXROW& row, int col, const char* text) { row.field(col)->setValue(text); }

void putWide(XXROW& row, int col, const char16_t* text) { row.field(col)->setValue(text); }

void putBytes(XXROW& row, int col, const char* numeric) {
    row.field(col)->setText(false);
    row.field(col)->setValue(numeric);
}

std::unique_ptr<CAction> action(PXDefinition& definition, const char* kind, std::initializer_list<const char*> parms) {
    std::unique_ptr<CAction> a = definition.catalogue.make(kind);
    int32_t i = 0;
    for (const char* p : parms) a->setParm(i++, p, nullptr);
    return a;
}

XXROW* addActionRow(XXGRID& grid, XXROWLIST* rows, const char* kind, std::initializer_list<const char*> parms) {
    std::unique_ptr<XXROW> row = grid.newRow();
    row->field(0)->setValue(kind);
    int col = 1;
    for (const char* p : parms) row->field(col++)->setValue(p);
    return rows ? rows->add(std::move(row)) : grid.rowList().add(std::move(row));
}

// --- the full definition -----------------------------------------------------------------

void fillEverything(PXDefinition& d, ClientGrids& c) {
    put(*c.logName.appendRow(), 0, "run.log");
    put(*c.logName.row(0), 1, "1");
    put(*c.extensionDll.appendRow(), 0, "libextension.so");
    put(*c.fileViewer.appendRow(), 0, "xdg-open");
    XXROW* db = c.database.appendRow();
    put(*db, 0, "Orders");
    put(*db, 2, "orders.db");
    put(*c.preProcessors.appendRow(), 0, "Prepare.QXD");
    put(*c.postProcessors.appendRow(), 0, "Summarise.QXD");
    XXROW* out = c.outputFiles.appendRow();
    put(*out, 0, "Report");
    put(*out, 1, "report.txt");
    XXROW* files = c.files.appendRow();
    put(*files, 1, "*.log");
    put(*files, 2, "1");
    XXROW* url = c.urls.appendRow();
    put(*url, 1, "http://localhost/index.html");
    XXROW* folder = c.folders.appendRow();
    put(*folder, 0, "0");
    put(*folder, 1, "Mail");
    put(*folder, 2, "Inbox");
    XXROW* mail = c.messageOptions.appendRow();
    put(*mail, 0, "1");
    put(*mail, 3, "secret \"pass\"");

    put(*d.comment.appendRow(), 0, "Every grid: \"quoted\" texts, {braces}\r\nand a second line");

    XXROW* digit = addRecord(d.sets8, "Digit");
    XXROW* r = addDetail(d.sets8, *digit);
    put(*r, 0, "48");
    put(*r, 1, "57");
    XXROW* letter = addRecord(d.sets8, "Letter");
    r = addDetail(d.sets8, *letter);
    put(*r, 0, "65");
    put(*r, 1, "90");
    r = addDetail(d.sets8, *letter);
    put(*r, 0, "97");
    put(*r, 1, "122");
    XXROW* blank = addRecord(d.sets8, "Blank");
    put(*addDetail(d.sets8, *blank), 0, "32");   // End left empty
    addRecord(d.sets8, "Nothing");                 // a set without ranges

    XXROW* greek = addRecord(d.sets16, "Greek");
    r = addDetail(d.sets16, *greek);
    put(*r, 0, "913");
    put(*r, 1, "937");

    XXROW* number = addRecord(d.patterns, "Number");
    r = addDetail(d.patterns, *number);
    put(*r, 0, "Digit");
    put(*r, 1, "1");
    put(*r, 2, "10");
    XXROW* word = addRecord(d.patterns, "Word");
    r = addDetail(d.patterns, *word);
    put(*r, 0, "Letter");
    put(*r, 1, "1");

    XXROW* finish = addRecord(d.actionGroups, "Finish");
    addActionRow(d.actionGroupActions, finish->field(0)->subRows(), "Clear variable", {"Amount"});
    addActionRow(d.actionGroupActions, finish->field(0)->subRows(), "Return", {});

    addActionRow(d.preRunActions, nullptr, "Set counter", {"Lines", "0"});
    addActionRow(d.postRunActions, nullptr, "Send to", {"Report", "Lines: ", "Lines"});
    addActionRow(d.preStreamActions, nullptr, "Clear variable", {"Amount"});
    XXROW* wide = addActionRow(d.postStreamActions, nullptr, "Send to (wide)", {"Report"});
    putWide(*wide, 2, u"Ende \u2013 Stra\u00dfe");

    XXROW* v = d.variables.appendRow();
    put(*v, 0, "Amount");
    put(*v, 1, "String");
    put(*v, 2, "12.50");
    v = d.variables.appendRow();
    put(*v, 0, "Marker");
    put(*v, 1, "Byte");
    putBytes(*v, 2, "[13][10]");
    v = d.variables.appendRow();
    put(*v, 0, "Title");
    put(*v, 1, "Wide string");
    putWide(*v, 2, u"Gr\u00f6\u00dfe");
    put(*v, 3, "1");
    v = d.variables.appendRow();
    put(*v, 0, "Empty");
    put(*v, 1, "Byte");
    putBytes(*v, 2, "");
    v = d.variables.appendRow();
    put(*v, 0, "Braced");
    put(*v, 1, "String");
    put(*v, 2, "{65}");

    XXROW* fv = d.fileVariables.appendRow();
    put(*fv, 0, "Lookup");
    put(*fv, 1, "lookup.txt");
    put(*fv, 2, "codes \"quoted\"");

    XXROW* counter = d.counters.appendRow();
    put(*counter, 0, "Lines");
    put(*counter, 1, "0");
    put(*d.counters.appendRow(), 0, "Errors");   // initial value left empty

    XXROW* map = addRecord(d.maps, "OldMap");
    r = addDetail(d.maps, *map);
    put(*r, 0, "yes");
    put(*r, 1, "1");
    put(*r, 3, "1");
    r = addDetail(d.maps, *map);
    put(*r, 0, "no");
    put(*r, 2, "Amount");

    XXROW* currency = addRecord(d.stringSets, "Currency");
    r = addDetail(d.stringSets, *currency);
    put(*r, 1, "EUR");
    r = addDetail(d.stringSets, *currency);
    put(*r, 0, "0");
    put(*r, 1, "USD");
    put(*r, 2, "Dollar");
    put(*r, 3, "Amount");
    put(*r, 4, "1");
    r = addDetail(d.stringSets, *currency);
    put(*r, 1, std::string(300, 'x').append("\"end\"").c_str());

    PXGraph& g = d.nodeGroups.main;
    g.addComment(10, 12, 120, 30)->setLabel("A note with \"quotes\"");
    PXNode* n0 = g.addPXNode(20, 60);
    n0->setText("ERROR");
    n0->setIgnoreCase(true);
    PXNode* n1 = g.addPXNode(200, 60, 80, 24);
    n1->setWText(u"\u03a9\u20ac");
    PXNode* n2 = g.addPXNode(20, 160);
    n2->setRefName("Number");
    n2->setTag("Num");
    n2->addAction(action(d, "Send to (wide)", {"Report"}));
    n2->actions.last()->setParm(1, u"Sum \u2211");
    n2->actions.last()->setParm(2, "Num", nullptr);
    n2->addAction(action(d, "IncCounter", {"Lines", "2"}));
    PXNode* n3 = g.addPXNode(200, 160);
    n3->setRefName("GroupA");
    PXNode* n4 = g.addPXNode(380, 160);
    n4->setRefName("Currency");
    n4->setTag("Num");
    n4->addAction(action(d, "Execute action group", {"Finish", "1"}));
    PXNode* n5 = g.addPXNode(380, 260);
    n5->setWText(u"wide");
    n5->setText("narrow");
    n5->setTag("Both");
    g.addLink(*n0, n2->id())->setColor(5);
    g.addLink(*n0, n1->id());
    g.addLink(*n2, n3->id())->setColor(7);
    g.addLink(*n3, n4->id());
    g.addLink(*n4, n4->id());
    g.addLink(*n1, n5->id())->setColor(1);
    g.setNode1(n2);

    PXGraph* a = d.nodeGroups.addGroup("GroupA");
    PXNode* a0 = a->addPXNode(30, 30);
    a0->setRefName("Word");
    PXNode* a1 = a->addPXNode(150, 30);
    a1->setText(".");
    a1->addAction(action(d, "Return", {}));
    a->addLink(*a0, a1->id());
    a->addComment(30, 90)->setLabel("Group A: a word and a full stop");

    PXGraph* b = d.nodeGroups.addGroup("GroupB");
    PXNode* b0 = b->addPXNode(30, 30);
    b0->setText("{65}");
    b0->addAction(action(d, "Halt", {"1"}));
}

// --- dumps -------------------------------------------------------------------------------

std::string dumpGraph(PXGraph& g) {
    std::ostringstream out;
    out << "graph [" << g.name << "] start=" << (g.startNode() ? g.startNode()->number : -1) << "\n";
    for (XXGRAPHITEM* item : g.items()) {
        if (!item->isComment()) continue;
        const XXRECT rc = g.itemRect(*item);
        out << "  note " << rc.x << "," << rc.y << "," << rc.width << "," << rc.height << " [" << item->label() << "]\n";
    }
    for (int32_t i = 0; i < g.nodeCount(); ++i) {
        PXNode* n = g.nodeAt(i);
        const XXRECT rc = g.itemRect(*n);
        out << "  node " << n->number << " at " << rc.x << "," << rc.y << "," << rc.width << "," << rc.height
            << " tag=[" << n->tag() << "] ref=[" << n->refName() << "] text=[" << n->text() << "] wide=["
            << hexUnits(n->wtext().text()) << "] igc=" << n->ignoreCase() << " start=" << n->isStart()
            << " label=[" << n->label() << "] display=[" << hexUnits(n->displayText().text()) << "]\n";
        for (const XXNODELINK* l : n->links())
            out << "    link " << l->number() << " -> " << g.nodeIndex(l->targetId()) << " colour " << l->color() << "\n";
        for (const CAction* a : n->actions) {
            out << "    action " << a->kind << " [" << a->name << "] [" << a->key << "]";
            for (int32_t p = 0; p < a->parmCount(); ++p) out << " (" << parmText(a->parm(p)) << ")";
            out << " summary=[" << hexUnits(a->summaryText().text()) << "]\n";
        }
        out << "    summary=[" << hexUnits(n->actionsSummary().text()) << "]\n";
    }
    return out.str();
}

std::string dumpDefinition(PXDefinition& d, const ClientGrids* c) {
    std::ostringstream out;
    if (c)
        for (const XXGRID* g : {&c->logName, &c->extensionDll, &c->fileViewer, &c->database, &c->preProcessors,
                                &c->postProcessors, &c->outputFiles, &c->files, &c->urls, &c->folders,
                                &c->messageOptions})
            dumpGrid(out, *g);
    for (XXGRID* g : d.definitionGrids()) dumpGrid(out, *g);
    out << dumpGraph(d.nodeGroups.main);
    for (int32_t i = 0; i < d.nodeGroups.groupCount(); ++i)
        if (PXGraph* g = d.nodeGroups.groupIfAny(i)) out << dumpGraph(*g);
    return out.str();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
