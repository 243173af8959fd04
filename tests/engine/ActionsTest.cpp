// The action kinds: what each one's doIt does, its parameter resolution and "not found"
// lines, summaries, upgrades of the older kinds, and the phases.
#include "engine/PXActions.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/CaptureSink.h"

namespace {

class ActionsTest : public EngineTest {};

TEST_F(ActionsTest, SendToReplacesAVariableAndAppendToExtendsIt) {
    struct Row {
        const char* kind;
        const char* expected;
    } rows[] = {{"Send to", "y"}, {"Append to", "xy"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        PXEngine fresh;
        fresh.buildSchema();
        fresh.variables.setText(0, 0, "V");
        fresh.variables.setText(1, 0, "String");
        PXNode* n = textNode(fresh.nodeGroups.main, "a");
        for (const char* prefix : {"x", "y"}) {
            CAction* a = n->addAction(fresh.catalogue.make(row.kind));
            a->setParm(0, "V", nullptr);
            a->setParm(1, prefix, nullptr);
        }
        PXGrid d;
        d.setTitle(1045);
        d.addFld(XXFLD_ID::gen, 1286, 50);
        fresh.addGrid(d, false);
        ASSERT_EQ(fresh.prepare(false), 2);
        XXMEMBUF memory;
        memory.setData("a", 1);
        PXInst r;
        r.buffer = &memory;
        fresh.phase(1, r);
        fresh.scanStream(r);
        const XXFLD* v = fresh.findVariableValue("V");
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(v->getBytes()), size_t(v->getByteCount())), row.expected);
    }
}

TEST_F(ActionsTest, IncrementCounterBy) {
    struct Row {
        const char* by;
        int32_t after3;
    } rows[] = {{"", 3}, {"0", 3}, {"4", 12}, {"-2", -6}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.by);
        engine.counters.clearRows();
        main().clear();
        counter("c", 0);
        act(textNode(main(), "a"), "IncCounter", {"c", row.by});
        scan("a a a");
        EXPECT_EQ(counterValue("c"), row.after3);
    }
}

TEST_F(ActionsTest, CounterValuesThatAreNoNumberAreReportedAndIgnored) {
    CaptureSink sink;
    counter("c", 10);
    counter("d", 1);
    PXNode* s = textNode(main(), "a");
    CAction* inc = act(s, "IncCounter", {"c", "5"});
    inc->setParm(1, "five", nullptr);
    EXPECT_TRUE(sink.sawError("AToI failure: five"));
    CAction* set = act(s, "SetCounter", {"d", "9"});
    // Letters, a minus sign inside, and a number past 32 bits are no counter values.
    for (const char* bad : {"x1", "1-2", "-", "4294967301"}) {
        set->setParm(1, bad, nullptr);
        EXPECT_TRUE(sink.sawError(std::string("AToI failure: ") + bad)) << bad;
    }
    // Prepare resolves the node's actions again: what was reported is not reported twice.
    const size_t reports = sink.errors.size();
    scan("a");
    EXPECT_EQ(sink.errors.size(), reports);
    // Each kept the value it had.
    EXPECT_EQ(counterValue("c"), 15);
    EXPECT_EQ(counterValue("d"), 9);
}

TEST_F(ActionsTest, ABadCounterValueInAPhaseListIsReportedOncePerPrepare) {
    CaptureSink sink;
    counter("c", 0);
    actionRow(engine.preRunActions, "IncCounter", {"c", "seven"});
    textNode(main(), "a");
    ASSERT_EQ(prepare(), 2);
    int reports = 0;
    for (const auto& e : sink.errors) reports += e.find("AToI failure: seven") != std::string::npos;
    EXPECT_EQ(reports, 1);
}

TEST_F(ActionsTest, ActionGroupOncePerStream) {
    counter("c", 0);
    actionGroup("G", {{"IncCounter", {"c"}}});
    struct Row {
        const char* once;
        int32_t afterTwoStreams;
    } rows[] = {{"1", 2}, {"0", 6}, {"", 6}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.once);
        main().clear();
        act(textNode(main(), "a"), "ExeActionGroup", {"G", row.once});
        ASSERT_EQ(prepare(), 2);
        scan("a a a", true);
        scan("a a a", true);
        EXPECT_EQ(counterValue("c"), row.afterTwoStreams);
    }
}

TEST_F(ActionsTest, ReturnInAnActionGroupEndsTheWalkOfTheNodesGraph) {
    actionGroup("G", {{"Return", {}}});
    counter("a", 0);
    counter("b", 0);
    PXNode* s = textNode(main(), "a");
    PXNode* b = textNode(main(), "b");
    link(s, b);
    act(s, "IncCounter", {"a"});
    act(s, "ExeActionGroup", {"G"});
    act(b, "IncCounter", {"b"});
    scan("ab ab");
    EXPECT_EQ(counterValue("a"), 1);
    EXPECT_EQ(counterValue("b"), 0);
}

TEST_F(ActionsTest, HaltTheRun) {
    PXNode* s = textNode(main(), "a");
    emit(s);
    act(s, "Halt", {"1"});
    EXPECT_EQ(scan("a a"), "a");
    EXPECT_EQ(run.getHalt(), 2);
}

TEST_F(ActionsTest, SendToWithoutSourceOrPrefixWritesTheNodesText) {
    emit(textNode(main(), "ab"));
    actionRow(engine.preRunActions, "Send to", {"", "", ""});
    actionRow(engine.postStreamActions, "Send to", {"", "", ""});
    // The phase lists have no node: they write nothing.
    EXPECT_EQ(scan("xxabyy"), "ab");
}

TEST_F(ActionsTest, ANamedTargetOrSourceThatIsNotFoundWritesNothing) {
    CaptureSink quiet;
    PXNode* n = textNode(main(), "ab");
    act(n, "Send to", {"", "<", "Bogus"});
    act(n, "Append to", {"Nowhere", "", ""});
    act(n, "Append to", {"Nowhere", "<", "ab"});
    EXPECT_EQ(scan("xxabyy"), "");
    EXPECT_EQ(dests.out(0), "");
}

TEST_F(ActionsTest, PrefixAndSourceArriveAsOneValue) {
    variable("V", "val");
    struct Row {
        const char* kind;
        std::vector<bool> resets;
    } rows[] = {{"Send to", {true, false}}, {"Append to", {false, false}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        main().clear();
        dests.dests.clear();
        act(textNode(main(), "a"), row.kind, {"out1", "<", "V"});
        scan("a");
        EXPECT_EQ(dests.out(1), "<val");
        EXPECT_EQ(dests.dests[1].resets, row.resets);
    }
}

TEST_F(ActionsTest, EmptyTargetIsTheDefaultDestinationNotTheTrace) {
    emit(textNode(main(), "a"));
    scan("a");
    EXPECT_EQ(dests.out(), "a");
    EXPECT_EQ(dests.out(0), "");
}

TEST_F(ActionsTest, StringSetTargetTakesTheMatchedItemsDestination) {
    variable("V", "");
    stringSet("Animals", {{"cat", "", "out1"}, {"dog", "DOG", "V"}, {"cow", "", ""}});
    PXNode* s = refNode(main(), "Animals");
    act(s, "Send to", {"Animals", "", ""});
    act(s, "Append to", {"out2", "", "Animals"});
    actionRow(engine.preRunActions, "Send to", {"Animals", "pre", ""});
    scan("cat dog cow");
    EXPECT_EQ(dests.out(1), "cat");
    EXPECT_EQ(value("V"), "dog");
    // Nothing matched yet in the pre-run list, and "cow" has no target: the default.
    EXPECT_EQ(dests.out(), "precow");
    // As a source: the value text, or the item's text when it has none.
    EXPECT_EQ(dests.out(2), "catDOGcow");
}

TEST_F(ActionsTest, SourcesOfEveryKind) {
    variable("V", "var");
    counter("C", 42);
    auto& name = sources.add(std::make_unique<StreamName>());
    name.setFromPath("/data/in/report.txt");
    PXNode* s = textNode(main(), "a", "first");
    PXNode* b = textNode(main(), "b");
    link(s, b);
    for (const char* source : {"first", "V", "StreamName", "C"}) act(b, "Append to", {"out1", "", source});
    scan("ab");
    EXPECT_EQ(dests.out(1), "avarreport.txt42");
}

TEST_F(ActionsTest, WideKindsWriteSixteenBitText) {
    variable("V", "hi");
    act(textNode(main(), "a"), "Send to (wide)", {"out1", "<", "V"});
    scan("a");
    EXPECT_EQ(dests.out(1), std::string("<\0h\0i\0", 6));
}

TEST_F(ActionsTest, UnresolvedNamesAreListedUnlessQuiet) {
    PXNode* s = textNode(main(), "a");
    act(s, "Send to", {"nowhere", "", "nothing"});
    act(s, "Clear variable", {""});
    act(s, "Start node =", {"ghost"});
    act(s, "Run", {"nogroup", "nosource"});
    act(s, "Output table row", {"T"});
    act(s, "IncCounter", {"nocounter"});
    actionRow(engine.preRunActions, "Jump");
    actionGroup("G", {{"Fly", {}}});
    EXPECT_EQ(prepare(true), 2);
    EXPECT_EQ(engine.errorCount(), 0);
    // Such names do not make prepare fail.
    EXPECT_EQ(prepare(false), 2);
    ASSERT_EQ(engine.errorCount(), 1);
    const std::string text = engine.errorText(0);
    for (const char* line : {"Send to:  target nowhere not found\n", "Send to:  Node/Variable/Counter nothing not found\n",
                             "Clear variable:  variable <empty> not found\n", "Start node =:  node ghost not found\n",
                             "Run:  node group nogroup not found\n", "Run:  variable/node nosource not found\n",
                             "Output table row:  table T not found\n", "Increment counter:  counter nocounter not found\n",
                             "Invalid input (Action: Jump)\n", "Invalid input (Action: Fly)\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in " << text;
}

TEST_F(ActionsTest, Summaries) {
    struct Row {
        const char* kind;
        std::vector<std::string> parms;
        std::u16string summary;
    } rows[] = {
        {"Send to", {"out1", "pre", "V"}, u"Send to out1 ( \"pre\", V )"},
        {"Append to", {"out1"}, u"Append to out1"},
        {"Clear variable", {"V"}, u"Clear V"},
        {"Halt", {"1"}, u"Halt run"},
        {"Halt", {"0"}, u"Halt stream"},
        {"Execute action group", {"G", "1"}, u"Run: G (once per input stream)"},
        {"Execute action group", {"G"}, u"Run: G"},
        {"Run", {"grp", "V"}, u"grp ( V ) "},
        {"IncCounter", {"c", "2"}, u"Increment counter c ( 2 )"},
        {"Execute UDF", {"3", "one", "two"}, u"Execute UDF 3 ( one, two )"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        std::unique_ptr<CAction> a = engine.catalogue.make(row.kind);
        ASSERT_NE(a, nullptr);
        for (size_t i = 0; i < row.parms.size(); ++i) a->setParm(int32_t(i), row.parms[i].c_str(), nullptr);
        EXPECT_EQ(std::u16string(a->summaryText().text()), row.summary);
    }
}

TEST_F(ActionsTest, OlderKindsAreRewrittenWhenCompiled) {
    variable("V", "vv");
    counter("C", 7);
    struct Row {
        const char* kind;
        std::vector<std::string> parms;
        const char* newKind;
        std::string out1;
    } rows[] = {
        {"Outputstring", {"out1", "hello", ""}, "Send to", "hello"},
        {"Output variable", {"out1", "V"}, "Send to", "vv"},
        {"Outputcounter", {"out1", "C"}, "Send to", "7"},
        {"Outputcounter", {"out1", "C", "1"}, "Send to (wide)", std::string("7\0", 2)},
        {"Output wide string", {"out1", "w"}, "Send to (wide)", std::string("w\0", 2)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        engine.preRunActions.clearRows();
        dests.dests.clear();
        actionRow(engine.preRunActions, row.kind, row.parms);
        scan("");
        EXPECT_STREQ(engine.preRunActions.getCell(0, 0)->getText(), row.newKind);
        EXPECT_TRUE(engine.preRunActions.modified());
        EXPECT_EQ(dests.out(1), row.out1);
    }
}

TEST_F(ActionsTest, ScanBecomesRunWithItsParametersSwapped) {
    actionRow(engine.preRunActions, "Scan", {"V", "grp"});
    engine.nodeGroups.addGroup("grp");
    variable("V", "");
    prepare();
    ASSERT_EQ(engine.preRun.count(), 1);
    EXPECT_EQ(engine.preRun.at(0)->kind, PXACT::Run);
    EXPECT_STREQ(engine.preRunActions.getCell(1, 0)->getText(), "grp");
    EXPECT_STREQ(engine.preRunActions.getCell(2, 0)->getText(), "V");
}

struct UdfCall {
    int32_t index;
    std::string text1, text2, tag;
    int32_t node;
    int64_t start;
    int32_t length;
    IXXINBUF* buffer;
    void* user;
};
std::vector<UdfCall> udfCalls;

void udf(int32_t index, const char* t1, const char* t2, int32_t node, const char* tag, int64_t start, int32_t length,
         IXXINBUF* buffer, void* user) {
    udfCalls.push_back({index, t1, t2, tag, node, start, length, buffer, user});
}

TEST_F(ActionsTest, ExecuteUdfCallsTheHostWithNineArguments) {
    int userData = 0;
    engine.setUp(&userData, &sources, &dests);
    engine.setCallback(udf);
    udfCalls.clear();
    textNode(main(), "zz");
    act(textNode(main(), "abc", "T"), "ExeUDF", {"7", "one", "two"});
    main().setNode1(static_cast<PXNode*>(main().nodeAt(1)));
    actionRow(engine.postRunActions, "ExeUDF", {"8"});
    scan("xxabc");
    ASSERT_EQ(udfCalls.size(), 2u);
    const UdfCall& c = udfCalls[0];
    EXPECT_EQ(c.index, 7);
    EXPECT_EQ(c.text1, "one");
    EXPECT_EQ(c.text2, "two");
    EXPECT_EQ(c.node, 2);
    EXPECT_EQ(c.tag, "T");
    EXPECT_EQ(c.start, 2);
    EXPECT_EQ(c.length, 3);
    EXPECT_NE(c.buffer, nullptr);
    EXPECT_EQ(c.user, &userData);
    // Without a node.
    EXPECT_EQ(udfCalls[1].index, 8);
    EXPECT_EQ(udfCalls[1].node, -1);
    EXPECT_EQ(udfCalls[1].start, 0);
    EXPECT_EQ(udfCalls[1].length, 0);
}

TEST_F(ActionsTest, DebugCallsFollowEveryNodeAndPhaseList) {
    engine.setCallback(udf);
    udfCalls.clear();
    run.debug = true;
    textNode(main(), "a", "A");
    scan("aa");
    // Pre-run, pre-stream, two nodes, post-stream, post-run.
    ASSERT_EQ(udfCalls.size(), 6u);
    EXPECT_EQ(udfCalls[2].index, 99);
    EXPECT_EQ(udfCalls[2].text1, "Main");
    EXPECT_EQ(udfCalls[2].node, 1);
    EXPECT_EQ(udfCalls[0].node, -1);
    EXPECT_EQ(udfCalls[0].text1, "");
}

TEST_F(ActionsTest, SqlAndTableRowsGoToTheDestinations) {
    variable("Q", "DELETE FROM t");
    tables.setText(0, 0, "orders");
    tables.setText(0, 1, "lines");
    PXNode* s = textNode(main(), "a");
    act(s, "Execute SQL", {"Q"});
    act(s, "Output table row", {"lines"});
    scan("a");
    // The end of the stream comes last, so that the rows written in it can be committed.
    EXPECT_EQ(dests.calls, (std::vector<std::string>{"sql DELETE FROM t", "event 4 1", "event 5 -1"}));

    // A wide variable's statement goes out as narrow text, not cut at its first zero byte.
    dests.calls.clear();
    variable("W", "", "Wide string")->setValue(u"DELETE FROM w");
    act(s, "Execute SQL", {"W"});
    scan("a");
    EXPECT_EQ(dests.calls, (std::vector<std::string>{"sql DELETE FROM t", "event 4 1", "sql DELETE FROM w",
                                                     "event 5 -1"}));
}

TEST_F(ActionsTest, ClearVariable) {
    variable("V", "full");
    act(textNode(main(), "a"), "Clear variable", {"V"});
    scan("a");
    EXPECT_EQ(value("V"), "");
}

TEST_F(ActionsTest, StartNodeEqualsMovesTheSearch) {
    PXNode* a = textNode(main(), "a", "A");
    PXNode* b = textNode(main(), "b", "B");
    emit(a);
    emit(b);
    act(a, "Start node =", {"B"});
    act(b, "Start node =", {"A"});
    EXPECT_EQ(scan("bab ab"), "abab");
}

TEST_F(ActionsTest, RunScansAVariablesCurrentValue) {
    PXGraph* g = engine.nodeGroups.addGroup("grp");
    emit(textNode(*g, "b"));
    variable("V", "");
    PXNode* s = textNode(main(), "[");
    PXNode* w = textNode(main(), "xbxb");
    link(s, w);
    act(w, "Send to", {"V", "", ""});
    act(w, "Run", {"grp", "V"});
    EXPECT_EQ(scan("[xbxb]"), "bb");
}

TEST_F(ActionsTest, RunOverAVariableThatItsGroupChangesScansTheValueItStartedWith) {
    PXGraph* g = engine.nodeGroups.addGroup("grp");
    PXNode* b = textNode(*g, "b");
    emit(b);
    // Each match makes the variable far longer, so its bytes move while they are scanned.
    act(b, "Append to", {"V", std::string(300, 'x').c_str(), ""});
    variable("V", std::string(200, 'b'));
    actionRow(engine.preRunActions, "Run", {"grp", "V"});
    EXPECT_EQ(scan(""), std::string(200, 'b'));
}

TEST_F(ActionsTest, RunScansWhatANodeMatched) {
    PXGraph* g = engine.nodeGroups.addGroup("grp");
    emit(textNode(*g, "b"));
    set8("L", {{'a', 'z'}});
    pattern("W", {{"L", 1, 20}});
    PXNode* open = textNode(main(), "<");
    PXNode* body = refNode(main(), "W", "body");
    PXNode* close = textNode(main(), ">");
    link(open, body);
    link(body, close);
    act(close, "Run", {"grp", "body"});
    act(close, "Append to", {"", "|", ""});
    // Only the b inside the brackets, each run limited to its node's match.
    EXPECT_EQ(scan("b<abcb>b<bb>b"), "bb|bb|");
}

}  // namespace
