// Variables: type changes through the variable forms (with a scripted dialog), the
// variable checker's comparisons, file-variable loading, and the client sources.
#include <functional>
#include <regex>

#include "tests/engine/EngineFixture.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/TempDir.h"

namespace {

// A dialog service that answers with a script: edits the form and confirms, or cancels.
class ScriptedDialogs : public IPXFormRunner {
public:
    std::function<bool(XXGRID&)> answer = [](XXGRID&) { return true; };
    std::vector<std::string> titles;
    bool runForm(XXGRID& form) override {
        titles.emplace_back(form.title().text());
        return answer(form);
    }
};

class VariablesTest : public EngineTest {
protected:
    ScriptedDialogs dialogs;
    VariablesTest() { engine.varForms().setDialogs(&dialogs); }

    bool changeType(int32_t row, const char* type) { return engine.variables.setField(1, row, XXSTRING(type)); }
    std::string text(int32_t row) { return engine.variables.getCell(2, row)->getText(); }
};

TEST_F(VariablesTest, TypeChangesConvertTheRepresentationNotTheBytes) {
    variable("V", "AB");
    ASSERT_TRUE(changeType(0, "Byte"));
    EXPECT_EQ(text(0), "[65][66]");
    EXPECT_STREQ(engine.variables.getCell(1, 0)->getText(), "Byte");
    EXPECT_TRUE(engine.variables.modified());
    ASSERT_TRUE(changeType(0, "String"));
    EXPECT_EQ(text(0), "AB");
    ASSERT_TRUE(changeType(0, "Wide string"));
    EXPECT_EQ(engine.variables.getCell(2, 0)->getByteCount(), 4);
}

TEST_F(VariablesTest, RefusedTypeChangesChangeNothing) {
    CaptureSink sink;
    variable("V", "[7]", "Byte");
    engine.variables.getCell(2, 0)->setText(false);
    engine.variables.getCell(2, 0)->setValue("[7]");
    struct Row {
        const char* type;
        const char* message;
    } rows[] = {{"String", "Unable to convert variable to new type"}, {"Float", "VarForm not found: Float"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        sink.clear();
        EXPECT_FALSE(changeType(0, row.type));
        EXPECT_TRUE(sink.sawError(row.message));
        EXPECT_STREQ(engine.variables.getCell(1, 0)->getText(), "Byte");
        EXPECT_EQ(engine.variables.getCell(2, 0)->getBytes()[0], 7);
    }
}

TEST_F(VariablesTest, CancelledEditChangesNothing) {
    variable("V", "AB");
    dialogs.answer = [](XXGRID&) { return false; };
    EXPECT_FALSE(changeType(0, "Byte"));
    EXPECT_EQ(text(0), "AB");
    EXPECT_STREQ(engine.variables.getCell(1, 0)->getText(), "String");
}

TEST_F(VariablesTest, StringFormEditsValueAndIgnoreCase) {
    variable("Name", "old");
    dialogs.answer = [](XXGRID& form) {
        form.setText(0, 0, "new");
        form.setText(1, 0, "1");
        return true;
    };
    ASSERT_TRUE(changeType(0, "String"));
    EXPECT_EQ(dialogs.titles.back(), "Name");
    EXPECT_EQ(text(0), "new");
    EXPECT_EQ(engine.variables.getCell(3, 0)->getInt(), 1);
}

TEST_F(VariablesTest, ByteFormTakesTheFilledRows) {
    variable("V", "A");
    dialogs.answer = [](XXGRID& form) {
        EXPECT_STREQ(form.getCell(0, 0)->getText(), "65");
        form.setText(0, 0, "65");
        form.setText(0, 1, "");
        form.setText(0, 2, "66");
        return true;
    };
    ASSERT_TRUE(changeType(0, "Byte"));
    EXPECT_EQ(dialogs.titles.back(), "Byte");
    EXPECT_EQ(text(0), "[65][66]");
    EXPECT_EQ(engine.variables.getCell(2, 0)->getByteCount(), 2);
}

TEST_F(VariablesTest, Comparisons) {
    struct Row {
        const char* type;
        const char* ignoreCase;
        std::string value;
        bool wideValue;
        std::string input;
        bool matches;
    } rows[] = {
        {"String", "", "ab", false, "abc", true},
        {"String", "", "ab", false, "AB", false},
        {"String", "1", "ab", false, "ABx", true},
        // The older type name alone does not ignore case: the column decides.
        {"iString", "", "ab", false, "AB", false},
        {"wide string", "1", "ab", true, std::string("A\0B\0x", 5), true},
        {"Wide string", "1", "ab", true, std::string("A\0C\0", 4), false},
        {"Wide string", "", "ab", true, std::string("a\0b\0", 4), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.type) + " " + row.value + " vs " + testing::PrintToString(row.input));
        engine.variables.clearRows();
        variable("V", "", row.type, row.ignoreCase);
        XXFLD* v = engine.variables.getCell(2, 0);
        if (row.wideValue) {
            v->setWide(true);
            v->setValue(XXWSTRING(row.value.c_str()).text());
        } else {
            v->setValue(row.value.c_str());
        }
        const Variable var(*engine.variables.row(0));
        EXPECT_EQ(var.matches(reinterpret_cast<const unsigned char*>(row.input.data())), row.matches);
    }
}

TEST_F(VariablesTest, FileVariablesLoadOncePerPath) {
    CaptureSink sink;
    TempDir dir;
    const std::string a = dir.write("a.txt", "first");
    const std::string upper = dir.write("A.txt", "upper");
    auto load = [&](const std::string& path) {
        engine.fileVariables.setText(0, 0, "F");
        engine.fileVariables.setText(1, 0, path.c_str());
        ASSERT_EQ(prepare(), 2);
    };
    load(a);
    EXPECT_EQ(value("F"), "first");
    dir.write("a.txt", "second");
    load(a);
    EXPECT_EQ(value("F"), "first");   // the same path is not read again
    load(upper);
    EXPECT_EQ(value("F"), "upper");   // file names differ by case here
    load(dir.file("missing.txt"));
    EXPECT_EQ(value("F"), "");
    EXPECT_TRUE(sink.sawError("Unable to open " + dir.file("missing.txt")));
    dir.write("missing.txt", "late");
    load(dir.file("missing.txt"));
    EXPECT_EQ(value("F"), "late");    // a failed load is tried again
}

TEST_F(VariablesTest, ClientSources) {
    DateYYYYMMDD date;
    date.update();
    EXPECT_TRUE(std::regex_match(date.getText(), std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2}"))) << date.getText();
    EXPECT_EQ(date.name, "Date (YYYYMMDD)");
    Time24 time;
    time.update();
    EXPECT_TRUE(std::regex_match(time.getText(), std::regex("[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}"))) << time.getText();
    StreamName name;
    name.setFromPath("/data/in/report.txt");
    EXPECT_STREQ(name.getText(), "report.txt");
    CaptureSink sink;
    name.set(reinterpret_cast<const unsigned char*>("x"));
    EXPECT_TRUE(sink.sawError("PVF: StreamName::set ( BYTE * )"));
    ClientSource plain(1930);
    plain.setText("/full/path");
    EXPECT_EQ(plain.name, "FullStreamName");
    EXPECT_EQ(plain.getByteCount(), 10);
}

TEST_F(VariablesTest, InputBufferSource) {
    CaptureSink sink;
    InputBuffer source;
    EXPECT_EQ(source.getByteCount(), 0);
    EXPECT_EQ(source.getBytes()[0], 0);
    ASSERT_EQ(sink.logLines.size(), 1u);
    EXPECT_NE(sink.logLines[0].find("Input buffer closed"), std::string::npos);
    XXMEMBUF memory;
    memory.setData("held", 4);
    source.setBuffer(&memory);
    EXPECT_EQ(source.getByteCount(), 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(source.getBytes()), 4), "held");
}

}  // namespace
