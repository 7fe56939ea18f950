// Carrying measured curves, given at their own frequencies, onto arbitrary frequencies.
//
// A measured curve is a pair of arrays of kCurvePoints (601) doubles: frequencies in Hz, ascending
// (equal neighbours allowed), and the values at them. The data end before the first frequency that
// is not greater than 0. If no such entry exists, index 600 is taken as the last data point: the
// functions never read beyond index 600.
#pragma once

namespace sonora {

// Value of the curve at x (Hz). Below the first frequency: the first value; beyond the data: the
// last value; in between: linear in frequency. With width > 0 (relative, 0.1 = +-10 % of x) and x
// at or above the first frequency, the result is instead the weighted mean of every data point
// within that relative distance of x, the weight falling smoothly to 0 at the edge of the window.
double InterpolateSmoothed(const double* f, const double* y, double x, double width);

// Phase (rad) of the curve at x, interpolated linearly the short way round when two neighbouring
// values lie on both sides of the +-pi wrap. Ends as InterpolateSmoothed without smoothing.
double InterpolatePhase(const double* f, const double* phi, double x);

// Linear interpolation that continues the first and the last segment of the data as straight lines
// beyond both ends. A curve of a single point, or ends made of equal frequencies, give the end
// value.
double InterpolateExtrapolate(const double* f, const double* y, double x);

} // namespace sonora
