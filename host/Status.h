#pragma once

#include <string>
#include <utility>

namespace host
{

// Outcome of a host operation that can fail: empty message means success,
// otherwise the message is what the user reads.
class Status
{
  public:
    Status() = default;
    static Status failure(std::string message) { return Status(std::move(message)); }

    bool ok() const { return message_.empty(); }
    const std::string& message() const { return message_; }

  private:
    explicit Status(std::string message) : message_(std::move(message))
    {
        if (message_.empty()) message_ = "failed";
    }
    std::string message_;
};

} // namespace host
