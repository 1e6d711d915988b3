#include "web/http_client.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "platform/os/diagnostics.h"
#include "web/answer_text.h"

namespace talbex::web {

namespace {

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Received {
    std::string bytes;
    std::size_t limit = 0;
    bool overflowed = false;
};

size_t Collect(char* data, size_t size, size_t count, void* user) {
    auto* received = static_cast<Received*>(user);
    const size_t length = size * count;
    if (received->bytes.size() + length > received->limit) {
        received->bytes.append(data, received->limit - received->bytes.size());
        received->overflowed = true;
        return 0;  // makes the library end the transfer with a write error
    }
    received->bytes.append(data, length);
    return length;
}

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// How often a request in progress looks at the abort flag.
constexpr int kAbortCheckMs = 50;

bool AbortRaised(const HttpOptions& options) {
    return options.abort != nullptr && options.abort->load();
}

// Failures that come before anything is put on the wire. Everything else (a host that
// cannot be resolved or reached included) counts as an attempted request.
bool FailedBeforeSending(CURLcode rc) {
    return rc == CURLE_URL_MALFORMAT || rc == CURLE_UNSUPPORTED_PROTOCOL ||
           rc == CURLE_OUT_OF_MEMORY || rc == CURLE_FAILED_INIT ||
           rc == CURLE_BAD_FUNCTION_ARGUMENT;
}

// Runs one prepared transfer to its end through the library's multi interface, so that
// the abort flag is looked at every kAbortCheckMs however quiet the connection is.
// Answers the transfer's result; `cancelled` when the flag ended it first.
CURLcode RunTransfer(CURL* curl, const HttpOptions& options, bool* cancelled) {
    *cancelled = false;
    CURLM* multi = curl_multi_init();
    if (multi == nullptr)
        return CURLE_OUT_OF_MEMORY;
    if (curl_multi_add_handle(multi, curl) != CURLM_OK) {
        curl_multi_cleanup(multi);
        return CURLE_FAILED_INIT;
    }
    CURLcode result = CURLE_OK;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE)
                    result = message->data.result;
            }
            break;
        }
        if (AbortRaised(options) ||
            curl_multi_poll(multi, nullptr, 0, kAbortCheckMs, nullptr) != CURLM_OK ||
            AbortRaised(options)) {
            *cancelled = true;
            break;
        }
    }
    curl_multi_remove_handle(multi, curl);
    curl_multi_cleanup(multi);
    return result;
}

}  // namespace

CHttpClient::CHttpClient(HttpOptions options) : options_(options) {}

void CHttpClient::AddParam(const std::string& name, const std::string& value) {
    body_ += name;
    body_ += '=';
    body_ += value;
    body_ += '&';
    bodyLength_ = static_cast<std::uint32_t>(body_.size());
}

std::string CHttpClient::Get(const std::string& url) {
    return Perform(url, false);
}

std::string CHttpClient::Post(const std::string& url) {
    return Perform(url, true);
}

std::string CHttpClient::Perform(const std::string& url, bool post) {
    outcome_ = RequestOutcome::kNotSent;
    if (url.empty())
        return {};
    if (AbortRaised(options_)) {
        outcome_ = RequestOutcome::kCancelled;
        return {};
    }
    InitialiseCurlOnce();
    std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl)
        return {};
    CURL* c = curl.get();

    Received received;
    received.limit = options_.maxAnswerBytes;
    std::unique_ptr<curl_slist, ListDeleter> headers;

    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    if (post) {
        // A redirected report would be sent again elsewhere, or lose its body.
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    } else {
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(c, CURLOPT_MAXREDIRS, options_.maxRedirects);
        curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    }
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);  // time-outs without signals: safe in threads
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options_.connectTimeout.count()));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.totalTimeout.count()));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &received);

    if (post) {
        // The service reads exactly these two headers, spacing included; "Expect:" keeps
        // the library from holding a longer body back for a 100-continue the service
        // never sends.
        curl_slist* list = nullptr;
        for (const char* header :
             {"Content-Type:   application/x-www-form-urlencoded", "Accept:   */*", "Expect:"}) {
            curl_slist* grown = curl_slist_append(list, header);
            if (!grown) {
                curl_slist_free_all(list);
                return {};
            }
            list = grown;
        }
        headers.reset(list);
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        // The terminating zero byte is the last byte of the body.
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, body_.c_str());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE, static_cast<long>(bodyLength_) + 1);
    }

    bool cancelled = false;
    const CURLcode rc = RunTransfer(c, options_, &cancelled);
    const char* verb = post ? "POST" : "GET";
    if (cancelled) {
        outcome_ = RequestOutcome::kCancelled;
        os::Trace("%s %s: ended, the program is quitting\n", verb, url.c_str());
        return {};
    }
    if (rc == CURLE_OK) {
        outcome_ = RequestOutcome::kAnswered;
    } else {
        outcome_ = FailedBeforeSending(rc) ? RequestOutcome::kNotSent : RequestOutcome::kFailed;
        if (received.overflowed)
            os::Diagnostic(
                "%s %s: the answer is longer than %zu bytes; cut after its last "
                "whole line\n",
                verb, url.c_str(), received.limit);
        else
            os::Diagnostic("%s %s: %s\n", verb, url.c_str(), curl_easy_strerror(rc));
    }
    return AnswerText(received.bytes, rc == CURLE_OK);
}

}  // namespace talbex::web
