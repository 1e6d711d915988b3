// The median of a run's figures: what the benchmarks report, so one slow round on a busy
// machine does not move their goal lines.
#pragma once

#include <algorithm>
#include <vector>

namespace talbex::bench {

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace talbex::bench
