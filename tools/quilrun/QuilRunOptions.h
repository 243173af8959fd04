// QuilRunOptions: the command line of quilrun.
//
//   quilrun [options] DEFINITION [INPUT ...]
//
// Options (parsed with getopt_long, so short ones bundle: -qh) may stand anywhere before
// "--"; everything after it is positional, so a definition or input whose name starts with
// "-" can be given. A usage error is one line saying what was wrong. The first positional
// argument is the definition, the others are inputs; "-" as an input means standard input,
// which must then be the only input (it is scanned as one block in a run of its own, and a
// second run would overwrite the first one's outputs). Inputs that begin with "http://" or
// "https://" are web pages; a run takes either pages or files, never both.
#pragma once

#include <string>
#include <vector>

struct QuilRunOptions {
    enum class Action { run, help, version, usageError };

    Action action = Action::run;
    std::string error;              // what was wrong, for usageError
    std::string definition;
    std::vector<std::string> inputs;
    bool standardInput = false;     // the one input is "-"
    bool urls = false;              // the inputs are web pages
    bool trace = false;
    bool toStdout = false;
    bool quiet = false;
    bool force = false;             // run a definition whose reading reported errors
    bool noWait = false;            // fail at once on an output another run holds
    std::string logName;            // empty: the definition's own

    // Reads the arguments after the program name.
    static QuilRunOptions parse(const std::vector<std::string>& arguments);
    // The usage text, ending in a newline.
    static const char* usage();
    // Whether an INPUT names a web page (http:// or https://, in any case).
    static bool isURL(const std::string& input);
};
