#include "tools/quilrun/QuilRunOptions.h"

#include <strings.h>

namespace {

QuilRunOptions usageError(std::string text) {
    QuilRunOptions options;
    options.action = QuilRunOptions::Action::usageError;
    options.error = std::move(text);
    return options;
}

}  // namespace

const char* QuilRunOptions::usage() {
    return "Usage: quilrun [options] DEFINITION [INPUT ...]\n"
           "Runs a Quillon definition without the builder.\n"
           "\n"
           "  DEFINITION   a definition file (its extension .QXD may be left out)\n"
           "  INPUT ...    files or wildcard patterns to scan instead of the definition's own\n"
           "               input, or http:// and https:// URLs of web pages (not both);\n"
           "               - scans standard input as one block\n"
           "\n"
           "Options:\n"
           "  --trace      write the HTML trace of the run (QNTrace.htm)\n"
           "  --log FILE   name of the run log for this run\n"
           "  --stdout     output that names no destination goes to standard output\n"
           "  -q, --quiet  no information messages and no progress\n"
           "  --force      run what could be read of a definition whose files have errors\n"
           "  --help       show this text\n"
           "  --version    show the version\n"
           "\n"
           "Exit status: 0 the run completed; 1 the definition could not be opened, has\n"
           "errors, or (without --force) its files could not all be read; 2 a usage error;\n"
           "3 the run completed, but an INPUT matched no file; 4 standard input could not\n"
           "be read, or standard output not written.\n";
}

bool QuilRunOptions::isURL(const std::string& input) {
    return strncasecmp(input.c_str(), "http://", 7) == 0 || strncasecmp(input.c_str(), "https://", 8) == 0;
}

QuilRunOptions QuilRunOptions::parse(const std::vector<std::string>& arguments) {
    QuilRunOptions options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
            positional.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "--help" || a == "-h") {
            options.action = Action::help;
            return options;
        } else if (a == "--version") {
            options.action = Action::version;
            return options;
        } else if (a == "--trace") {
            options.trace = true;
        } else if (a == "--stdout") {
            options.toStdout = true;
        } else if (a == "--force") {
            options.force = true;
        } else if (a == "-q" || a == "--quiet") {
            options.quiet = true;
        } else if (a == "--log") {
            if (i + 1 == arguments.size()) return usageError("--log needs a file name");
            options.logName = arguments[++i];
            if (options.logName.empty()) return usageError("--log needs a file name");
        } else if (a.rfind("--log=", 0) == 0) {
            options.logName = a.substr(6);
            if (options.logName.empty()) return usageError("--log needs a file name");
        } else {
            return usageError("unknown option " + a);
        }
    }
    if (positional.empty()) return usageError("no definition given");
    options.definition = positional.front();
    if (options.definition == "-") return usageError("the definition cannot be standard input");
    options.inputs.assign(positional.begin() + 1, positional.end());
    for (const std::string& input : options.inputs) {
        if (input.empty()) return usageError("an empty INPUT names no file");
        if (input == "-") options.standardInput = true;
    }
    if (options.standardInput && options.inputs.size() > 1)
        return usageError("- (standard input) cannot be combined with other inputs");
    size_t pages = 0;
    for (const std::string& input : options.inputs) pages += isURL(input) ? 1 : 0;
    if (pages > 0 && pages < options.inputs.size()) return usageError("files and URLs cannot be mixed in one run");
    options.urls = pages > 0;
    return options;
}
