// The definition reader on files that are damaged, old or hand-made: what it keeps, what it
// reports and how often; and the token forms of values, written and read back.
#include <gtest/gtest.h>

#include <string>

#include "Samples.h"
#include "../support/CaptureSink.h"
#include "../support/TempDir.h"

namespace {

const std::string kHeader = "Quillon Version 2.82\r\n";

struct Reader {
    PXDefinition definition;
    ClientGrids clients{definition};
    PXDefIO io;
    Reader() {
        definition.buildSchema();
        io.engine = &definition;
        clients.addTo(io);
    }
    bool read(TempDir& dir, const std::string& text, const char* name = "T.QXD") {
        return io.load(dir.write(name, text).c_str());
    }
    std::string cell(XXGRID& g, int32_t col, int32_t row) {
        const XXFLD* f = g.getCell(col, row);
        return f ? f->getText() : "<none>";
    }
};

// "file:line: ", what every report about a line of the file read begins with.
std::string place(const TempDir& dir, int line, const char* name = "T.QXD") {
    return dir.file(name) + ":" + std::to_string(line) + ": ";
}

int countContaining(const CaptureSink& sink, const std::string& part) {
    int n = 0;
    for (const auto& e : sink.errors) n += e.find(part) != std::string::npos;
    return n;
}

TEST(PXDefIOReader, AtMostFiveInvalidInputReports) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    std::string text = kHeader;
    for (int i = 0; i < 7; ++i) text += "!\"Nope" + std::to_string(i) + "\" \"x\"\r\n\"detail\" 1\r\n";
    text += "!\"Counters\" \"Kept\" 3\r\n";
    EXPECT_TRUE(r.read(dir, text));
    EXPECT_EQ(r.io.errorCount, 7);
    EXPECT_EQ(countContaining(sink, "Invalid input"), 5);
    EXPECT_EQ(sink.errors[0], place(dir, 2) + "Definition file - Invalid input  [!\"Nope0\" \"x\"]");
    ASSERT_EQ(r.definition.counters.rowCount(), 1);
    EXPECT_EQ(r.cell(r.definition.counters, 0, 0), "Kept");
    // The detail lines under unknown grids went nowhere.
    for (XXGRID* g : r.definition.definitionGrids())
        EXPECT_EQ(g->rowCount(), g == &r.definition.counters ? 1 : 0) << g->title().text();
}

TEST(PXDefIOReader, ALineAGridWithoutDetailRowsCannotTakeIsReported) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    // Before any grid a stray line is passed over; under a grid, or in a node group's file
    // after its header, it would be lost unseen.
    dir.write("G.QXG", kHeader + "Nod 0 1 1 0 0\r\nNode 0 1 1 0 0\r\n");
    EXPECT_TRUE(r.read(dir, kHeader + "Nod 0 1 1 0 0\r\n!\"Counters\" \"Kept\" 3\r\n\"Counters\" \"Lost\" 4\r\n"
                                      "!\"NodeGroup\" \"G\" \"\"\r\n"));
    ASSERT_EQ(sink.errors.size(), 2u);
    EXPECT_EQ(sink.errors[0], place(dir, 4) + "Definition file - Invalid input  [\"Counters\" \"Lost\" 4]");
    EXPECT_EQ(sink.errors[1], place(dir, 2, "G.QXG") + "Definition file - Invalid input  [Nod 0 1 1 0 0]");
    EXPECT_EQ(r.io.errorCount, 2);
    EXPECT_EQ(r.definition.nodeGroups.groupIfAny(0)->nodeCount(), 1);
    EXPECT_EQ(r.definition.counters.rowCount(), 1);
}

TEST(PXDefIOReader, NumbersThatAreNoNumbersOrOutOfRangeAreReported) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    EXPECT_TRUE(r.read(dir, kHeader + "!\"Set\" \"S\"\r\n48 x57\r\n300 \"\"\r\n!\"Set(16-bit)\" \"W\"\r\n300 65535\r\n"
                                      "!\"Counters\" \"C\" -12\r\n!\"StringSet\" \"T\"\r\n1 \"kept\"\r\n\"lost\"\r\n"));
    ASSERT_EQ(sink.errors.size(), 3u);
    EXPECT_EQ(sink.errors[0], place(dir, 3) + "Definition file - Not a number:  (x57)  [48 x57]");
    EXPECT_EQ(sink.errors[1], place(dir, 4) + "Definition file - Valid values: 0..255  (300)  [300 \"\"]");
    // A text where a flag belongs: the Enabled column of a string-set item left out.
    EXPECT_EQ(sink.errors[2], place(dir, 10) + "Definition file - Not a number:  (lost)  [\"lost\"]");
}

TEST(PXDefIOReader, ShortRowsArePaddedLongRowsCut) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    EXPECT_TRUE(r.read(dir, kHeader +
                                "!\"Variables\" \"V\"\r\n"
                                "!\"Counters\" \"C\" 1 2 3\r\n"
                                "!\"Set\" \"S\"\r\n"
                                "1 2 3\r\n"
                                "!\"Set\"\r\n"
                                "7\r\n"));
    XXGRID& v = r.definition.variables;
    ASSERT_EQ(v.rowCount(), 1);
    EXPECT_EQ(v.row(0)->count(), 4);
    EXPECT_EQ(r.cell(v, 1, 0), "");
    EXPECT_EQ(v.getCell(2, 0)->getByteCount(), 0);
    EXPECT_EQ(r.definition.counters.row(0)->count(), 2);
    EXPECT_EQ(r.cell(r.definition.counters, 1, 0), "1");
    ASSERT_EQ(sink.errors.size(), 2u);
    EXPECT_EQ(sink.errors[0], place(dir, 3) + "Definition file - Excess input  [!\"Counters\" \"C\" 1 2 3]");
    EXPECT_EQ(sink.errors[1], place(dir, 5) + "Definition file - Excess input  [1 2 3]");
    // A master line without values still makes a record that holds its detail rows.
    XXGRID& s = r.definition.sets8;
    ASSERT_EQ(s.rowCount(), 2);
    ASSERT_NE(s.getCell(0, 1)->subRows(), nullptr);
    EXPECT_EQ(s.getCell(0, 1)->subRows()->at(0)->field(0)->getInt(), 7);
    EXPECT_EQ(s.getCell(0, 0)->subRows()->at(0)->field(1)->getInt(), 2);
}

TEST(PXDefIOReader, FirstLineIsTheHeader) {
    CaptureSink sink;
    TempDir dir;
    struct Row {
        std::string first;
        float version;
    };
    const Row rows[] = {
        {"Quillon Version 2.82", 2.82f},
        {"Old builder Version 2.5 (beta)", 2.5f},
        {"Version", 0.0f},
        {"!\"Counters\" \"Lost\" 1", 0.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.first);
        Reader r;
        EXPECT_TRUE(r.read(dir, row.first + "\r\n!\"Counters\" \"Kept\" 2\r\n"));
        EXPECT_FLOAT_EQ(r.io.version, row.version);
        ASSERT_EQ(r.definition.counters.rowCount(), 1);
        EXPECT_EQ(r.cell(r.definition.counters, 0, 0), "Kept");
    }
    EXPECT_TRUE(sink.errors.empty());
}

TEST(PXDefIOReader, RowHookSeesTheVersion) {
    struct OldGrid : XXGRID {
        std::vector<float> versions;
        void rowRead(float version, XXROW& row) override {
            versions.push_back(version);
            row.field(0)->setValue("rewritten");
        }
    };
    CaptureSink sink;
    TempDir dir;
    Reader r;
    OldGrid old;
    old.setTitle("Old Grid");
    old.addFld(XXFLD_STR::gen, "Name", 10);
    r.io.clientGrids.add(&old);
    EXPECT_TRUE(r.read(dir, "Quillon Version 2.5\r\n!\"OldGrid\" \"a\"\r\n!\"OldGrid\" \"b\"\r\n"));
    EXPECT_EQ(old.versions, (std::vector<float>{2.5f, 2.5f}));
    EXPECT_EQ(r.cell(old, 0, 1), "rewritten");
}

TEST(PXDefIOReader, GraphNumbersAndLinks) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    EXPECT_TRUE(r.read(dir, kHeader +
                                "Node 7 10 20 0 0 1 9 x 1 0\r\n"
                                "Node 3 30 40 50 60 0\r\n"
                                "LinkColors 0 4 5 6 7 8\r\n"
                                "NodeString 1 \"b\"\r\n"
                                "NodeTag 9 \"lost\"\r\n"
                                "NodeTag x \"lost\"\r\n"
                                "NodeAttribute 1 Start igc\r\n"));
    PXGraph& g = r.definition.nodeGroups.main;
    ASSERT_EQ(g.nodeCount(), 2);
    PXNode* a = g.nodeAt(0);
    PXNode* b = g.nodeAt(1);
    EXPECT_EQ(a->number, 0);
    EXPECT_EQ(b->number, 1);
    EXPECT_EQ(std::string(b->text().text()), "b");
    EXPECT_EQ(g.itemRect(*b), (XXRECT{30, 40, 50, 60}));
    // Links in order; the out-of-range and unreadable targets skipped, the duplicate refused,
    // each link with the colour at its own position.
    ASSERT_EQ(a->linkCount(), 2);
    EXPECT_EQ(a->linkAt(0)->targetId(), b->id());
    EXPECT_EQ(a->linkAt(0)->color(), 4);
    EXPECT_EQ(a->linkAt(1)->targetId(), a->id());
    EXPECT_EQ(a->linkAt(1)->color(), 8);
    ASSERT_EQ(b->linkCount(), 1);
    EXPECT_EQ(b->linkAt(0)->color(), XXNODELINK::defaultColor);
    EXPECT_EQ(g.startNode(), b);
    EXPECT_TRUE(b->ignoreCase());
    EXPECT_EQ(b->tag().length(), 0);
    // Each report at its own line: a link target at its "Node" line.
    for (const auto& [line, number] : {std::pair{2, "9"}, {6, "9"}, {2, "x"}, {7, "x"}})
        EXPECT_EQ(countContaining(sink, "PXGraph::seekNodeNumber :\n" + place(dir, line) + "Definition file: Node " +
                                            number + " not found"),
                  1)
            << line << " " << number;
    EXPECT_EQ(countContaining(sink, "Definition file: Node x not found"), 2);
}

TEST(PXDefIOReader, NumbersThatDoNotConvert) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    EXPECT_TRUE(r.read(dir, kHeader +
                                "Note 1 y 2 z \"kept\"\r\n"
                                "Node q 5 5 0 0\r\n"
                                "Node 1 5 5 w 0\r\n"));
    PXGraph& g = r.definition.nodeGroups.main;
    EXPECT_EQ(g.nodeCount(), 2);
    EXPECT_EQ(g.itemCount(), 3);
    EXPECT_EQ(countContaining(sink, "GraphIO::noteIn :\n" + place(dir, 2) + "Error 20"), 1);
    EXPECT_EQ(countContaining(sink, "GraphIO::nodeIn :\n" + place(dir, 3) + "Error 1\n"), 1);
    EXPECT_EQ(countContaining(sink, "GraphIO::nodeIn :\n" + place(dir, 4) + "Error 8\n"), 1);
}

TEST(PXDefIOReader, UnknownActionsAreCollectedAndReportedOnce) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    EXPECT_TRUE(r.read(dir, kHeader +
                                "Node 0 1 1 0 0\r\n"
                                "NodeAction 0 Jump \"a\"\r\n"
                                "NodeAction 0 \"Send to\" \"Out\" {955} \"Src\"\r\n"
                                "NodeAction 0 Jump\r\n"
                                "NodeAction 0 Fly\r\n"
                                "NodeAction 0 halt \"1\"\r\n"));
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_EQ(sink.errors[0],
              place(dir, 3) + "Invalid input (Action: Jump)\n" + place(dir, 6) + "Invalid input (Action: Fly)\n");
    PXNode* n = r.definition.nodeGroups.main.nodeAt(0);
    ASSERT_EQ(n->actions.count(), 2);
    CAction* send = n->actions.at(0);
    EXPECT_EQ(send->kind, PXACT::SendToA);
    EXPECT_EQ(send->graph, &r.definition.nodeGroups.main);
    EXPECT_FALSE(send->parm(0).isWide);
    EXPECT_TRUE(send->parm(1).isWide);
    EXPECT_EQ(std::u16string(send->parm(1).wtext()), u"\u03bb");
    EXPECT_EQ(n->actions.at(1)->kind, PXACT::Halt);
}

TEST(PXDefIOReader, TooManyActionParameters) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    std::string line = "NodeAction 0 Halt";
    for (int i = 0; i < 40; ++i) line += " \"p\"";
    EXPECT_TRUE(r.read(dir, kHeader + "Node 0 1 1 0 0\r\n" + line + "\r\n"));
    PXNode* n = r.definition.nodeGroups.main.nodeAt(0);
    ASSERT_EQ(n->actions.count(), 1);
    EXPECT_EQ(n->actions.first()->parmCount(), GraphIO::maxActionParms);
    EXPECT_EQ(countContaining(sink, "Excess input"), 1);
}

TEST(PXDefIOReader, UnopenableNodeGroupFilesReportedOnce) {
    CaptureSink sink;
    TempDir dir;
    dir.write("Here.QXG", kHeader + "Node 0 1 1 0 0\r\nNodeString 0 \"h\"\r\n");
    Reader r;
    EXPECT_FALSE(r.read(dir, kHeader +
                                 "!\"NodeGroup\" \"Missing1\" \"\"\r\n"
                                 "!\"NodeGroup\" \"Here\" \"\"\r\n"
                                 "!\"NodeGroup\" \"\" \"\"\r\n"
                                 "!\"NodeGroup\" \"sub\\Missing2\" \"\"\r\n"
                                 "!\"Counters\" \"C\" 1\r\n"));
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_EQ(sink.errors[0],
              "Unable to open:\n" + place(dir, 2) + dir.file("Missing1.QXG") + "\n" + place(dir, 5) +
                  dir.file("sub/Missing2.QXG") + "\n");
    PXGraphs& groups = r.definition.nodeGroups;
    ASSERT_EQ(groups.groupCount(), 4);
    for (int32_t i = 0; i < 4; ++i) ASSERT_NE(groups.groupIfAny(i), nullptr);
    EXPECT_EQ(groups.groupIfAny(0)->nodeCount(), 0);
    EXPECT_EQ(groups.groupIfAny(1)->nodeCount(), 1);
    EXPECT_EQ(std::string(groups.groupIfAny(1)->name.text()), "Here");
    EXPECT_EQ(r.definition.counters.rowCount(), 1);
}

TEST(PXDefIOReader, GroupWithoutNameHasNoFile) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    r.definition.nodeGroups.addGroup("")->addPXNode(1, 1);
    r.definition.nodeGroups.addGroup("Named")->addPXNode(1, 1);
    ASSERT_TRUE(r.io.save(dir.file("D.QXD").c_str()));
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"D.QXD", "Named.QXG"}));
}

TEST(PXDefIOReader, FirstTokensAreRecognisedOnlyUnquoted) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    EXPECT_TRUE(r.read(dir, kHeader +
                                "!\"Map\" \"M\"\r\n"
                                "\"Node\" \"x\" \"\" 0\r\n"
                                "\"!\"\"Set\"\"\" \"y\" \"\" 0\r\n"
                                "{78}{111} \"z\" \"\" 0\r\n"));
    EXPECT_TRUE(sink.errors.empty());
    EXPECT_EQ(r.definition.nodeGroups.main.nodeCount(), 0);
    XXROWLIST* rows = r.definition.maps.getCell(0, 0)->subRows();
    ASSERT_EQ(rows->count(), 3);
    EXPECT_STREQ(rows->at(0)->field(0)->getText(), "Node");
    EXPECT_STREQ(rows->at(1)->field(0)->getText(), "!\"Set\"");
    EXPECT_STREQ(rows->at(1)->field(1)->getText(), "y");
    EXPECT_TRUE(rows->at(2)->field(0)->isWide());
}

TEST(PXDefIOReader, MalformedTokens) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    EXPECT_TRUE(r.read(dir, kHeader +
                                "!\"Variables\" \"A\" \"String\" {} 0\r\n"
                                "!\"Variables\" \"B\" \"String\" {65}x 0\r\n"
                                "!\"Variables\" \"C\" \"String\" {0} 0\r\n"
                                "!\"Variables\" \"D\" \"String\" {65536} 0\r\n"
                                "!\"Variables\" \"E\" \"Byte\" [65][300][7] 0\r\n"
                                "!\"Variables\" \"F\" \"String\" \"[65]\" 0\r\n"
                                "!\"Variables\" \"G\" \"String\" \"{65}{66}\" 0\r\n"
                                "!\"Comment\" \"never closed\r\n"));
    XXGRID& v = r.definition.variables;
    const char* narrow[] = {"{}", "{65}x", "{0}", "{65536}"};
    for (int32_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(narrow[i]);
        EXPECT_FALSE(v.getCell(2, i)->isWide());
        EXPECT_EQ(r.cell(v, 2, i), narrow[i]);
    }
    const XXFLD* bytes = v.getCell(2, 4);
    EXPECT_FALSE(bytes->isText());
    ASSERT_EQ(bytes->getByteCount(), 2);
    EXPECT_EQ(bytes->getBytes()[0], 65);
    EXPECT_EQ(bytes->getBytes()[1], 7);
    ASSERT_EQ(sink.errors.size(), 2u);
    EXPECT_EQ(sink.errors[0], place(dir, 6) + "Definition file - Byte value out of range:  (300)  "
                                              "[!\"Variables\" \"E\" \"Byte\" [65][300][7] 0]");
    EXPECT_EQ(sink.errors[1], place(dir, 9) + "Definition file - Invalid input (missing closing quote)  "
                                              "[!\"Comment\" \"never closed]");
    // Quoted texts that look like numbers or wide text stay narrow text.
    EXPECT_TRUE(v.getCell(2, 5)->isText());
    EXPECT_EQ(r.cell(v, 2, 5), "[65]");
    EXPECT_FALSE(v.getCell(2, 6)->isWide());
    EXPECT_EQ(r.cell(v, 2, 6), "{65}{66}");
    EXPECT_EQ(r.cell(r.definition.comment, 0, 0), "never closed");
}

// Each value is written in its token form and reads back as it was.
TEST(PXDefIOReader, TokenForms) {
    struct Row {
        const char* name;
        const char* narrow;
        const char16_t* wide;
        bool numeric;
        const char* token;
    };
    const Row rows[] = {
        {"plain", "abc", nullptr, false, "\"abc\""},
        {"quotes doubled", "say \"hi\"", nullptr, false, "\"say \"\"hi\"\"\""},
        {"begins with a brace", "{65}", nullptr, false, "\"{65}\""},
        {"begins with a bracket", "[65]", nullptr, false, "\"[65]\""},
        {"spaces kept", "a  b ", nullptr, false, "\"a  b \""},
        {"line breaks", "one\r\ntwo\n", nullptr, false, "\"one\"{13}{10}\"two\"{10}"},
        {"only a line break", "\n", nullptr, false, "\"\"{10}"},
        {"empty", "", nullptr, false, "\"\""},
        {"wide", nullptr, u"AB", false, "{65}{66}"},
        {"wide line break", nullptr, u"a\nb", false, "{97}{10}{98}"},
        {"numeric bytes", "[0][255]", nullptr, true, "[0][255]"},
        {"numeric bytes with blanks", "1 2  3", nullptr, true, "[1][2][3]"},
        {"empty numeric bytes", "", nullptr, true, "[]"},
    };
    CaptureSink sink;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        Reader w;
        XXROW* v = w.definition.variables.appendRow();
        put(*v, 0, "V");
        if (row.numeric)
            putBytes(*v, 2, row.narrow);
        else if (row.wide)
            putWide(*v, 2, row.wide);
        else
            put(*v, 2, row.narrow);
        ASSERT_TRUE(w.io.save(dir.file("T.QXD").c_str()));
        const std::string text = readFile(dir.file("T.QXD"));
        const std::string expected = "!\"Variables\" \"V\" \"\" " + std::string(row.token) + " 0\r\n";
        EXPECT_NE(text.find(expected), std::string::npos) << text;

        Reader r;
        ASSERT_TRUE(r.io.load(dir.file("T.QXD").c_str()));
        const XXFLD* before = w.definition.variables.getCell(2, 0);
        const XXFLD* after = r.definition.variables.getCell(2, 0);
        EXPECT_EQ(after->isWide(), before->isWide());
        EXPECT_EQ(after->isText(), before->isText());
        // A numeric text is written in its canonical form; the bytes are what counts.
        if (!row.numeric) {
            EXPECT_EQ(std::u16string(after->getWText()), std::u16string(before->getWText()));
        }
        ASSERT_EQ(after->getByteCount(), before->getByteCount());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(after->getBytes()), size_t(after->getByteCount())),
                  std::string(reinterpret_cast<const char*>(before->getBytes()), size_t(before->getByteCount())));
    }
    EXPECT_TRUE(sink.errors.empty());
}

TEST(PXDefIOReader, LongLinesSurvive) {
    CaptureSink sink;
    TempDir dir;
    Reader w;
    const std::string text(2 * 1024 * 1024, 'q');
    std::u16string wide(5000, u'\u20ac');
    put(*w.definition.comment.appendRow(), 0, text.c_str());
    XXROW* v = w.definition.variables.appendRow();
    put(*v, 0, "W");
    putWide(*v, 2, wide.c_str());
    ASSERT_TRUE(w.io.save(dir.file("L.QXD").c_str()));
    Reader r;
    ASSERT_TRUE(r.io.load(dir.file("L.QXD").c_str()));
    EXPECT_EQ(r.cell(r.definition.comment, 0, 0), text);
    EXPECT_EQ(std::u16string(r.definition.variables.getCell(2, 0)->getWText()), wide);
    EXPECT_TRUE(sink.errors.empty());
}

TEST(PXDefIOReader, BinaryJunkAndTruncation) {
    CaptureSink sink;
    TempDir dir;
    std::string junk = kHeader + "!\"Counters\" \"Kept\" 4\r\n";
    for (int i = 0; i < 3000; ++i) junk += char((i * 131 + 7) % 256);
    junk += "\r\n!\"Counters\" \"Also\" 5\r\n!\"Variables\" \"Cut\" \"Str";
    Reader r;
    EXPECT_TRUE(r.read(dir, junk));
    XXGRID& c = r.definition.counters;
    ASSERT_GE(c.rowCount(), 2);
    EXPECT_EQ(r.cell(c, 0, 0), "Kept");
    EXPECT_EQ(r.cell(c, 0, c.rowCount() - 1), "Also");
    ASSERT_EQ(r.definition.variables.rowCount(), 1);
    EXPECT_EQ(r.cell(r.definition.variables, 1, 0), "Str");
    EXPECT_LE(sink.errors.size(), 10u);
}

// Reports beyond the error limit would end a run; a read goes on and keeps every row.
TEST(PXDefIOReader, FloodOfReportsDoesNotEndTheRead) {
    CaptureSink sink;
    TempDir dir;
    std::string text = kHeader;
    for (int i = 0; i < 1200; ++i) text += "!\"Counters\" \"C" + std::to_string(i) + "\" 1 extra\r\n";
    text += "Node 0 1 1 0 0\r\n";
    for (int i = 0; i < 30; ++i) text += "NodeTag 99 \"t\"\r\n";
    Reader r;
    EXPECT_TRUE(r.read(dir, text));
    EXPECT_EQ(r.definition.counters.rowCount(), 1200);
    EXPECT_EQ(r.definition.nodeGroups.main.nodeCount(), 1);
    EXPECT_LE(sink.errors.size(), 10u);
}

TEST(PXDefIOReader, TakenGridsAndGraphs) {
    CaptureSink sink;
    TempDir dir;
    Reader w;
    fillEverything(w.definition, w.clients);
    XXGRID* taken = nullptr;
    ASSERT_EQ(w.definition.grabGrid("Counters", taken), 2);
    PXGraphs* graphs = nullptr;
    ASSERT_EQ(w.definition.grabGraphs(graphs), 2);
    ASSERT_TRUE(w.io.save(dir.file("T.QXD").c_str()));
    EXPECT_EQ(countContaining(sink, "PXDefIO::out :\ngrabGraphs"), 1);
    const std::string text = readFile(dir.file("T.QXD"));
    EXPECT_EQ(text.find("Counters"), std::string::npos);
    EXPECT_EQ(text.find("\r\nNode "), std::string::npos);
    EXPECT_NE(text.find("!\"Variables\""), std::string::npos);
    // Still taken by whoever took them.
    EXPECT_TRUE(w.definition.counters.isLocked());
    EXPECT_TRUE(w.definition.nodeGroups.isLocked());

    sink.clear();
    Reader r;
    ASSERT_EQ(r.definition.grabGraphs(graphs), 2);
    r.read(dir, kHeader + "!\"Counters\" \"C\" 1\r\nNode 0 1 1 0 0\r\n");
    EXPECT_EQ(countContaining(sink, "PXDefIO::in :\ngrabGraphs"), 1);
    EXPECT_EQ(r.definition.nodeGroups.main.nodeCount(), 0);
    EXPECT_EQ(r.definition.counters.rowCount(), 1);
    EXPECT_FALSE(r.definition.counters.isLocked());
}

TEST(PXDefIOReader, LookupListsCannotBeFilledFromAFile) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    EXPECT_TRUE(r.read(dir, kHeader + "!\"Pattern/NodeGroup\" \"x\"\r\n!\"Comment\" \"one\"\r\n!\"Comment\" \"two\"\r\n"));
    EXPECT_EQ(r.definition.patternNames.rowCount(), 0);
    EXPECT_EQ(countContaining(sink, "Invalid input"), 2);
    // A single-record grid keeps its first record.
    EXPECT_EQ(sink.errors.back(), place(dir, 4) + "Definition file - Invalid input  [!\"Comment\" \"two\"]");
    ASSERT_EQ(r.definition.comment.rowCount(), 1);
    EXPECT_EQ(r.cell(r.definition.comment, 0, 0), "one");
}

TEST(PXDefIOReader, UnopenableDefinitionFile) {
    CaptureSink sink;
    TempDir dir;
    Reader r;
    EXPECT_FALSE(r.io.load(dir.file("none.QXD").c_str()));
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_EQ(sink.errors[0], "Unable to open:\n" + dir.file("none.QXD") + "\n");
}

}  // namespace
