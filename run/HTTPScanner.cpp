#include "run/HTTPScanner.h"

#include <cstring>

#include "engine/IPXEngine.h"
#include "foundation/XXMEMBUF.h"
#include "foundation/XXSTRTABLE.h"
#include "foundation/XXTEXT.h"
#include "foundation/platform.h"
#include "run/PXClient.h"

namespace {

int32_t stopRequested(void* run) { return static_cast<PXInst*>(run)->haltAtLeast(2) ? 1 : 0; }

}  // namespace

HTTPScanner::HTTPScanner(PXClient& client, XXGRID& urls) : client_(client), urls_(urls) {
    library_.setFileName(kQNHTTPLibraryFile);
    library_.setFallback(modulePathOf(kQNHTTPLibraryFile));
    client.addSource(url_);
}

HTTPScanner::Page HTTPScanner::fetch(PXInst& run, int32_t session, const char* url) {
    Page page;
    const auto get = find<HTTPGetFn>(kHTTPGetSymbol);
    if (!get) return page;
    const auto count = find<HTTPSessionMessageCountFn>(kHTTPSessionMessageCountSymbol);
    const auto line = find<HTTPSessionMessageFn>(kHTTPSessionMessageSymbol);
    const auto size = find<HTTPSessionDocumentSizeFn>(kHTTPSessionDocumentSizeSymbol);
    const int32_t before = count ? count(session) : 0;
    const char* status = nullptr;
    const int32_t result = get(session, url, "", "", "", &page.text, &status);
    // The last status line says best why a fetch failed ("HTTP request code: 404").
    const char* reason = status;
    if (count && line) {
        for (int32_t i = before, end = count(session); i < end; ++i) {
            reason = line(session, i);
            XXMSG log(2);
            log << url << ": " << reason << toLog;
        }
    } else if (status && *status) {
        XXMSG log(2);
        log << url << ": " << status << toLog;
    }
    // The document's size is asked for, as a page may hold NUL bytes.
    const int64_t bytes = size ? size(session) : (page.text ? int64_t(std::strlen(page.text)) : 0);
    page.size = bytes > 0 && page.text ? bytes : 0;
    // A page the user stopped was not asked for any longer.
    if ((result != kHTTPGetDone || bytes < 0) && !run.haltAtLeast(2)) {
        Error e;
        e << "Unable to fetch " << url << ": " << (reason && *reason ? reason : "no document") << endMsg;
        client_.noteUnreadInput();
    }
    return page;
}

int32_t HTTPScanner::scan(PXInst& run) {
    XXMEMBUF buffer;
    IXXINBUF* const previousBuffer = run.buffer;
    IXXINBUF* const previousSource = client_.inputBufferSource().buffer();
    run.buffer = &buffer;
    client_.inputBufferSource().setBuffer(&buffer);
    run.matchCount = 0;
    url_.setText("");

    client_.runBegin(run);

    int32_t count = 0;
    const auto open = library_.load() ? find<HTTPSessionOpenFn>(kHTTPSessionOpenSymbol) : nullptr;
    if (open) {
        const int32_t session = open(client_.appTag.text());
        if (const auto setStop = find<HTTPSessionSetStopCheckFn>(kHTTPSessionSetStopCheckSymbol))
            setStop(session, stopRequested, &run);
        if (const auto setPrompt = find<HTTPSetCredentialsPromptFn>(kHTTPSetCredentialsPromptSymbol))
            setPrompt(credentialsPrompt, promptContext);
        for (int32_t row = 0; row < urls_.rowCount() && !run.haltAtLeast(2); ++row) {
            const XXFLD* scan = urls_.getCell(scanCol, row);
            const XXFLD* address = urls_.getCell(urlCol, row);
            if (!scan || !toBool(scan->getText()) || !address || isBlank(address->getText())) continue;
            const XXSTRING url(address->getText());
            url_.setText(url);
            XXSTRING note;
            note << " " << loadString(1075) << " " << url;
            client_.message(note);
            const Page page = fetch(run, session, url);
            buffer.setData(page.text, page.size);
            run.matchCount = 0;
            if (IPXEngine* engine = client_.engine()) engine->scanStream(run);
            ++count;
        }
        if (const auto close = find<HTTPSessionCloseFn>(kHTTPSessionCloseSymbol)) close(session);
    }

    url_.setText("");
    run.buffer = previousBuffer;
    client_.inputBufferSource().setBuffer(previousSource);
    XXSTRING summary;
    summary << loadString(1068) << ":  " << count;
    client_.runEnd(run, summary);
    return 2;
}
