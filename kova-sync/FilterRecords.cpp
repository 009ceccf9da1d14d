#include "kova-sync/FilterRecords.h"

#include <glog/logging.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <fstream>
#include <mutex>
#include <string_view>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

// A failed call rarely writes more; older ones of a long run of records are dropped.
constexpr std::size_t kKeptErrors = 16;
constexpr std::size_t kLongestCause = 300;

class FilterSink final : public google::LogSink {
public:
    using google::LogSink::send;
    void send(google::LogSeverity severity, const char*, const char* baseFilename, int line,
              const google::LogMessageTime& time, const char* message, std::size_t length) override {
        const std::string text = WithoutSecrets(std::string(message, length));
        const std::lock_guard<std::mutex> lock(mutex_);
        if (file_.is_open()) {
            file_ << ToString(severity, baseFilename, line, time, text.data(), text.size()) << std::endl;
        }
        if (severity >= google::GLOG_ERROR) {
            errors_.push_back(text);
            if (errors_.size() > kKeptErrors) {
                errors_.pop_front();
            }
        }
    }

    void WriteTo(const fs::path& file) {
        const std::lock_guard<std::mutex> lock(mutex_);
        file_.close();
        if (!file.empty()) {
            file_.open(file, std::ios::app);
        }
    }

    void Forget() {
        const std::lock_guard<std::mutex> lock(mutex_);
        errors_.clear();
    }

    std::vector<std::string> Take() {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> taken(errors_.begin(), errors_.end());
        errors_.clear();
        return taken;
    }

private:
    std::mutex mutex_;
    std::ofstream file_;
    std::deque<std::string> errors_;
};

FilterSink& Sink() {
    // Never destroyed: the filter may log while the process ends.
    static FilterSink* const sink = new FilterSink;
    return *sink;
}

// A record that ends in a bare code ("Unexpected return: 80004005", "Caught HRESULT at interface -
// 80004005") tells what the failure line's HRESULT tells, or a code a later record explains.
bool EndsWithACode(std::string_view line) {
    const std::size_t separator = line.find_last_of(" :-=");
    const std::string_view code = separator == std::string_view::npos ? line : line.substr(separator + 1);
    return !code.empty() && code.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos &&
           code.find_first_of("0123456789") != std::string_view::npos;
}

// "Class::Method:" or "Class::Method: " before the text.
std::string_view WithoutMethodPrefix(std::string_view line) {
    const std::size_t scope = line.find("::");
    if (scope == std::string_view::npos) {
        return line;
    }
    const std::size_t colon = line.find(':', scope + 2);
    if (colon == std::string_view::npos) {
        return line;
    }
    for (const char c : line.substr(0, colon)) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '_' && c != ':') {
            return line;
        }
    }
    line.remove_prefix(colon + 1);
    return line.substr(std::min(line.find_first_not_of(' '), line.size()));
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r\n:");
    return text.substr(first, last - first + 1);
}

// A caller's record that tells again what a later one told: the same error text at its end.
bool Repeats(const std::string& older, const std::vector<std::string>& later) {
    constexpr std::size_t kTail = 40;
    const std::string tail = older.substr(older.size() > kTail ? older.size() - kTail : 0);
    return std::any_of(later.begin(), later.end(),
                       [&](const std::string& cause) { return cause.find(tail) != std::string::npos; });
}

// Replaces what lies between each `open` and the `close` after it.
void Mask(std::string& text, std::string_view open, std::string_view close) {
    std::size_t at = 0;
    while ((at = text.find(open, at)) != std::string::npos) {
        const std::size_t begin = at + open.size();
        const std::size_t end = text.find(close, begin);
        if (end == std::string::npos) {
            return;
        }
        text.replace(begin, end - begin, "********");
        at = begin;
    }
}

} // namespace

void ReceiveFilterRecords() {
    setenv("KOVA_HOST_KEEPS_ERRORS", "1", 1);
    google::AddLogSink(&Sink());
}

void WriteFilterRecordsTo(const fs::path& file) {
    Sink().WriteTo(file);
}

void ForgetFilterErrors() {
    Sink().Forget();
}

std::vector<std::string> TakeFilterErrors() {
    return Sink().Take();
}

std::vector<std::string> CausesOf(const std::vector<std::string>& records) {
    std::vector<std::string> causes;
    for (auto record = records.rbegin(); record != records.rend() && causes.size() < 2; ++record) {
        const std::string_view text = *record;
        std::string_view line = Trimmed(WithoutMethodPrefix(Trimmed(text.substr(0, text.find('\n')))));
        // A reply or request body logged whole is detail for the log file.
        if (line.empty() || line.front() == '<' || EndsWithACode(line)) {
            continue;
        }
        std::string cause(line.substr(0, kLongestCause));
        if (line.size() > kLongestCause) {
            cause += "...";
        }
        if (!Repeats(cause, causes)) {
            causes.push_back(std::move(cause));
        }
    }
    return {causes.rbegin(), causes.rend()};
}

std::string WithoutSecrets(std::string text) {
    Mask(text, "<Token>", "</Token>");
    Mask(text, "<password>", "</password>");
    return text;
}

} // namespace KovaSync
