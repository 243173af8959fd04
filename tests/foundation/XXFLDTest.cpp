// Field kinds: their fixed properties, the typed values they derive from text, the two forms
// of byte strings, copies, and the ownership of data fields.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "foundation/XXFLD.h"
#include "foundation/XXROW.h"
#include "tests/support/CaptureSink.h"

namespace {

std::vector<unsigned char> bytesOf(const XXFLD& f) {
    int32_t n = 0;
    const unsigned char* p = f.getBytes(n);
    return p ? std::vector<unsigned char>(p, p + n) : std::vector<unsigned char>();
}

std::u16string wideOf(const XXFLD& f) { return f.getWText(); }

struct KindRow {
    const char* name;
    XXFLDFACTORY gen;
    bool isText, canSwitch, isWide, visible;
    int32_t presentation;
};

TEST(XXFLD, KindsHaveTheirFixedProperties) {
    const KindRow rows[] = {
        {"STR", XXFLD_STR::gen, true, false, false, true, -1},
        {"WSTR", XXFLD_WSTR::gen, true, false, true, true, -1},
        {"ID", XXFLD_ID::gen, true, false, false, true, -1},
        {"FNAME", XXFLD_FNAME::gen, true, false, false, true, -1},
        {"INT", XXFLD_INT::gen, false, false, false, true, -1},
        {"BOOL", XXFLD_BOOL::gen, false, false, false, true, 2},
        {"BYTES", XXFLD_BYTES::gen, true, true, false, true, -1},
        {"DATA", XXFLD_DATA<std::string>::gen, false, false, false, false, -1},
    };
    for (const KindRow& r : rows) {
        SCOPED_TRACE(r.name);
        const std::unique_ptr<XXFLD> f = r.gen();
        ASSERT_TRUE(f);
        EXPECT_EQ(f->isText(), r.isText);
        EXPECT_EQ(f->canSwitch(), r.canSwitch);
        EXPECT_EQ(f->isWide(), r.isWide);
        EXPECT_EQ(f->visible(), r.visible);
        EXPECT_EQ(f->presentation(), r.presentation);
        EXPECT_TRUE(f->isEmpty());
        // A clone is the same kind with the same properties.
        const std::unique_ptr<XXFLD> c = f->clone();
        ASSERT_TRUE(c);
        EXPECT_EQ(typeid(*c), typeid(*f));
    }
}

TEST(XXFLD, TypedCharactersAreFilteredByKind) {
    struct Row {
        XXFLDFACTORY gen;
        int32_t ch;
        bool ok;
    } rows[] = {
        {XXFLD_STR::gen, '!', true},    {XXFLD_ID::gen, '!', false},    {XXFLD_ID::gen, '"', false},
        {XXFLD_ID::gen, '\'', false},   {XXFLD_ID::gen, 'a', true},     {XXFLD_FNAME::gen, '"', true},
        {XXFLD_INT::gen, '7', true},    {XXFLD_INT::gen, '-', true},    {XXFLD_INT::gen, 'a', false},
        {XXFLD_INT::gen, ',', false},   {XXFLD_INT::gen, 8, true},      {XXFLD_INT::gen, 0xE9, false},
        {XXFLD_BOOL::gen, 'x', true},   {XXFLD_BYTES::gen, '6', false}, {XXFLD_WSTR::gen, 0x20AC, true},
    };
    for (const Row& r : rows) {
        const std::unique_ptr<XXFLD> f = r.gen();
        SCOPED_TRACE(std::string(typeid(*f).name()) + " char " + std::to_string(r.ch));
        EXPECT_EQ(f->validChar(r.ch), r.ok);
    }
}

TEST(XXFLD, IntegerKeepsDigitsAndALeadingMinus) {
    const struct {
        const char* text;
        int32_t value;
        const char* kept;
    } rows[] = {
        {"-12", -12, "-12"},       {"1,024", 1024, "1024"},   {"", 0, ""},
        {"abc", 0, ""},            {"-", 0, ""},              {"12-3", 123, "123"},
        {" -5 ", -5, "-5"},        {"007", 7, "007"},         {"99999999999", INT32_MAX, "2147483647"},
        {"-99999999999", INT32_MIN, "-2147483648"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        XXFLD_INT f;
        f.setValue(r.text);
        EXPECT_EQ(f.getInt(), r.value);
        EXPECT_STREQ(f.getText(), r.kept);
        EXPECT_FALSE(f.differs(r.text)) << "the same text stores the same value";
    }
}

TEST(XXFLD, BooleanFollowsToBoolAndEmptiesAFalseText) {
    const struct {
        const char* text;
        int32_t value;
        const char* shown;
    } rows[] = {
        {"no", 1, "no"}, {"yes", 1, "yes"}, {"1", 1, "1"},   {"2", 1, "2"},   {"F", 0, "0"},
        {"f", 0, "0"},   {"FaLsE", 0, "0"}, {"0", 0, "0"},   {"", 0, "0"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        XXFLD_BOOL f;
        f.setValue(r.text);
        EXPECT_EQ(f.getInt(), r.value);
        EXPECT_STREQ(f.getText(), r.shown);
        EXPECT_EQ(f.isEmpty(), r.value == 0);
    }
    XXFLD_BOOL f;
    f.setValue("yes");
    EXPECT_FALSE(f.differs("1")) << "booleans compare by value";
    EXPECT_TRUE(f.differs("false"));
    f.clear();
    EXPECT_EQ(f.getInt(), 0) << "clearing resets the value, not only the text";
}

TEST(XXFLD, BothTextFormsDescribeTheSameValue) {
    XXFLD_STR s;
    s.setValue(u"caf\u00e9");
    EXPECT_TRUE(s.isWide());
    EXPECT_STREQ(s.getText(), "caf\xc3\xa9");
    s.setValue("plain");
    EXPECT_FALSE(s.isWide());
    EXPECT_EQ(wideOf(s), u"plain");
    s.setValue("");
    EXPECT_TRUE(s.isEmpty()) << "no stale wide text survives a narrow write";

    XXFLD_WSTR w;
    w.setValue("abc");
    EXPECT_TRUE(w.isWide()) << "the wide kind keeps the wide form as master";
    EXPECT_EQ(wideOf(w), u"abc");
    EXPECT_FALSE(w.setWide(false));
    w.appendText(XXSTRING("d"));
    EXPECT_EQ(wideOf(w), u"abcd") << "narrow text appended to a wide master is kept";
    EXPECT_STREQ(w.getText(), "abcd");
}

TEST(XXFLD, SetWideRefusesALossyConversion) {
    CaptureSink sink;
    XXFLD_STR s;
    s.setValue("ok");
    EXPECT_TRUE(s.setWide(true));
    EXPECT_TRUE(s.isWide());
    EXPECT_TRUE(s.setWide(false));
    EXPECT_STREQ(s.getText(), "ok");

    const char16_t lone[] = {u'a', char16_t(0xD800), 0};
    s.setValue(lone);
    EXPECT_FALSE(s.setWide(false)) << "a lone surrogate has no narrow form";
    EXPECT_TRUE(s.isWide());
    EXPECT_EQ(wideOf(s), std::u16string(lone));

    s.setValue("\xff");
    EXPECT_FALSE(s.setWide(true)) << "an invalid narrow byte would become U+FFFD";
    EXPECT_STREQ(s.getText(), "\xff");
    EXPECT_TRUE(sink.errors.empty());
}

TEST(XXFLD, BaseFieldReportsMissingKind) {
    CaptureSink sink;
    EXPECT_FALSE(XXFLD::gen());
    EXPECT_TRUE(sink.sawError("XXFLD::gen :\nPVF\n"));
    XXFLD f;
    EXPECT_FALSE(f.clone());
    EXPECT_TRUE(sink.sawError("XXFLD::clone :\nPVF\n"));
    EXPECT_EQ(f.getInt(), 0);
    EXPECT_TRUE(sink.sawError("XXFLD::typeError :\nfield type mismatch\n"));
    f.setValue("x");
    EXPECT_TRUE(sink.sawError("XXFLD::synchVal :\nPVF\n"));
    EXPECT_EQ(XXFLD_STR().getInt(), 0) << "text kinds have no integer either";
    EXPECT_EQ(sink.errors.size(), 5u);
}

TEST(XXFLD, BaseAppendBytesAppendsDecimalText) {
    XXFLD_INT f;
    const unsigned char bytes[] = {1, 2};
    f.appendBytes(bytes, 2);
    EXPECT_STREQ(f.getText(), "12");
    EXPECT_EQ(f.getInt(), 12);
}

TEST(XXFLD, ClonesKeepValuesAndDetailRows) {
    XXFLD_BYTES raw;
    const unsigned char file[] = {0, 1, 255};
    raw.setBytes(file, 3);

    XXFLD_INT number;
    number.setValue("42");
    auto sub = std::make_unique<XXROWLIST>();
    auto detail = std::make_unique<XXROW>();
    detail->add(XXFLD_STR::gen());
    detail->at(0)->setValue("inner");
    sub->add(std::move(detail));
    number.setSubRows(std::move(sub));

    const std::unique_ptr<XXFLD> a = raw.clone();
    EXPECT_EQ(bytesOf(*a), std::vector<unsigned char>(file, file + 3)) << "raw bytes are copied, not rebuilt";
    const std::unique_ptr<XXFLD> b = number.clone();
    EXPECT_EQ(b->getInt(), 42);
    ASSERT_TRUE(b->subRows());
    ASSERT_NE(b->subRows(), number.subRows()) << "detail rows are copied deeply";
    EXPECT_STREQ(b->subRows()->at(0)->at(0)->getText(), "inner");

    XXFLD_INT fromText;
    XXFLD_STR source;
    source.setValue("-7");
    fromText.assign(source);
    EXPECT_EQ(fromText.getInt(), -7) << "a value assigned from another kind is recomputed";
    EXPECT_FALSE(fromText.isText()) << "an integer stays a number";
}

// --- byte strings --------------------------------------------------------------------------

TEST(XXFLD_BYTES, TextFormHoldsTheTextsBytes) {
    XXFLD_BYTES f;
    f.setValue("AB");
    EXPECT_EQ(bytesOf(f), (std::vector<unsigned char>{'A', 'B'}));
    EXPECT_EQ(f.getBytes()[2], 0);
    EXPECT_EQ(f.getBytes()[3], 0);
    f.setValue(u"AB");
    EXPECT_EQ(bytesOf(f), (std::vector<unsigned char>{'A', 0, 'B', 0}));
    f.setValue("A");
    EXPECT_EQ(bytesOf(f), (std::vector<unsigned char>{'A'}));
    EXPECT_EQ(f.getBytes()[1], 0);
    EXPECT_EQ(f.getBytes()[2], 0) << "bytes of a longer earlier value are zero again";
}

TEST(XXFLD_BYTES, NumericFormReadsEveryRunOfDigits) {
    const struct {
        const char* text;
        std::vector<unsigned char> bytes;
        const char* report;   // the out-of-range value reported, or null
    } rows[] = {
        {"65, 66 300", {65, 66}, "(300) 65, 66 300"},
        {"[65][200]", {65, 200}, nullptr},
        {"0 255 256", {0, 255}, "(256) 0 255 256"},
        {"[0300]", {}, "(300) [0300]"},
        {"123456789012345678901234567890", {}, "(123456789012345678901234567890) "},
        {"x-5y", {5}, nullptr},
        {"", {}, nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        CaptureSink sink;
        XXFLD_BYTES f;
        ASSERT_TRUE(f.setText(false));
        f.setValue(r.text);
        EXPECT_EQ(bytesOf(f), r.bytes);
        EXPECT_STREQ(f.getText(), r.text) << "the text stays as written";
        if (r.report) {
            ASSERT_EQ(sink.errors.size(), 1u);
            EXPECT_TRUE(sink.sawError(std::string("XXFLD_BYTES::synchVal :\nByte value out of range:  ") + r.report));
        } else {
            EXPECT_TRUE(sink.errors.empty());
        }
    }
}

TEST(XXFLD_BYTES, ModeChangesKeepTheBytes) {
    CaptureSink sink;
    XXFLD_BYTES f;
    f.setValue("AB");
    ASSERT_TRUE(f.setMode(false, false));
    EXPECT_STREQ(f.getText(), "[65][66]");
    EXPECT_FALSE(f.isText());
    ASSERT_TRUE(f.setMode(false, true));
    EXPECT_STREQ(f.getText(), "AB");

    f.setValue(u"AB");
    ASSERT_TRUE(f.setMode(true, false));
    EXPECT_STREQ(f.getText(), "[65][0][66][0]") << "wide text becomes its bytes, none lost";
    EXPECT_EQ(bytesOf(f).size(), 4u);
    ASSERT_TRUE(f.setMode(true, true));
    EXPECT_TRUE(f.isWide());
    EXPECT_EQ(wideOf(f), u"AB");

    f.setValue(u"\u20ac");
    ASSERT_TRUE(f.setMode(false, false));
    EXPECT_STREQ(f.getText(), "[172][32]");
    ASSERT_TRUE(f.setMode(true, true));
    EXPECT_EQ(wideOf(f), u"\u20ac") << "units above 255 survive the numeric form";
    EXPECT_TRUE(sink.errors.empty());
}

TEST(XXFLD_BYTES, NumbersBecomeTextOnlyWhenPrintable) {
    const struct {
        const char* numbers;
        bool wide, ok;
    } rows[] = {
        {"[7]", false, false},       {"[65][66]", false, true},  {"[65][66]", true, true},
        {"[65]", true, false},       {"[7][0]", true, false},    {"[32][9]", false, true},
        {"[172][32]", true, true},   {"[0][216]", true, false},  {"", false, true},
        {"[200]", false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.numbers) + (r.wide ? " wide" : " narrow"));
        XXFLD_BYTES f;
        f.setText(false);
        f.setValue(r.numbers);
        const std::vector<unsigned char> before = bytesOf(f);
        EXPECT_EQ(f.setMode(r.wide, true), r.ok);
        EXPECT_EQ(bytesOf(f), before);
        EXPECT_EQ(f.isText(), r.ok);
        if (!r.ok) {
            EXPECT_STREQ(f.getText(), r.numbers) << "a refused switch changes nothing";
        }
    }
}

TEST(XXFLD_BYTES, RawBytesLeaveTheTextAlone) {
    XXFLD_BYTES f;
    const unsigned char data[] = {1, 0, 2};
    f.appendBytes(data, 3);
    f.appendBytes(data, 1);
    EXPECT_EQ(bytesOf(f), (std::vector<unsigned char>{1, 0, 2, 1}));
    EXPECT_TRUE(f.isEmpty());

    unsigned char* room = f.prepareBytes(5);
    ASSERT_TRUE(room);
    for (int i = 0; i < 5; ++i) room[i] = static_cast<unsigned char>('a' + i);
    ASSERT_TRUE(f.setByteCount(5));
    EXPECT_EQ(f.getByteCount(), 5);
    EXPECT_STREQ(reinterpret_cast<const char*>(f.getBytes()), "abcde");
    EXPECT_FALSE(f.setByteCount(f.capacity)) << "no room for the two zero bytes";
    EXPECT_FALSE(f.prepareBytes(-1));

    f.clear();
    EXPECT_EQ(f.getByteCount(), 0);
    f.appendText(XXSTRING("xy"));
    EXPECT_EQ(bytesOf(f), (std::vector<unsigned char>{'x', 'y'}));
}

// --- data fields ---------------------------------------------------------------------------

struct Tracked {
    explicit Tracked(int& alive) : alive_(alive) { ++alive_; }
    ~Tracked() { --alive_; }
    int& alive_;
};

class Registry : public IXXDATAREG {
public:
    void adopt(std::unique_ptr<XXFLD_DataOwner> field) override { fields.push_back(std::move(field)); }
    std::vector<std::unique_ptr<XXFLD_DataOwner>> fields;
};

TEST(XXFLD_DATA, OwnerDeletesItsObjectAndCopiesOnlyPoint) {
    int alive = 0;
    {
        XXFLD_DATA<Tracked> owner;
        owner.set(std::make_unique<Tracked>(alive));
        const std::unique_ptr<XXFLD> copy = owner.clone();
        auto* data = dynamic_cast<XXFLD_DATA<Tracked>*>(copy.get());
        ASSERT_TRUE(data);
        EXPECT_EQ(data->get(), owner.get());
        EXPECT_FALSE(data->owns);
    }
    EXPECT_EQ(alive, 0) << "deleted exactly once, by the owner";

    Tracked outside(alive);
    {
        XXFLD_DATA<Tracked> borrower;
        borrower.lend(&outside);
        EXPECT_FALSE(borrower.release()) << "a lent object is not handed out";
    }
    EXPECT_EQ(alive, 1);
}

TEST(XXFLD_DATA, RegisteredFieldHandsItsObjectToTheRegistry) {
    int alive = 0;
    Registry registry;
    Tracked* object = nullptr;
    {
        XXFLD_DATA<Tracked> field;
        field.set(std::make_unique<Tracked>(alive));
        object = field.get();
        field.registry = &registry;
    }
    ASSERT_EQ(registry.fields.size(), 1u);
    EXPECT_EQ(alive, 1) << "the object lives on in the registry";
    auto* heir = dynamic_cast<XXFLD_DATA<Tracked>*>(registry.fields[0].get());
    ASSERT_TRUE(heir);
    EXPECT_EQ(heir->get(), object);
    EXPECT_TRUE(heir->owns);
    EXPECT_FALSE(heir->registry) << "the heir does not hand itself over again";
    registry.fields.clear();
    EXPECT_EQ(alive, 0);
}

}  // namespace
