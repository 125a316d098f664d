#pragma once

#include <cstdio>
#include <string>

namespace host
{

// A one-line bar on the terminal; silent when the stream is not a terminal,
// so logs and pipes stay clean.
class ProgressBar
{
  public:
    ProgressBar(std::FILE* out, std::string title);
    ~ProgressBar();

    void update(double fraction);
    void finish();

  private:
    std::FILE* stream;
    std::string label;
    bool active;
    int shown = -1;
};

} // namespace host
