#include "engine/CBiquadFilter.h"

#include <cmath>

void CBiquadFilter::design()
{
    a1 = a2 = b0 = b1 = b2 = 1.0;
    if (type == none)
    {
        return;
    }
    limitFrequency(sampleRate);
    // Q shrinks toward zero as the frequency nears Nyquist, which keeps the
    // bilinear design from ringing up there.
    const double e = type == highPass ? std::pow(frequency / (sampleRate * 0.5001), 6)
                                      : std::pow(frequency / (sampleRate * 0.50001), 8);
    const double qe = (1 - e) * q;
    if (type == lowPass)
    {
        offset = 1e-12;
    }
    const double w = frequency * kTwoPi / sampleRate;
    const double cosW = std::cos(w);
    const double alpha = std::sin(w) / (qe * 2);
    const double a0 = alpha + 1;
    a1 = (cosW * -2) / a0;
    a2 = (1 - alpha) / a0;
    if (type == lowPass)
    {
        b0 = (1 - cosW) * 0.5 / a0;
        b1 = (1 - cosW) / a0;
        b2 = (1 - cosW) * 0.5 / a0;
    }
    else
    {
        b0 = (1 + cosW) * 0.5 / a0;
        b1 = -(1 + cosW) / a0;
        b2 = (1 + cosW) * 0.5 / a0;
    }
}

bool CBiquadFilter::hasFiniteState() const
{
    return std::isfinite(x) && std::isfinite(x1) && std::isfinite(x2) && std::isfinite(y) &&
           std::isfinite(y1) && std::isfinite(y2);
}
