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

    bool ok() const { return text.empty(); }
    const std::string& message() const { return text; }

  private:
    explicit Status(std::string message) : text(std::move(message))
    {
        if (text.empty()) text = "failed";
    }
    std::string text;
};

} // namespace host
