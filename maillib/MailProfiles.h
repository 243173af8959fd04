// MailProfiles: the profile file of the messaging layer.
//
// The file is $XDG_CONFIG_HOME/Marrowby/QuillonMail.conf (else ~/.config/Marrowby/...), an
// INI file with one section per profile and, in it, one line per message store: its
// display name, "=", its URL (maildir:///path, imap://user@host:port, imaps://...). Blank
// lines and lines starting with '#' or ';' are comments; spaces around names and values are
// ignored.
#pragma once

#include <string>
#include <vector>

struct MailStoreEntry {
    std::string name;   // the display name
    std::string url;
};

struct MailProfile {
    std::string name;
    std::vector<MailStoreEntry> stores;
};

// The value of the environment variable `variable`, else the home folder and `underHome`.
std::string pathFromEnvironment(const char* variable, const char* underHome);

// The path of the profile file.
std::string mailProfilePath();

// Reads every profile of the file at `path`. False, with a message naming the file (and the
// line, for a line that is not a section, a comment or a name=value pair), when it cannot.
bool readMailProfiles(const std::string& path, std::vector<MailProfile>& profiles, std::string& error);
