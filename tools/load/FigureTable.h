#pragma once

#include <string>
#include <vector>

namespace varlo::load {

// The figures a harness run measured, each beside its target, printed as
// one table; and the checks of what it saw (rows lost, a box shown), which
// decide whether the run stands.
class FigureTable {
  public:
    // A figure that must stay at or below `limit`.
    void Limit(std::string what, double value, const char* format, double limit);
    // A figure that must be exactly `expected`.
    void Exactly(std::string what, double value, const char* format, double expected);
    // A figure shown for what it tells, without a target.
    void Info(std::string what, double value, const char* format);
    // A check: when `good` is false the run fails and `what` says why.
    void Check(bool good, const std::string& what);

    // The table, then the failed checks; true when every figure met its
    // target and every check held.
    bool Print() const;
    bool AllMet() const;
    bool ChecksHeld() const { return failed_.empty(); }

  private:
    struct Figure {
        std::string what;
        double value;
        const char* format;
        std::string target;
        enum Verdict { Met, Missed, Info } verdict;
    };
    std::vector<Figure> figures_;
    std::vector<std::string> failed_;
};

}  // namespace varlo::load
