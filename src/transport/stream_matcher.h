#pragma once
// Recognises a byte string in a stream fed one byte at a time, with or without regard to
// letter case. After a mismatch it falls back to the longest matched part that can still
// begin the string, so "OK" is found after "OOK" and "AAB" after "AAAB".

#include <QByteArray>
#include <vector>

namespace corvane {

class StreamMatcher {
  public:
    StreamMatcher() = default;
    StreamMatcher(const QByteArray& pattern, bool ignoreCase);

    // True when this byte completes the string; matching then starts afresh.
    bool feed(char byte);
    void reset() { matched_ = 0; }
    bool emptyPattern() const { return pattern_.isEmpty(); }
    int matched() const { return matched_; }

  private:
    char fold(char byte) const;

    QByteArray pattern_;
    std::vector<int> fallback_;  // longest proper prefix that is also a suffix, per length
    bool ignoreCase_ = false;
    int matched_ = 0;
};

}  // namespace corvane
