#include "maillib/MailProfiles.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

}  // namespace

std::string pathFromEnvironment(const char* variable, const char* underHome) {
    if (const char* value = getenv(variable); value && *value) return value;
    const char* home = getenv("HOME");
    return std::string(home ? home : "") + underHome;
}

std::string mailProfilePath() { return pathFromEnvironment("XDG_CONFIG_HOME", "/.config") + "/Marrowby/QuillonMail.conf"; }

bool readMailProfiles(const std::string& path, std::vector<MailProfile>& profiles, std::string& error) {
    profiles.clear();
    std::ifstream in(path);
    if (!in) {
        error = "Unable to open " + path + ": " + strerror(errno);
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string text = trimmed(line);
        if (text.empty() || text[0] == '#' || text[0] == ';') continue;
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (text[0] == '[') {
            if (text.back() != ']' || text.size() < 3) {
                error = where + "a profile name must be written [Name]: " + text;
                return false;
            }
            profiles.push_back({trimmed(text.substr(1, text.size() - 2)), {}});
            continue;
        }
        const size_t equals = text.find('=');
        if (equals == std::string::npos || equals == 0) {
            error = where + "expected a store as Name=URL: " + text;
            return false;
        }
        if (profiles.empty()) {
            error = where + "a store line comes before the first [Profile]: " + text;
            return false;
        }
        profiles.back().stores.push_back({trimmed(text.substr(0, equals)), trimmed(text.substr(equals + 1))});
    }
    return true;
}
