// Mail input end to end over real Maildir stores: definitions read from their files copy
// every message's text to an output per folder, and the texts are compared byte for byte
// with texts written by hand.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run/MailText.h"
#include "tests/run/DovecotServer.h"
#include "tests/run/MailFixture.h"
#include "tests/support/CaptureSink.h"

namespace {

namespace fs = std::filesystem;

// Messages with the encodings and header shapes mail clients send.
const char* const kPlain =
    "From: Alice Archer <alice@example.com>\n"
    "To: Bob Baker <bob@example.com>, carol@example.com\n"
    "Cc: Dan <dan@example.com>\n"
    "Subject: Quarterly report\n"
    "Date: Tue, 01 Dec 2026 09:15:00 +0100\n"
    "Content-Type: text/plain; charset=us-ascii\n"
    "\n"
    "Numbers are up.\n";
const char* const kQuotedLatin1 =
    "From: dave@example.com\n"
    "Subject: =?UTF-8?B?Q2Fmw6kgbWVudQ==?=\n"
    "Date: Wed, 02 Dec 2026 23:30:00 -0200\n"
    "MIME-Version: 1.0\n"
    "Content-Type: text/plain; charset=ISO-8859-1\n"
    "Content-Transfer-Encoding: quoted-printable\n"
    "\n"
    "Cr=E8me br=FBl=E9e, soft=\n"
    "break =3D fine\n";
const char* const kBase64Utf8NoDate =
    "From: \"Eve\" <eve@example.com>\n"
    "To: frank@example.com\n"
    "Subject: Encoded\n"
    "MIME-Version: 1.0\n"
    "Content-Type: text/plain; charset=UTF-8\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "R3LDvMOfZSBhdXMgS8O2bG4K\n";
const char* const kHtmlOnly =
    "From: Grace <grace@example.com>\n"
    "To: Heidi <heidi@example.com>\n"
    "Subject: Newsletter\n"
    "Date: Thu, 03 Dec 2026 10:00:00 +0000\n"
    "MIME-Version: 1.0\n"
    "Content-Type: multipart/mixed; boundary=\"b1\"\n"
    "\n"
    "--b1\n"
    "Content-Type: text/html; charset=UTF-8\n"
    "\n"
    "<html><head><style>p {color: red}</style></head><body><p>Fish &amp; chips &lt;today&gt; "
    "&#233;t&eacute;</p></body></html>\n"
    "--b1\n"
    "Content-Type: application/pdf; name=\"menu.pdf\"\n"
    "Content-Disposition: attachment; filename=\"menu.pdf\"\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "JVBERi0=\n"
    "--b1--\n";
const char* const kUnknownCharset =
    "From: Ivan <ivan@example.com>\n"
    "Subject: Strange\n"
    "Date: Fri, 04 Dec 2026 12:00:00 +0000\n"
    "Content-Type: text/plain; charset=x-no-such-charset\n"
    "\n"
    "raw bytes\n";
const char* const kAttachmentOnly =
    "From: Judy <judy@example.com>\n"
    "Subject: Scan\n"
    "Date: Sat, 05 Dec 2026 08:05:00 +0000\n"
    "MIME-Version: 1.0\n"
    "Content-Type: application/octet-stream\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "AAEC\n";

// The texts the folder walk scans, in delivery order, each followed by the definition's
// "----" line.
const char* const kExpectedInbox =
    "Subject: Quarterly report\n"
    "Date: 12/01/2026 08:15\n"
    "From: \"Alice Archer\"<alice@example.com> \n"
    "To: \"Bob Baker;carol@example.com;\"<bob@example.com;carol@example.com;> \n"
    "\n"
    "Numbers are up.\r\n"
    "----\n"
    "Subject: Caf\xC3\xA9 menu\n"
    "Date: 12/03/2026 01:30\n"
    "From: <dave@example.com>\n"
    "\n"
    "Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e, softbreak = fine\r\n"
    "----\n"
    "Subject: Encoded\n"
    "Date:   [PR_CLIENT_SUBMIT_TIME (PT_ERROR)]\n"
    "From: \"Eve\"<eve@example.com> \n"
    "To: \"frank@example.com;\"<frank@example.com;> \n"
    "\n"
    "Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln\n"
    "----\n"
    "Subject: Newsletter\n"
    "Date: 12/03/2026 10:00\n"
    "From: \"Grace\"<grace@example.com> \n"
    "To: \"Heidi;\"<heidi@example.com;> \n"
    "\n"
    "Fish & chips <today> \xC3\xA9t\xC3\xA9"   // the line end before a boundary is the boundary's
    "----\n"
    "*** Mail retrieval error:  Unable to retrieve message body ***\n"
    "Subject: Strange\n"
    "Date: 12/04/2026 12:00\n"
    "From: \"Ivan\"<ivan@example.com> \n"
    "\n"
    "raw bytes\r\n"
    "----\n"
    "*** Mail retrieval error:  Message body not found ***\n"
    "Subject: Scan\n"
    "Date: 12/05/2026 08:05\n"
    "From: \"Judy\"<judy@example.com> \n"
    "\n"
    "----\n";

struct MailWorkspace {
    Workspace ws;
    ScopedEnv config{"XDG_CONFIG_HOME", ws.path("config").c_str()};
    MaildirWriter store{ws.path("Mail")};

    MailWorkspace() { writeMailProfiles(ws.path("config"), "# test profiles\n[Work]\nArchive = maildir://" + store.root() + "\n"); }

    void deliverAll() { deliverAll(store, "INBOX"); }
    static void deliverAll(const MaildirWriter& to, const std::string& folder) {
        const char* const messages[] = {kPlain, kQuotedLatin1, kBase64Utf8NoDate, kHtmlOnly, kUnknownCharset,
                                        kAttachmentOnly};
        int n = 0;
        for (const char* m : messages) to.deliver(folder, "17650000" + std::to_string(10 + n++) + ".M1P1.test", m);
    }
};

// One server for the whole program, stopped when it ends.
DovecotServer& dovecot() {
    static DovecotServer server;
    return server;
}

TEST(MailRun, MessageTextsAreBuiltFromEveryKindOfMessage) {
    MailWorkspace mw;
    CaptureSink sink;
    mw.deliverAll();
    MailDefinition m(mw.ws.path("*.mail"));
    m.d.log("mail.log");
    m.folder("Archive", "INBOX");
    m.folder("Archive", "");   // no folder: nothing, and no error
    m.options(false, false, "Work");
    RunResult r = runDefinition(m.d.save(mw.ws.path("mail.QXD")));
    ASSERT_TRUE(r.loaded);
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(mw.ws.read("INBOX.mail"), kExpectedInbox);
    EXPECT_EQ(r.client->shown(),
              (std::vector<std::string>{"INBOX: Quarterly report", "INBOX: Caf\xC3\xA9 menu", "INBOX: Encoded",
                                        "INBOX: Newsletter", "INBOX: Strange", "INBOX: Scan",
                                        "Messages scanned:  6"}));
    EXPECT_NE(mw.ws.read("mail.log").find("\n6 messages scanned in Archive\\INBOX\n"), std::string::npos);
    EXPECT_EQ(r.client->runMessage(), "Messages scanned:  6") << "the folder's line is not a message";
    EXPECT_TRUE(sink.errors.empty()) << sink.errors.front();
    // The messages themselves are left as they were.
    EXPECT_EQ(std::distance(fs::directory_iterator(mw.store.dir("INBOX") + "/new"), fs::directory_iterator()), 6);
}

TEST(MailRun, NewMessagesOnlyTakesWhatNoEarlierRunSaw) {
    MailWorkspace mw;
    CaptureSink sink;
    mw.store.deliver("INBOX", "1765000001.M1P1.test", kPlain);
    mw.store.deliver("Work", "1765000002.M1P1.test", kUnknownCharset, true);
    MailDefinition m(mw.ws.path("*.mail"));
    m.folder("Archive", "INBOX");
    m.folder("Archive", "Work");
    m.options(true, false, "Work");
    const std::string def = m.d.save(mw.ws.path("new.QXD"));

    EXPECT_EQ(runDefinition(def).client->runMessage(), "Messages scanned:  2");
    EXPECT_EQ(runDefinition(def).client->runMessage(), "Messages scanned:  0");
    mw.store.deliver("Work", "1765000003.M1P1.test", kAttachmentOnly);
    RunResult third = runDefinition(def);
    EXPECT_EQ(third.client->shown(), (std::vector<std::string>{"Work: Scan", "Messages scanned:  1"}));
    EXPECT_EQ(mw.ws.read("Work.mail").substr(0, 53), "*** Mail retrieval error:  Message body not found ***");
    // The stamps are kept beside the messages, which are never rewritten.
    std::ifstream stamps(mw.store.dir("Work") + "/quillon-stamps");
    std::vector<std::string> names;
    for (std::string line; std::getline(stamps, line);) names.push_back(line.substr(0, line.find('\t')));
    EXPECT_EQ(names, (std::vector<std::string>{"1765000002.M1P1.test", "1765000003.M1P1.test"}));
    EXPECT_TRUE(fs::exists(mw.store.dir("Work") + "/cur/1765000002.M1P1.test:2,S"));
    EXPECT_TRUE(fs::exists(mw.store.dir("Work") + "/new/1765000003.M1P1.test"));
    EXPECT_TRUE(sink.errors.empty());
}

TEST(MailRun, StampsThatCannotBeSavedAreReportedAndTheMessagesStillScanned) {
    MailWorkspace mw;
    CaptureSink sink;
    mw.store.deliver("INBOX", "1765000001.M1P1.test", kPlain);
    mw.store.deliver("INBOX", "1765000002.M1P1.test", kHtmlOnly);
    // The state file's temporary name is taken by a folder: it cannot be written.
    const std::string blocked = mw.store.root() + "/quillon-stamps.tmp" + std::to_string(getpid());
    fs::create_directories(blocked);
    MailDefinition m(mw.ws.path("*.mail"));
    m.folder("Archive", "INBOX");
    m.options(true, false, "Work");
    const std::string def = m.d.save(mw.ws.path("blocked.QXD"));
    EXPECT_EQ(runDefinition(def).client->runMessage(), "Messages scanned:  2");
    EXPECT_EQ(sink.errors, std::vector<std::string>{"MAPIMgr::scanFolder :\nUnable to save changes: Unable to create " +
                                                    blocked + ": Is a directory"});
    EXPECT_FALSE(fs::exists(mw.store.root() + "/quillon-stamps"));
    // Nothing was kept, so the next run takes the messages again.
    fs::remove(blocked);
    EXPECT_EQ(runDefinition(def).client->runMessage(), "Messages scanned:  2");
    EXPECT_EQ(runDefinition(def).client->runMessage(), "Messages scanned:  0");
}

TEST(MailRun, TheDefaultInboxIsWalkedAndMarkedRead) {
    MailWorkspace mw;
    CaptureSink sink;
    ScopedEnv inbox("MAILDIR", mw.store.root().c_str());
    mw.store.deliver("INBOX", "1765000001.M1P1.test", kPlain);
    mw.store.deliver("INBOX", "1765000002.M2P1.test", kHtmlOnly, true);
    MailDefinition m(mw.ws.path("inbox.txt"));
    m.folder("Archive", "INBOX");   // ignored by the default inbox's walk
    m.options(true, true, "Work");
    const std::string def = m.d.save(mw.ws.path("simple.QXD"));
    RunResult r = runDefinition(def);
    EXPECT_EQ(r.client->shown(), (std::vector<std::string>{"Quarterly report", "Newsletter", "Messages scanned:  2"}));
    const std::string head =
        "Subject: Quarterly report\n"
        "Date: 2026/12/01 08:15\n"
        "From: \"Alice Archer\"<alice@example.com> \n"
        "To: \"Bob Baker;carol@example.com;Dan;\"<bob@example.com;carol@example.com;dan@example.com;> \n"
        "\n"
        "Numbers are up.\r\n----\nSubject: Newsletter\n";
    EXPECT_EQ(mw.ws.read("inbox.txt").substr(0, head.size()), head);
    EXPECT_TRUE(fs::exists(mw.store.dir("INBOX") + "/cur/1765000001.M1P1.test:2,S"));
    EXPECT_FALSE(fs::exists(mw.store.dir("INBOX") + "/new/1765000001.M1P1.test"));
    EXPECT_TRUE(fs::exists(mw.store.dir("INBOX") + "/cur/1765000002.M2P1.test:2,S"));
    // "New messages only" does not apply there: a second run reads them again.
    EXPECT_EQ(runDefinition(def).client->runMessage(), "Messages scanned:  2");
}

TEST(MailRun, FoldersThatCannotBeReadAreListedAndALogonFailureFallsBackToTheInbox) {
    MailWorkspace mw;
    CaptureSink sink;
    ScopedEnv inbox("MAILDIR", mw.ws.path("no-such-maildir").c_str());
    mw.store.deliver("Work", "1765000001.M1P1.test", kPlain);
    MailDefinition m(mw.ws.path("*.mail"));
    m.folder("Archive", "Nowhere");
    m.folder("Elsewhere", "INBOX");
    m.folder("Archive", "Work", false);   // not scanned
    m.options(false, false, "Work");
    RunResult r = runDefinition(m.d.save(mw.ws.path("bad.QXD")));
    EXPECT_EQ(sink.infos, std::vector<std::string>{"Unable to process Archive.Nowhere\nUnable to process Elsewhere.INBOX"});
    EXPECT_EQ(r.client->runMessage(), "Messages scanned:  0 - view log for messages");
    EXPECT_NE(mw.ws.read("Log.tmp").find("\nNo folder Nowhere in " + mw.store.root() + "\n"), std::string::npos);
    EXPECT_FALSE(mw.ws.exists("Work.mail"));

    MailDefinition unknown(mw.ws.path("*.mail"));
    unknown.d.log("fallback.log");
    unknown.folder("Archive", "Work");
    unknown.options(false, false, "Home");
    RunResult fallback = runDefinition(unknown.d.save(mw.ws.path("fallback.QXD")));
    EXPECT_EQ(fallback.client->runMessage(), "Using Simple MAPI - Messages scanned:  0 - view log for messages");
    const std::string log = mw.ws.read("fallback.log");
    EXPECT_NE(log.find("Logon failed: No profile Home in " + mw.ws.path("config") + "/Marrowby/QuillonMail.conf\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Not a Maildir folder (no cur/ or new/): " + mw.ws.path("no-such-maildir") + "\n"),
              std::string::npos)
        << log;
}

TEST(MailRun, AHaltOfTheRunStopsAfterTheCurrentMessageAndLeavesTheRestUnstamped) {
    MailWorkspace mw;
    CaptureSink sink;
    mw.store.deliver("INBOX", "1765000001.M1P1.test", kPlain);
    mw.store.deliver("INBOX", "1765000002.M1P1.test", kHtmlOnly);
    mw.store.deliver("INBOX", "1765000003.M1P1.test", kUnknownCharset);
    mw.store.deliver("Work", "1765000004.M1P1.test", kAttachmentOnly);
    MailDefinition m(mw.ws.path("*.mail"), "Fish");
    m.d.nodeAction(m.start, "Halt", {"1"});
    m.folder("Archive", "INBOX");
    m.folder("Archive", "Work");
    m.options(true, false, "Work");
    const std::string def = m.d.save(mw.ws.path("halt.QXD"));
    RunResult r = runDefinition(def);
    EXPECT_EQ(r.client->shown(),
              (std::vector<std::string>{"INBOX: Quarterly report", "INBOX: Newsletter", "Messages scanned:  2"}));
    EXPECT_EQ(TempDir::read(mw.store.dir("INBOX") + "/quillon-stamps").find("1765000003"), std::string::npos);
}

TEST(MailRun, TheDialogsListProfilesAndTopLevelFolders) {
    MailWorkspace mw;
    CaptureSink sink;
    writeMailProfiles(mw.ws.path("config"), "[Work]\nArchive=maildir://" + mw.store.root() + "\n[Home]\n");
    mw.store.folder("Work");
    mw.store.folder("Work.Nested");
    mw.store.folder("Alerts");
    TestClient client;
    client.init();
    MAPIMgr& manager = client.inputs.messages.manager();
    EXPECT_EQ(manager.listProfiles(), (std::vector<std::string>{"Work", "Home"}));
    std::string why;
    ASSERT_TRUE(manager.logon("", "", why)) << why;
    using Pair = std::pair<std::string, std::string>;
    EXPECT_EQ(manager.listFolders(), (std::vector<Pair>{{"Archive", "INBOX"}, {"Archive", "Alerts"}, {"Archive", "Work"}}));
    EXPECT_FALSE(manager.logon("Office", "", why));
    EXPECT_EQ(why, "No profile Office in " + mw.ws.path("config") + "/Marrowby/QuillonMail.conf");
}

TEST(MailText, PropertiesAreNamedByTheirPublishedNames) {
    const std::pair<uint32_t, const char*> rows[] = {
        {0x0037001E, "PR_SUBJECT (PT_STRING8)"},
        {0x0039000A, "PR_CLIENT_SUBMIT_TIME (PT_ERROR)"},
        {0x12340003, "UNKNOWN (1234) (PT_LONG)"},
        {0x80000040, "Named Property (8000) (PT_SYSTIME)"},
        {0x8001ABCD, "Named Property (8001) (UNKNOWN (abcd))"},
    };
    for (const auto& [tag, name] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(propertyTagName(tag), name);
    }
}

TEST(MailRun, FolderRowsOfOlderDefinitionsGainTheScanColumn) {
    MailWorkspace mw;
    CaptureSink sink;
    mw.store.deliver("Work", "1765000001.M1P1.test", kPlain);
    MailDefinition m(mw.ws.path("*.mail"));
    m.options(false, false, "Work");
    const std::string def = m.d.save(mw.ws.path("old.QXD"));
    // The file as a version before the scan column wrote it: store and folder only.
    std::ifstream in(def, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.replace(text.find("Version 2.82"), 12, "Version 2.5");
    // Stores named like the old flag's values are stores all the same.
    text += "!\"Folders\" \"Archive\" \"Work\"\r\n!\"Folders\" \"1\" \"Archive\" \"INBOX\"\r\n"
            "!\"Folders\" \"0\" \"Work\"\r\n!\"Folders\" \"false\" \"Work\"\r\n";
    std::ofstream(def, std::ios::binary) << text;
    const std::string root = "maildir://" + mw.store.root() + "\n";
    writeMailProfiles(mw.ws.path("config"), "[Work]\nArchive = " + root + "0 = " + root + "false = " + root);
    RunResult r = runDefinition(def);
    ASSERT_TRUE(r.loaded);
    XXGRID& rows = r.client->inputs.messages.folders;
    ASSERT_EQ(rows.rowCount(), 4);
    const std::vector<std::vector<std::string>> expected = {
        {"1", "Archive", "Work"}, {"1", "Archive", "INBOX"}, {"1", "0", "Work"}, {"1", "false", "Work"}};
    for (int32_t i = 0; i < 4; ++i)
        for (int32_t c = 0; c < 3; ++c)
            EXPECT_EQ(std::string(rows.row(i)->field(c)->getText()), expected[size_t(i)][size_t(c)]) << i << "," << c;
    EXPECT_EQ(r.client->runMessage(), "Messages scanned:  3");
}

TEST(MailImap, TheSameTextsComeFromAnImapFolderAndItsStampsAreSeenByTheNextRun) {
    MailWorkspace mw;
    CaptureSink sink;
    DovecotServer& server = dovecot();
    MaildirWriter account(server.maildir());
    MailWorkspace::deliverAll(account, "Texts");
    server.giveMailToUser();
    writeMailProfiles(mw.ws.path("config"), "[Work]\nOffice=" + server.url() + "\n");

    MailDefinition m(mw.ws.path("*.mail"));
    m.folder("Office", "Texts");
    m.options(true, false, "Work", DovecotServer::password);
    const std::string def = m.d.save(mw.ws.path("imap.QXD"));
    RunResult first = runDefinition(def);
    EXPECT_EQ(first.client->runMessage(), "Messages scanned:  6") << mw.ws.read("Log.tmp");
    EXPECT_EQ(mw.ws.read("Texts.mail"), kExpectedInbox);
    EXPECT_EQ(runDefinition(def).client->runMessage(), "Messages scanned:  0");
    account.deliver("Texts", "1765009999.M1P1.test", kPlain);
    server.giveMailToUser();
    RunResult third = runDefinition(def);
    EXPECT_EQ(third.client->shown(), (std::vector<std::string>{"Texts: Quarterly report", "Messages scanned:  1"}));
    EXPECT_TRUE(sink.errors.empty()) << sink.errors.front();
}

TEST(MailImap, AWrongPasswordAndAMissingFolderAreReported) {
    MailWorkspace mw;
    CaptureSink sink;
    DovecotServer& server = dovecot();
    writeMailProfiles(mw.ws.path("config"), "[Work]\nOffice=" + server.url() + "\n");
    MailDefinition m(mw.ws.path("*.mail"));
    m.folder("Office", "INBOX");
    m.options(false, false, "Work", "wrong");
    RunResult denied = runDefinition(m.d.save(mw.ws.path("denied.QXD")));
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_EQ(sink.errors[0].rfind("MAPIMgr::scanFolder :\nLogon failed\n", 0), 0u) << sink.errors[0];
    EXPECT_NE(sink.errors[0].find(" [" + server.url() + "]"), std::string::npos) << sink.errors[0];
    EXPECT_EQ(sink.infos, std::vector<std::string>{"Unable to process Office.INBOX"});

    sink.clear();
    MailDefinition missing(mw.ws.path("*.mail"));
    missing.folder("Office", "Nowhere");
    missing.options(false, false, "Work", DovecotServer::password);
    RunResult r = runDefinition(missing.d.save(mw.ws.path("missing.QXD")));
    EXPECT_TRUE(sink.errors.empty()) << sink.errors.front();
    EXPECT_EQ(sink.infos, std::vector<std::string>{"Unable to process Office.Nowhere"});
    EXPECT_EQ(r.client->runMessage(), "Messages scanned:  0 - view log for messages");
}

}  // namespace
