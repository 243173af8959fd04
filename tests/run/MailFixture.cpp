#include "tests/run/MailFixture.h"

#include <filesystem>
#include <fstream>

#include "run/MailScanner.h"

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    had_ = old != nullptr;
    if (old) old_ = old;
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (had_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

MaildirWriter::MaildirWriter(std::string root) : root_(std::move(root)) { folder("INBOX"); }

std::string MaildirWriter::dir(const std::string& folder) const {
    return folder == "INBOX" ? root_ : root_ + "/." + folder;
}

void MaildirWriter::folder(const std::string& folder) const {
    for (const char* sub : {"cur", "new", "tmp"}) std::filesystem::create_directories(dir(folder) + "/" + sub);
}

std::string MaildirWriter::deliver(const std::string& folder, const std::string& unique, const std::string& message,
                                   bool seen) const {
    this->folder(folder);
    std::string crlf;
    for (char c : message) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    const std::string path = dir(folder) + (seen ? "/cur/" + unique + ":2,S" : "/new/" + unique);
    std::ofstream(path, std::ios::binary) << crlf;
    return path;
}

void writeMailProfiles(const std::string& configHome, const std::string& text) {
    std::filesystem::create_directories(configHome + "/Marrowby");
    std::ofstream(configHome + "/Marrowby/QuillonMail.conf") << text;
}

MailDefinition::MailDefinition(const std::string& outputSpec, const char* startText) {
    d.lineVocabulary();
    d.output("Texts", outputSpec.c_str());
    start = d.textNode(startText);
    d.phaseAction(d.engine().preStreamActions, "Append to", {"Texts", "", "InputBuffer"});
    d.phaseAction(d.engine().postStreamActions, "Append to", {"Texts", "----"});
    d.phaseAction(d.engine().postStreamActions, "Append to", {"Texts", "", "NL"});
}

void MailDefinition::folder(const char* store, const char* folder, bool scan) {
    XXGRID& rows = d.writer.inputs.messages.folders;
    const int32_t row = rows.rowCount();
    rows.setText(FolderGrid::scanCol, row, scan ? "1" : "0");
    rows.setText(FolderGrid::storeCol, row, store);
    rows.setText(FolderGrid::folderCol, row, folder);
}

void MailDefinition::options(bool newOnly, bool simple, const char* profile, const char* password) {
    XXGRID& grid = d.writer.inputs.messages.options;
    grid.setText(MailScanner::newOnlyCol, 0, newOnly ? "1" : "0");
    grid.setText(MailScanner::simpleCol, 0, simple ? "1" : "0");
    grid.setText(MailScanner::profileCol, 0, profile);
    grid.setText(MailScanner::passwordCol, 0, password);
}
