#include "transport/byte_ring.h"

#include <algorithm>
#include <cstring>

namespace corvane {

int ByteRing::write(const char* data, int size) {
    const int n = std::min(size, freeSpace());
    const std::size_t cap = buffer_.size();
    int done = 0;
    while (done < n) {
        const std::size_t index = (tail_ + static_cast<std::uint64_t>(done)) % cap;
        const int chunk = std::min<int>(n - done, static_cast<int>(cap - index));
        std::memcpy(buffer_.data() + index, data + done, static_cast<std::size_t>(chunk));
        done += chunk;
    }
    tail_ += static_cast<std::uint64_t>(n);
    return n;
}

int ByteRing::peek(char* data, int size) const {
    const int n = std::min(size, used());
    const std::size_t cap = buffer_.size();
    int done = 0;
    while (done < n) {
        const std::size_t index = (head_ + static_cast<std::uint64_t>(done)) % cap;
        const int chunk = std::min<int>(n - done, static_cast<int>(cap - index));
        std::memcpy(data + done, buffer_.data() + index, static_cast<std::size_t>(chunk));
        done += chunk;
    }
    return n;
}

int ByteRing::read(char* data, int size) {
    const int n = peek(data, size);
    head_ += static_cast<std::uint64_t>(n);
    return n;
}

char* ByteRing::tailSpan(int& length) {
    const std::size_t cap = buffer_.size();
    const std::size_t index = tail_ % cap;
    length = std::min<int>(freeSpace(), static_cast<int>(cap - index));
    return buffer_.data() + index;
}

void ByteRing::advanceHeadTo(std::uint64_t position) {
    head_ = std::clamp(position, head_, tail_);
}

bool ByteRing::resize(int capacity) {
    if (capacity < used() || capacity <= 0) return false;
    std::vector<char> waiting(static_cast<std::size_t>(used()));
    peek(waiting.data(), used());
    buffer_.assign(static_cast<std::size_t>(capacity), 0);
    const std::uint64_t start = head_;
    tail_ = head_;
    write(waiting.data(), static_cast<int>(waiting.size()));
    head_ = start;
    return true;
}

}  // namespace corvane
