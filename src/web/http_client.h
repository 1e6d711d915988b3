// CHttpClient: the program's minimal HTTP client. Collects form parameters into a body,
// sends it with POST, or fetches an address with GET, and answers the answer text (see
// answer_text.h). Synchronous: a call blocks until the server has answered, the transfer
// failed or a time-out ran out. A fresh client serves each exchange; nothing is kept
// between uses. Not shared between threads.
#pragma once

#include <cstdint>
#include <string>

#include "web/http_options.h"

namespace talbex::web {

class CHttpClient {
  public:
    explicit CHttpClient(HttpOptions options = {});

    /// Appends `name`, "=", `value` and "&" to the body, unencoded: callers pass values
    /// already encoded where the service expects it.
    void AddParam(const std::string& name, const std::string& value);

    /// GET of `url`. The empty text when `url` is empty (no web service configured), when
    /// the server cannot be reached, or when it answers nothing.
    std::string Get(const std::string& url);

    /// POST of the body to `url` with the form headers the service expects; the body is
    /// sent with its terminating zero byte. Redirects are not followed and the HTTP status
    /// is not looked at: an error page is an answer like any other.
    std::string Post(const std::string& url);

    const std::string& body() const { return body_; }
    std::uint32_t bodyLength() const { return bodyLength_; }

  private:
    std::string Perform(const std::string& url, bool post);

    HttpOptions options_;
    std::string body_;
    std::uint32_t bodyLength_ = 0;
};

}  // namespace talbex::web
