#include "tests/library/TestDefinitions.h"

#include <fstream>

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string save(const std::string& dir, const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name + ".QXD";
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

}  // namespace

std::string writeWordSearch(const std::string& dir, const std::string& name, const WordSearch& s) {
    const std::string target = s.outputSpec.empty() ? "" : " \"Hits\"";
    std::string text = "Quillon Version 2.82\n";
    text += "!\"Logname\" " + quoted(s.log) + " 0\n";
    if (!s.outputSpec.empty()) text += "!\"Outputstreams\" \"Hits\" " + quoted(s.outputSpec) + " 0\n";
    if (!s.ownInput.empty()) text += "!\"Inputstreams\" 1 " + quoted(s.ownInput) + " 0 0\n";
    for (const auto& [scan, url] : s.urls) text += "!\"URLs\" " + std::string(scan ? "1 " : "0 ") + quoted(url) + "\n";
    text +=
        "!\"Set\" \"LineChar\"\n9 \"\"\n32 255\n"
        "!\"Pattern\" \"Rest\"\n\"LineChar\" 0 4000\n"
        "!\"Post-runActions\" \"Send to\" \"Total\" \"\" \"Hits\"\n"
        "!\"Variables\" \"Total\" \"String\" \"\" 0\n"
        "!\"Variables\" \"NewLine\" \"Byte\" [10] 0\n"
        "!\"Counters\" \"Hits\" 0\n"
        "Node 0 40 60 96 24 1\nLinkColors 0 2\nNodeAttribute 0 igc Start\n"
        "NodeString 0 " + quoted(s.word) + "\n";
    const std::string anyTarget = target.empty() ? std::string(" \"\"") : target;
    if (!s.label.empty())
        text += "NodeAction 0 Appendto" + anyTarget + " \"\" " + quoted(s.label) + "\nNodeAction 0 Appendto" + anyTarget +
                " \" \"\n";
    text +=
        "NodeAction 0 Appendto" + target + "\n"
        "Node 1 180 60 96 24\nLinkColors 1\nNodeAttribute 1\nNodePattern 1 \"Rest\"\n"
        "NodeAction 1 Appendto" + target + "\n"
        "NodeAction 1 Appendto" + anyTarget + " \"\" \"NewLine\"\n"
        "NodeAction 1 IncCounter \"Hits\"\n";
    return save(dir, name, text);
}

std::string writeBrokenDefinition(const std::string& dir, const std::string& name, const std::string& log) {
    return save(dir, name,
                "Quillon Version 2.82\n"
                "!\"Logname\" " + quoted(log) + " 0\n"
                "Node 0 40 60 96 24\nLinkColors 0\nNodeAttribute 0 Start\nNodePattern 0 \"Nowhere\"\n");
}
