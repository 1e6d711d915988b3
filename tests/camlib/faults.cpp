#include "faults.h"

#include <cstdlib>
#include <sstream>

namespace tcam {

namespace {

bool Known(const std::string& kind, const std::string& call) {
    static const char* const kCalls[] = {"open",    "config", "set",  "capture", "trigger",
                                         "preview", "event",  "file", "delete",  "any"};
    bool callKnown = false;
    for (const char* c : kCalls)
        callKnown = callKnown || call == c;
    if (kind == "io" || kind == "gone")
        return callKnown;
    if (kind == "error")
        return call == "preview" || call == "get";
    if (kind == "busy")
        return call == "preview" || call == "set";
    if (kind == "unsupported")
        return call == "preview";
    return false;
}

}  // namespace

bool Faults::Parse(const std::string& rules, std::string* error) {
    std::stringstream items(rules);
    std::string item;
    while (std::getline(items, item, ',')) {
        if (item.empty())
            continue;
        Rule rule;
        const size_t at = item.find('@');
        if (at == std::string::npos) {
            *error = "no @CALL in '" + item + "'";
            return false;
        }
        rule.kind = item.substr(0, at);
        std::string rest = item.substr(at + 1);
        if (const size_t colon = rest.find(':'); colon != std::string::npos) {
            char* end = nullptr;
            const long n = std::strtol(rest.c_str() + colon + 1, &end, 10);
            if (*end != '\0' || n < 1 || n > 1000000) {
                *error = "bad count in '" + item + "'";
                return false;
            }
            rule.count = static_cast<int>(n);
            rest.resize(colon);
        }
        if (const size_t eq = rest.find('='); eq != std::string::npos) {
            rule.name = rest.substr(eq + 1);
            rest.resize(eq);
        }
        rule.call = rest;
        if (!Known(rule.kind, rule.call)) {
            *error = "unknown fault '" + item + "'";
            return false;
        }
        rules_.push_back(rule);
    }
    return true;
}

bool Faults::FailsWithIo(const std::string& call) {
    if (gone_)
        return true;
    for (Rule& r : rules_) {
        if (r.count <= 0 || (r.call != call && r.call != "any"))
            continue;
        if (r.kind == "gone") {
            gone_ = true;
            return true;
        }
        if (r.kind == "io") {
            --r.count;
            return true;
        }
    }
    return false;
}

bool Faults::Take(const std::string& kind, const std::string& call, const std::string& name) {
    for (Rule& r : rules_) {
        if (r.kind == kind && r.call == call && r.count > 0 && (r.name.empty() || r.name == name)) {
            --r.count;
            return true;
        }
    }
    return false;
}

bool Faults::Has(const std::string& kind, const std::string& call) const {
    for (const Rule& r : rules_)
        if (r.kind == kind && r.call == call)
            return true;
    return false;
}

}  // namespace tcam
