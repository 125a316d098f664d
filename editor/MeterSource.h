// Where the editor's needle reads the gain reduction: the effect implements
// it, so the editor needs no knowledge of the effect's class.
#pragma once

class MeterSource
{
  public:
    virtual ~MeterSource() = default;
    // Smoothed linear gain, 1.0 meaning no reduction. Any thread.
    virtual double getMeterGain() const = 0;
};
