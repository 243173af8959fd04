#include "httplib/HTTPTransfer.h"

#include <curl/curl.h>

#include <mutex>

namespace {

constexpr int kStepMilliseconds = 100;

void globalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Where the body goes while it arrives: into `body`, up to `limit` bytes (0: no limit).
struct BodySink {
    std::string* body = nullptr;
    int64_t limit = 0;
    bool tooLarge = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<BodySink*>(user);
    const size_t n = size * count;
    if (sink->limit > 0 && int64_t(sink->body->size() + n) > sink->limit) {
        sink->tooLarge = true;
        return 0;   // curl ends the transfer with a write error
    }
    sink->body->append(data, n);
    return n;
}

std::string withoutLineEnds(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

}  // namespace

struct HTTPTransfer::Handles {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    curl_slist* headers = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};

    ~Handles() {
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
        curl_slist_free_all(headers);
    }
};

HTTPTransfer::HTTPTransfer(const std::string& agent) : handles_(std::make_unique<Handles>()) {
    globalInit();
    handles_->easy = curl_easy_init();
    handles_->multi = curl_multi_init();
    const std::string userAgent = "User-Agent: " + withoutLineEnds(agent);
    curl_slist* accept = curl_slist_append(nullptr, "Accept: text/*");
    curl_slist* both = accept ? curl_slist_append(accept, userAgent.c_str()) : nullptr;
    if (!both) curl_slist_free_all(accept);
    handles_->headers = both;
}

HTTPTransfer::~HTTPTransfer() = default;

bool HTTPTransfer::usable() const { return handles_->easy && handles_->multi && handles_->headers; }

void HTTPTransfer::setStopCheck(HTTPStopCheckFn check, void* context) {
    stopCheck_ = check;
    stopContext_ = context;
}

HTTPResponse HTTPTransfer::get(const std::string& url, const std::string& user, const std::string& password,
                               const HTTPOptions& options) {
    HTTPResponse response;
    CURL* easy = handles_->easy;
    BodySink sink{&response.body, options.maxSize};
    handles_->errorText[0] = '\0';

    // A reset keeps the connections and the caches; every request states all its options.
    curl_easy_reset(easy);
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, handles_->headers);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, long(options.connectTimeout));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, long(options.timeout));
    if (options.maxSize > 0) curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(options.maxSize));
    if (!options.caInfo.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, options.caInfo.c_str());
    if (!user.empty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password.c_str());
    }
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, handles_->errorText);

    CURLcode code = CURLE_OK;
    bool stopped = false;
    if (curl_multi_add_handle(handles_->multi, easy) != CURLM_OK) code = CURLE_FAILED_INIT;
    for (int running = code == CURLE_OK; running;) {
        if (curl_multi_perform(handles_->multi, &running) != CURLM_OK) {
            code = CURLE_FAILED_INIT;
            break;
        }
        if (running) curl_multi_poll(handles_->multi, nullptr, 0, kStepMilliseconds, nullptr);
        if (stopCheck_ && stopCheck_(stopContext_)) {
            stopped = true;
            break;
        }
    }
    int queued = 0;
    while (CURLMsg* done = curl_multi_info_read(handles_->multi, &queued))
        if (done->msg == CURLMSG_DONE && done->easy_handle == easy) code = done->data.result;
    curl_multi_remove_handle(handles_->multi, easy);

    if (stopped) {
        response.error = "stopped on request";
    } else if (sink.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        response.error = "the document is larger than maxsize (" + std::to_string(options.maxSize) + " bytes)";
    } else if (code != CURLE_OK) {
        response.error = handles_->errorText[0] ? handles_->errorText : curl_easy_strerror(code);
    } else {
        response.completed = true;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &response.status);
        curl_header* location = nullptr;
        if (curl_easy_header(easy, "Location", 0, CURLH_HEADER, -1, &location) == CURLHE_OK && location->value)
            response.location = location->value;
    }
    if (!response.completed) response.body.clear();
    return response;
}
