// Student's t distribution at high precision, and the confidence interval of
// a mean formed with it, correctly rounded.
//
// The t quantile is transcendental, so no exact value can be held. It is
// computed by Boost.Math over a binary floating type of 60 decimal digits,
// the interval's ends are formed at that precision, and each end is kept
// only when the whole band its error allows rounds alike at every number of
// digits the program writes (1 to 17, and the nearest double); otherwise it
// is computed again at 100 digits (Ziv's method). What is kept is an exact
// rational inside that band, so the renderers treat it as any exact result:
// it rounds once, to the same digits as the true value. Nothing here throws;
// what the library throws becomes an undefined result.
#ifndef DESCSTAT_STUDENTT_H
#define DESCSTAT_STUDENTT_H

#include <cstdint>

#include "app/ExactNumber.h"
#include "app/Options.h"

namespace descstat {

// The confidence interval of a mean: x̄ ± t·se, with t the quantile of
// Student's t with n − 1 degrees of freedom at (1 + level/100)/2 and se the
// standard error √(s²/n); `half` is t·se. Undefined (NaN) for n < 2.
struct MeanInterval {
    ExactNumber low;
    ExactNumber high;
    ExactNumber half;
};

// center ± t·se, t the quantile of Student's t with df degrees of freedom
// (any positive rational: Welch's are fractional) at (1 + level/100)/2, se
// an exact number or the square root of one. Undefined when an input is.
MeanInterval IntervalAround(const ExactNumber& center, const ExactNumber& se, const ExactNumber& df,
                            const ConfidenceLevel& level);

// The interval from the exact mean and unbiased variance of n values.
MeanInterval ConfidenceInterval(const ExactNumber& mean, const ExactNumber& unbiasedVariance,
                                std::int64_t n, const ConfidenceLevel& level);

// The two-sided p-value of t under Student's t with df degrees of freedom,
// 2·P(T > |t|), correctly rounded as the interval is: from the upper tail,
// so that a p far below the smallest double keeps its digits.
ExactNumber TwoSidedP(const ExactNumber& t, const ExactNumber& df);

// True when a and b round alike at every digit count from 1 to 17 and to the
// same nearest double: any number between them is then written as they are.
bool RoundsAlike(const ExactNumber& a, const ExactNumber& b);

}  // namespace descstat

#endif  // DESCSTAT_STUDENTT_H
