#pragma once
// A fixed-size byte ring addressed by ever-growing stream positions: position p lives at index
// p % capacity, so the indexes wrap from capacity - 1 to 0 while positions only increase and
// never need wrap arithmetic. Not synchronised: the owner holds the lock that guards it.

#include <cstdint>
#include <vector>

namespace corvane {

class ByteRing {
  public:
    explicit ByteRing(int capacity) : buffer_(static_cast<std::size_t>(capacity)) {}

    int capacity() const { return static_cast<int>(buffer_.size()); }
    int used() const { return static_cast<int>(tail_ - head_); }
    int freeSpace() const { return capacity() - used(); }
    bool empty() const { return head_ == tail_; }
    std::uint64_t head() const { return head_; }
    std::uint64_t tail() const { return tail_; }

    char at(std::uint64_t position) const { return buffer_[position % buffer_.size()]; }

    // Appends up to freeSpace() bytes; returns how many were taken.
    int write(const char* data, int size);
    // Removes up to `size` bytes from the head into `data`; returns how many.
    int read(char* data, int size);
    // Copies up to `size` bytes from the head without removing them.
    int peek(char* data, int size) const;
    // The contiguous free span at the tail (for reading from a device straight into the ring).
    char* tailSpan(int& length);
    void commitTail(int length) { tail_ += static_cast<std::uint64_t>(length); }
    // Moves the head forward to `position` (never backwards, never past the tail).
    void advanceHeadTo(std::uint64_t position);
    void clear() { head_ = tail_; }
    // Changes the capacity keeping the waiting bytes; false when they would not fit.
    bool resize(int capacity);

  private:
    std::vector<char> buffer_;
    std::uint64_t head_ = 0;
    std::uint64_t tail_ = 0;
};

}  // namespace corvane
