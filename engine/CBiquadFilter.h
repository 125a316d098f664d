#pragma once

#include <cstdint>

// Second-order recursive filter with its own low-/high-pass design and its
// own alternating anti-denormal offset. A plain record: the engine owns six.
//
// Order of operations in design and step is part of the output: any change
// alters results in the last bits.
struct CBiquadFilter
{
    enum Type : int32_t
    {
        none = 0,
        highPass = 1,
        lowPass = 2
    };

    double sampleRate = 44100.0;
    int32_t type = none;
    double frequency = 1000.0; // limited to 0.499 x sampleRate by design()
    double q = 0.5;            // before the near-Nyquist correction
    double gain = 0.0;         // unused by both responses
    double offset = 1e-14;     // sign flips on every step
    double a1 = 1.0, a2 = 1.0, b0 = 1.0, b1 = 1.0, b2 = 1.0;
    double x = 0.0, x1 = 0.0, x2 = 0.0;
    double y = 0.0, y1 = 0.0, y2 = 0.0; // y1, y2 carry the offset

    CBiquadFilter() = default;
    CBiquadFilter(int32_t filterType, double frequencyHz, double quality)
        : type(filterType), frequency(frequencyHz), q(quality)
    {
    }

    // Coefficients from sampleRate, type, frequency and q; state and (for a
    // high-pass) offset untouched. A low-pass restarts its offset at +1e-12.
    void design();

    // Low-pass at `frequencyHz` without the near-Nyquist correction of q,
    // cheap enough to run every sample; state and offset untouched.
    void designLowPassUncorrected(double frequencyHz);

    // One sample; a filter without a type passes its input through.
    double step(double input)
    {
        if (type == none)
        {
            return input;
        }
        offset = -offset;
        const double xi = input + offset;
        y = ((b1 * x1 + xi * b0) + b2 * x2) - a1 * y1 - a2 * y2;
        y2 = y1;
        x2 = x1;
        x1 = xi;
        x = xi;
        y1 = y + offset;
        return y;
    }

    // Four steps with the input held, the offset flipped once for all four.
    double stepHeld4(double input)
    {
        if (type == none)
        {
            return input;
        }
        offset = -offset;
        const double xi = input + offset;
        for (int i = 0; i < 4; ++i)
        {
            y = b1 * x1 + xi * b0 + b2 * x2 - a1 * y1 - a2 * y2;
            y2 = y1;
            x2 = x1;
            x1 = xi;
            y1 = y + offset;
        }
        x = xi;
        return y;
    }

    // Clears the signal state; coefficients, frequency and offset stay.
    void reset() { x = x1 = x2 = y = y1 = y2 = 0.0; }

    bool hasFiniteState() const;

    // Caps the frequency at 0.499 x rate, as the design would.
    void limitFrequency(double rate)
    {
        if (frequency > rate * 0.499)
        {
            frequency = rate * 0.499;
        }
    }
};
