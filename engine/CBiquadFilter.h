#pragma once

#include <cstdint>

// Second-order recursive filter with its own low-/high-pass design and its
// own alternating anti-denormal offset. A plain record: the engine owns six.
//
// The designs are the bilinear-transform low- and high-pass biquads of
// R. Bristow-Johnson, "Cookbook formulae for audio EQ biquad filter
// coefficients" (music-dsp, 1998; republished as the W3C Working Group Note
// "Audio EQ Cookbook", 2021), alpha = sin(w0) / 2Q, with our own narrowing
// of Q near Nyquist.
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

    // 2 pi as every design writes it: w = frequency x kTwoPi / sampleRate.
    static constexpr double kTwoPi = 6.283185307179586;

    double sampleRate = 44100.0;
    int32_t type = none;
    double frequency = 1000.0; // limited to 0.499 x sampleRate by design()
    double q = 0.5;            // before the near-Nyquist correction
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

    // Normalised low-pass coefficients; b2 equals b0.
    struct LowPass
    {
        double a1, a2, b0, b1;
    };

    // The low-pass design without the near-Nyquist correction of Q, cheap
    // enough to run every sample: from cos(w) and sin(w) of w = 2 pi f / rate
    // and q2 = Q x 2. Pure, so that a block's designs can be computed ahead of
    // the filter steps that use them.
    static LowPass designLowPassUncorrected(double cosW, double sinW, double q2)
    {
        const double alpha = sinW / q2;
        const double a0 = alpha + 1;
        const double oneMinusCos = 1 - cosW;
        return {(cosW * -2) / a0, (1 - alpha) / a0, (oneMinusCos * 0.5) / a0, oneMinusCos / a0};
    }

    // Takes a design from designLowPassUncorrected; state and offset untouched.
    void setLowPass(const LowPass& design)
    {
        a1 = design.a1;
        a2 = design.a2;
        b0 = design.b0;
        b1 = design.b1;
        b2 = design.b0;
    }

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
