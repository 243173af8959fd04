// quilrun over mail: a definition whose only inputs are two folder rows of a Maildir named
// in a profile file writes one output file per folder and one database row per message.
#include <gtest/gtest.h>
#include <odbcinst.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/library/Process.h"
#include "tests/odbc/ODBCReader.h"
#include "tests/odbc/ODBCSandbox.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

void deliver(const std::string& folderDir, const std::string& unique, const std::string& subject) {
    for (const char* sub : {"cur", "new", "tmp"}) fs::create_directories(folderDir + "/" + sub);
    std::ofstream(folderDir + "/new/" + unique, std::ios::binary)
        << "From: Ops <ops@example.com>\r\nTo: team@example.com\r\nSubject: " << subject
        << "\r\nDate: Mon, 07 Dec 2026 06:00:00 +0000\r\n\r\nSee the dashboard.\r\n";
}

// Each message's subject goes to the folder's output and, with the folder's name, to a row
// of the table Messages.
const char* const kDefinition =
    "Quillon Version 2.82\r\n"
    "!\"Logname\" \"Mail.log\" 0\r\n"
    "!\"Database\" \"Quillon-Mail\" \"\" \"\"\r\n"
    "!\"Outputstreams\" \"Subjects\" \"*.subjects\" 0\r\n"
    "!\"Folders\" 1 \"Archive\" \"INBOX\"\r\n"
    "!\"Folders\" 1 \"Archive\" \"Alerts\"\r\n"
    "!\"Messageoptions\" 0 0 \"Ops\" \"\"\r\n"
    "!\"Set\" \"LineChar\"\r\n"
    "32 255\r\n"
    "!\"Pattern\" \"Rest\"\r\n"
    "\"LineChar\" 1 1000\r\n"
    "!\"Variables\" \"NewLine\" \"Byte\" [10] 0\r\n"
    "Node 0 40 60 96 24 1\r\n"
    "LinkColors 0 2\r\n"
    "NodeAttribute 0 Start\r\n"
    "NodeString 0 \"Subject: \"\r\n"
    "Node 1 180 60 96 24\r\n"
    "LinkColors 1\r\n"
    "NodeAttribute 1\r\n"
    "NodePattern 1 \"Rest\"\r\n"
    "NodeTag 1 \"Subject\"\r\n"
    "NodeAction 1 Sendto \"Messages.Folder\" \"\" \"Folder\"\r\n"
    "NodeAction 1 Sendto \"Messages.Subject\" \"\" \"Subject\"\r\n"
    "NodeAction 1 Outputtablerow \"Messages\"\r\n"
    "NodeAction 1 Appendto \"Subjects\" \"\" \"Subject\"\r\n"
    "NodeAction 1 Appendto \"Subjects\" \"\" \"NewLine\"\r\n";

TEST(MailQuilrun, TwoFolderRowsGiveAnOutputPerFolderAndRowsInSQLite) {
    ODBCSandbox& odbc = ODBCSandbox::instance();
    const std::string work = odbc.newFolder("mail");
    odbc.addSQLiteDSN("Quillon-Mail", work + "/mail.db");
    // The SQLite driver leaks a little at every connection; kept loaded, it can be named in
    // the suppression below.
    ASSERT_TRUE(SQLWritePrivateProfileString(ODBCSandbox::kSQLiteDriver, "DontDLClose", "1", "odbcinst.ini"));
    {
        ODBCReader db("Quillon-Mail");
        db.exec("CREATE TABLE Messages (Folder TEXT, Subject TEXT)");
    }
    deliver(work + "/Mail", "1765100001.M1P1.test", "Disk almost full");
    deliver(work + "/Mail", "1765100002.M1P1.test", "Backup done");
    deliver(work + "/Mail/.Alerts", "1765100003.M1P1.test", "Certificate expires");
    fs::create_directories(work + "/config/Marrowby");
    std::ofstream(work + "/config/Marrowby/QuillonMail.conf") << "[Ops]\nArchive=maildir://" << work << "/Mail\n";
    std::ofstream(work + "/Mailbox.QXD", std::ios::binary) << kDefinition;

    ProcessOptions options;
    options.dir = work;
    options.env["XDG_CONFIG_HOME"] = work + "/config";
    const std::string suppressions = work + "/lsan.supp";
    std::ofstream(suppressions) << "leak:libsqlite3odbc.so\n";
    options.env["LSAN_OPTIONS"] = "print_suppressions=0:suppressions=" + suppressions;
    options.env["ASAN_OPTIONS"] = "fast_unwind_on_malloc=0";
    const ProcessResult r = runProcess(binary("quilrun"), {"Mailbox"}, options);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "INBOX: Disk almost full\nINBOX: Backup done\nAlerts: Certificate expires\nMessages scanned:  3\n");
    EXPECT_EQ(TempDir::read(work + "/INBOX.subjects"), "Disk almost full\nBackup done\n");
    EXPECT_EQ(TempDir::read(work + "/Alerts.subjects"), "Certificate expires\n");

    ODBCReader db("Quillon-Mail");
    EXPECT_EQ(db.query("SELECT Folder, Subject FROM Messages ORDER BY rowid"),
              (ODBCReader::Rows{{"INBOX", "Disk almost full"}, {"INBOX", "Backup done"},
                                {"Alerts", "Certificate expires"}}));
    const std::string log = TempDir::read(work + "/Mail.log");
    EXPECT_NE(log.find("\n2 messages scanned in Archive\\INBOX\n1 message scanned in Archive\\Alerts\n"),
              std::string::npos)
        << log;
}

}  // namespace
