// HTTPScanner: URL input. Every URL of the scanned rows of the "URLs" grid is fetched with
// the HTTP library (libqnhttp.so, loaded by name at the first URL run: first through the
// platform's library search, then beside the program) and its document is one input stream,
// scanned from memory, between the client's run begin and run end.
//
// One session of the library serves the whole run. For each URL the "URL" source is set,
// " Scanning" and the URL are shown, the document is fetched and the status lines of the
// fetch are written to the run log (each after the URL), so a user sees why a page came back
// empty. A failed fetch gives an empty document, which is scanned and counted all the same,
// so the pre- and post-stream actions still run for it; it is also reported as an error
// ("Unable to fetch" with the URL and its last status line) and counted by the client as an
// input that could not be read. A document is scanned whole, NUL bytes included. The summary is "URLs scanned:  " and
// the count. A halt request of level 2 ends a transfer under way within a fraction of a
// second and the run after that URL's scan. Without the library the run happens and scans
// nothing. Destinations are not told of new inputs: wildcard outputs keep their first name
// for the whole run.
#pragma once

#include <cstdint>

#include "engine/ClientSource.h"
#include "foundation/XXGRID.h"
#include "foundation/XXLIB.h"
#include "httplib/QNHTTP.h"
#include "run/PXScanner.h"

class PXClient;

class HTTPScanner : public PXScanner {
public:
    // Columns of the "URLs" grid.
    static constexpr int32_t scanCol = 0;
    static constexpr int32_t urlCol = 1;

    // Scans the rows of `urls`; registers the "URL" source with the client.
    HTTPScanner(PXClient& client, XXGRID& urls);

    int32_t scan(PXInst& run) override;

    // The prompt the library asks when a server wants credentials (status 401), and its
    // context; a host with a user interface installs one. Null: the fetch is refused.
    HTTPCredentialsPromptFn credentialsPrompt = nullptr;
    void* promptContext = nullptr;

private:
    template <class Fn>
    Fn find(const char* symbol) const {
        return reinterpret_cast<Fn>(library_.symbol(symbol));
    }
    // A fetched document: its text (null when there is none) and its size in bytes.
    struct Page {
        const char* text = nullptr;
        int64_t size = 0;
    };
    // Fetches `url` in `session`. Logs the status lines; a fetch that failed (and was not
    // stopped on request) is reported as an error with its last status line and counted as
    // an input not read.
    Page fetch(PXInst& run, int32_t session, const char* url);

    PXClient& client_;
    XXGRID& urls_;
    XXLIB library_;
    ClientSource url_{1960};
};
