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

const char* HTTPScanner::fetch(int32_t session, const char* url) {
    const auto get = find<HTTPGetFn>(kHTTPGetSymbol);
    if (!get) return nullptr;
    const auto count = find<HTTPSessionMessageCountFn>(kHTTPSessionMessageCountSymbol);
    const auto line = find<HTTPSessionMessageFn>(kHTTPSessionMessageSymbol);
    const int32_t before = count ? count(session) : 0;
    const char* document = nullptr;
    const char* status = nullptr;
    get(session, url, "", "", "", &document, &status);
    if (count && line) {
        for (int32_t i = before, end = count(session); i < end; ++i) {
            XXMSG log(2);
            log << url << ": " << line(session, i) << toLog;
        }
    } else if (status && *status) {
        XXMSG log(2);
        log << url << ": " << status << toLog;
    }
    return document;
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
            const char* document = fetch(session, url);
            buffer.setData(document, document ? int64_t(std::strlen(document)) : 0);
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
