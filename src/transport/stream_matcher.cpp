#include "transport/stream_matcher.h"

namespace corvane {

StreamMatcher::StreamMatcher(const QByteArray& pattern, bool ignoreCase) : ignoreCase_(ignoreCase) {
    pattern_.reserve(pattern.size());
    for (char c : pattern) pattern_.append(fold(c));
    fallback_.assign(static_cast<std::size_t>(pattern_.size()) + 1, 0);
    int k = 0;
    for (int i = 1; i < pattern_.size(); ++i) {
        while (k > 0 && pattern_[i] != pattern_[k]) k = fallback_[static_cast<std::size_t>(k)];
        if (pattern_[i] == pattern_[k]) ++k;
        fallback_[static_cast<std::size_t>(i) + 1] = k;
    }
}

char StreamMatcher::fold(char byte) const {
    if (ignoreCase_ && byte >= 'a' && byte <= 'z') return static_cast<char>(byte - 'a' + 'A');
    return byte;
}

bool StreamMatcher::feed(char byte) {
    if (pattern_.isEmpty()) return false;
    const char c = fold(byte);
    while (matched_ > 0 && pattern_[matched_] != c)
        matched_ = fallback_[static_cast<std::size_t>(matched_)];
    if (pattern_[matched_] == c) ++matched_;
    if (matched_ == pattern_.size()) {
        matched_ = 0;
        return true;
    }
    return false;
}

}  // namespace corvane
