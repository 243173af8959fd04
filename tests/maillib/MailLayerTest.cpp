// The messaging layer's own parts: the profile file, the text of HTML-only messages and
// the state file of Maildir stamps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "maillib/HtmlText.h"
#include "maillib/MailProfiles.h"
#include "maillib/MaildirFolder.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

TEST(MailProfiles, StoresAreReadPerProfileAndBadLinesNameTheirPlace) {
    TempDir dir;
    const std::string good = dir.write("good.conf",
                                       "; comment\n[Work]\n  Archive = maildir:///srv/mail \n\n# more\n"
                                       "[Home]\nOffice=imap://me@localhost:1143\nOld=maildir:///a=b\n");
    std::vector<MailProfile> profiles;
    std::string error;
    ASSERT_TRUE(readMailProfiles(good, profiles, error)) << error;
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(profiles[0].name, "Work");
    ASSERT_EQ(profiles[0].stores.size(), 1u);
    EXPECT_EQ(profiles[0].stores[0].name, "Archive");
    EXPECT_EQ(profiles[0].stores[0].url, "maildir:///srv/mail");
    ASSERT_EQ(profiles[1].stores.size(), 2u);
    EXPECT_EQ(profiles[1].stores[1].url, "maildir:///a=b");

    struct Bad {
        const char* text;
        const char* error;
    };
    const Bad bad[] = {
        {"Archive=maildir:///x\n", ":1: a store line comes before the first [Profile]: Archive=maildir:///x"},
        {"[Work]\n\nno equals sign\n", ":3: expected a store as Name=URL: no equals sign"},
        {"[Work\n", ":1: a profile name must be written [Name]: [Work"},
        {"[Work]\n=maildir:///x\n", ":2: expected a store as Name=URL: =maildir:///x"},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.text);
        const std::string path = dir.write("bad.conf", b.text);
        EXPECT_FALSE(readMailProfiles(path, profiles, error));
        EXPECT_EQ(error, path + b.error);
    }
    EXPECT_FALSE(readMailProfiles(dir.file("missing.conf"), profiles, error));
    EXPECT_EQ(error, "Unable to open " + dir.file("missing.conf") + ": No such file or directory");
}

TEST(HtmlText, TagsGoAndReferencesAreDecoded) {
    struct Row {
        const char* html;
        const char* text;
    };
    const Row rows[] = {
        {"<p>a &amp; b</p>", "a & b"},
        {"x<br/>y", "xy"},
        {"<!-- <p>hidden</p> -->shown", "shown"},
        {"<SCRIPT type=\"x\">if (a<b) {}</script>after<style>p{}</STYLE>", "after"},
        {"<scripts>kept</scripts>", "kept"},
        {"&#233;&#xE9;&eacute;&#X20AC;", "\xC3\xA9\xC3\xA9\xC3\xA9\xE2\x82\xAC"},
        {"&unknown; &amp &#xZZ; &#;", "&unknown; &amp &#xZZ; &#;"},
        {"&#1114112;&#0;", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"text <unterminated", "text "},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.html);
        EXPECT_EQ(htmlToText(r.html), r.text);
    }
}

TEST(MaildirStamps, TheStateFileKeepsOnlyPresentMessagesAndIsReplacedWhole) {
    TempDir dir;
    for (const char* sub : {"cur", "new", "tmp"}) fs::create_directories(dir.path() / sub);
    dir.write("new/200.M1.x", "Subject: b\r\n\r\n");
    dir.write("cur/100.M1.x:2,S", "Subject: a\r\n\r\n");
    // A message stamped by an earlier run that has since been deleted.
    dir.write("quillon-stamps", "050.M1.x\t5\n100.M1.x\t7\n");
    {
        MaildirFolder folder(dir.path().string(), false);
        ASSERT_TRUE(folder.opened()) << folder.lastError();
        ASSERT_TRUE(folder.next());
        EXPECT_TRUE(folder.stamped()) << "100 was seen before";
        ASSERT_TRUE(folder.next());
        EXPECT_FALSE(folder.stamped());
        EXPECT_EQ(folder.setStamp(9), kMailOk);
        EXPECT_FALSE(folder.next());
        EXPECT_EQ(folder.saveChanges(), kMailOk);
    }
    EXPECT_EQ(TempDir::read(dir.file("quillon-stamps")), "100.M1.x\t7\n200.M1.x\t9\n");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"cur", "new", "quillon-stamps", "tmp"})) << "no temporary file left";

    dir.write("quillon-stamps", "100.M1.x\t7\ngarbage\n");
    MaildirFolder broken(dir.path().string(), false);
    EXPECT_FALSE(broken.opened());
    EXPECT_EQ(std::string(broken.lastError()),
              dir.file("quillon-stamps") + ":2: expected a message name, a tab and a time");
}

}  // namespace
