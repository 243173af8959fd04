#include "tools/quilrun/QuilRunOptions.h"

#include <getopt.h>
#include <strings.h>

namespace {

QuilRunOptions usageError(std::string text) {
    QuilRunOptions options;
    options.action = QuilRunOptions::Action::usageError;
    options.error = std::move(text);
    return options;
}

enum LongOnly { optTrace = 256, optStdout, optLog, optNoWait, optForce, optHelp, optVersion };

const option kLongOptions[] = {
    {"trace", no_argument, nullptr, optTrace},    {"stdout", no_argument, nullptr, optStdout},
    {"log", required_argument, nullptr, optLog},  {"quiet", no_argument, nullptr, 'q'},
    {"no-wait", no_argument, nullptr, optNoWait}, {"force", no_argument, nullptr, optForce},
    {"help", no_argument, nullptr, optHelp},      {"version", no_argument, nullptr, optVersion},
    {nullptr, 0, nullptr, 0},
};

// Options may stand anywhere before "--" (getopt_long moves the other arguments behind
// them); the leading ":" makes a missing value ':' rather than '?'.
constexpr const char* kShortOptions = ":qh";

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
           "  --no-wait    fail at once when another run holds an output file or the log,\n"
           "               instead of waiting for it\n"
           "  -q, --quiet  no information messages and no progress\n"
           "  --force      run what could be read of a definition whose files have errors\n"
           "  -h, --help   show this text\n"
           "  --version    show the version\n"
           "\n"
           "Output folders are made as needed. An interrupt (Ctrl-C) or SIGTERM stops the run\n"
           "after the current node: outputs, rows and the log are written and closed; a second\n"
           "one ends quilrun at once.\n"
           "\n"
           "Exit status: 0 the run completed; 1 the definition could not be opened, has\n"
           "errors, or (without --force) its files could not all be read; 2 a usage error;\n"
           "3 the run completed, but an INPUT matched no file, or a file it matched or a web\n"
           "page could not be read; 4 standard input could not be read, or standard output\n"
           "not written;\n"
           "5 the run completed, but some output could not be written (a file, the log or a\n"
           "database row); 6 the run was ended early by too many errors; 130 stopped by an\n"
           "interrupt, 143 by SIGTERM.\n";
}

bool QuilRunOptions::isURL(const std::string& input) {
    return strncasecmp(input.c_str(), "http://", 7) == 0 || strncasecmp(input.c_str(), "https://", 8) == 0;
}

QuilRunOptions QuilRunOptions::parse(const std::vector<std::string>& arguments) {
    QuilRunOptions options;
    // getopt_long works on a C argument vector, with a program name first.
    std::vector<std::string> words{"quilrun"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    opterr = 0;
    optind = 0;   // 0 starts getopt afresh, also after an earlier parse
    const int argc = int(words.size());
    for (;;) {
        const int c = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr);
        if (c == -1) break;
        switch (c) {
        case 'q': options.quiet = true; break;
        case 'h':
        case optHelp: options.action = Action::help; return options;
        case optVersion: options.action = Action::version; return options;
        case optTrace: options.trace = true; break;
        case optStdout: options.toStdout = true; break;
        case optNoWait: options.noWait = true; break;
        case optForce: options.force = true; break;
        case optLog:
            options.logName = optarg;
            if (options.logName.empty()) return usageError("--log needs a file name");
            break;
        case ':': return usageError("--log needs a file name");   // the one option with a value
        default: {
            // A short option unknown inside a cluster has optopt; a long one only its word.
            if (optopt > 0 && optopt < 256) return usageError("unknown option -" + std::string(1, char(optopt)));
            const std::string word = argv[size_t(optind - 1)];
            const std::string name = word.substr(0, word.find('='));
            // A known long option that takes no value was given one ("--trace=yes").
            if (optopt >= optTrace) return usageError(name + " takes no value");
            return usageError("unknown option " + name);
        }
        }
    }
    // getopt_long has moved the positional arguments behind the options, in their order.
    std::vector<std::string> positional(argv.begin() + optind, argv.end() - 1);
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
