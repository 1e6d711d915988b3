// One output that several threads print to (the window thread's changes and message
// boxes, the script driver, the end of the time): every write reaches the target under
// one lock.
#pragma once

#include <mutex>
#include <ostream>
#include <streambuf>

namespace talbex::app {

class LockedBuffer final : public std::streambuf {
  public:
    explicit LockedBuffer(std::ostream& target) : target_(target) {}

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        std::lock_guard lock(mutex_);
        target_.put(traits_type::to_char_type(c));
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        std::lock_guard lock(mutex_);
        target_.write(s, n);
        return n;
    }
    int sync() override {
        std::lock_guard lock(mutex_);
        target_.flush();
        return 0;
    }

  private:
    std::mutex mutex_;
    std::ostream& target_;
};

/// Each thread prints through a std::ostream of its own over the one shared buffer
/// (a stream's formatting state is not for sharing between threads).

}  // namespace talbex::app
