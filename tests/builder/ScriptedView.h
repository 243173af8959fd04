// Test support of the builder's logic: a grid-dialog host that keeps the text of every cell
// control, and a window layer whose dialogs run scripts instead of waiting for the user.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "builder/IXXView.h"
#include "builder/XXCommands.h"
#include "builder/XXGRIDD.h"

// Stands for the dialog's cell controls: showValues copies the model's cells into them,
// type() and check() change them as a user would.
class FakeHost : public IXXGridHost {
public:
    XXGRIDD* model = nullptr;
    std::map<std::pair<int32_t, int32_t>, std::string> texts;
    std::map<std::pair<int32_t, int32_t>, bool> checks;
    std::vector<std::string> questions, infos, errors;
    bool answer = true;                 // to questions
    int32_t result = 99;                // 99: the dialog has not ended
    std::pair<int32_t, int32_t> focusAt{-1, -1};
    int32_t listPick = -1;              // what the list dialog answers
    std::vector<std::string> listShown;
    int32_t helpShown = 0;

    bool askYesNo(const std::string& text) override {
        questions.push_back(text);
        return answer;
    }
    void information(const std::string& text) override { infos.push_back(text); }
    void error(const std::string& text) override { errors.push_back(text); }
    std::string editedText(int32_t col, int32_t row) override { return texts[{col, row}]; }
    bool editedCheck(int32_t col, int32_t row) override { return checks[{col, row}]; }
    void showValues() override {
        for (int32_t r = 0; r < model->pageRows(); ++r)
            for (int32_t c = 0; c < model->columns(); ++c) {
                const XXCellView v = model->cell(c, r);
                texts[{c, r}] = v.text;
                checks[{c, r}] = v.checked;
            }
    }
    void focus(int32_t col, int32_t row) override { focusAt = {col, row}; }
    void end(int32_t r) override { result = r; }
    int32_t pickFromList(const std::string&, const std::vector<std::string>& entries, int32_t, int32_t) override {
        listShown = entries;
        return listPick;
    }
    void contextHelp(int32_t id) override { helpShown = id; }

    // Types `text` into a cell character by character (refused characters are dropped),
    // then leaves it.
    void type(int32_t col, int32_t row, const std::string& text) {
        model->focused(col, row);
        for (char ch : text)
            if (model->typed(col, row, static_cast<unsigned char>(ch))) {
                texts[{col, row}] += ch;
                model->writeBack(col, row);
            }
    }
    // Replaces the text of a cell and leaves it.
    void set(int32_t col, int32_t row, const std::string& text) {
        model->focused(col, row);
        texts[{col, row}] = text;
        model->writeBack(col, row);
    }
    std::string at(int32_t col, int32_t row) { return texts[{col, row}]; }
    void check(int32_t col, int32_t row, bool on) {
        model->focused(col, row);
        checks[{col, row}] = on;
        model->writeBack(col, row);
    }
};

// A dialog script: what the user does in one grid dialog. It ends the dialog through the
// model (OK, Cancel, Select) or returns with the dialog still open (an error then).
using DialogScript = std::function<void(XXGRIDD&, FakeHost&)>;

class ScriptedView : public IXXView {
public:
    std::deque<DialogScript> scripts;
    std::vector<std::string> questions, infos, errors, statuses, titles;
    std::vector<std::pair<std::string, std::string>> launched;
    std::vector<std::string> recentStore;
    std::string nextFile;               // what the file dialogs answer
    std::deque<bool> answers;           // to questions, in order; Yes when none is left
    int32_t dialogsRun = 0;
    std::vector<int32_t> levels;

    int32_t runGridDialog(XXGRID& grid, int32_t level) override {
        ++dialogsRun;
        levels.push_back(level);
        FakeHost host;
        XXGRIDD model(grid, level, host);
        host.model = &model;
        if (scripts.empty()) {
            // A dialog nobody scripted is cancelled, and every later question answered Yes,
            // so that a loop waiting for the user ends.
            outOfScripts = true;
            return -1;
        }
        if (!model.init().empty()) return -1;
        host.showValues();
        DialogScript script = std::move(scripts.front());
        scripts.pop_front();
        script(model, host);
        errors.insert(errors.end(), host.errors.begin(), host.errors.end());
        return host.result == 99 ? -1 : host.result;
    }
    bool askYesNo(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty() || outOfScripts) return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    bool outOfScripts = false;
    void information(const std::string& text, const std::string&) override { infos.push_back(text); }
    void error(const std::string& text) override { errors.push_back(text); }
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void setTitle(const std::string& text) override { titles.push_back(text); }
    void menusChanged() override {}
    void toggleQuickStart() override {}
    std::string chooseFile(bool, const std::string&, const std::string&) override { return nextFile; }
    bool launch(const std::string& program, const std::string& file) override {
        launched.emplace_back(program, file);
        return true;
    }
    void odbcAdministrator() override {}
    bool configureDataSource(const std::string&, const std::string&, const std::string&) override { return true; }
    void showHelp(int32_t) override {}
    std::vector<std::string> loadRecentFiles() override { return recentStore; }
    void storeRecentFiles(const std::vector<std::string>& paths) override { recentStore = paths; }
    void requestClose() override {}
};

// Scripts that end a dialog.
inline void pressOk(XXGRIDD& m, FakeHost&) { m.command(XXCMD::ok); }
inline DialogScript selectRecord(int32_t record) {
    return [record](XXGRIDD& m, FakeHost&) {
        m.scrollTo(record);
        m.command(XXCMD::select);
    };
}
