// CHttpClient: the program's minimal HTTP client. Collects form parameters into a body,
// sends it with POST, or fetches an address with GET, and answers the answer text (see
// answer_text.h). Synchronous: a call blocks until the server has answered, the transfer
// failed, a time-out ran out or the options' abort flag was raised. A fresh client serves
// each exchange; nothing is kept between uses. Not shared between threads.
#pragma once

#include <cstdint>
#include <string>

#include "web/http_options.h"

namespace talbex::web {

/// What became of the last request.
enum class RequestOutcome {
    kNotSent,    // no address (no web service), or nothing could be put on the wire
    kAnswered,   // the server's whole answer arrived
    kFailed,     // sent or attempted, but unreachable, timed out, broken off or too long
    kCancelled,  // ended early by the abort flag: the program is quitting
};

class CHttpClient {
  public:
    explicit CHttpClient(HttpOptions options = {});

    /// Appends `name`, "=", `value` and "&" to the body, unencoded: callers pass values
    /// already encoded where the service expects it.
    void AddParam(const std::string& name, const std::string& value);

    /// GET of `url`, following a bounded number of redirects to http or https addresses.
    /// The empty text when `url` is empty (no web service configured), when the server
    /// cannot be reached, when it answers nothing, or when the request was cancelled.
    std::string Get(const std::string& url);

    /// POST of the body to `url` with the form headers the service expects; the body is
    /// sent with its terminating zero byte. Redirects are never followed (the answer is
    /// the redirect's own body) and the HTTP status is not looked at: an error page is an
    /// answer like any other.
    std::string Post(const std::string& url);

    const std::string& body() const { return body_; }
    std::uint32_t bodyLength() const { return bodyLength_; }
    /// What became of the last Get or Post (kNotSent before the first).
    RequestOutcome outcome() const { return outcome_; }

  private:
    std::string Perform(const std::string& url, bool post);

    HttpOptions options_;
    std::string body_;
    std::uint32_t bodyLength_ = 0;
    RequestOutcome outcome_ = RequestOutcome::kNotSent;
};

}  // namespace talbex::web
