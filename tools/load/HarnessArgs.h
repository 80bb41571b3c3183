#pragma once

#include <map>
#include <stdexcept>
#include <string>

namespace varlo::load {

// The options of a harness program: "--name value" pairs, each name one of
// those the program knows. A name it does not know, or one without a
// value, is a usage error (std::invalid_argument).
class HarnessArgs {
  public:
    HarnessArgs(int argc, char** argv, std::map<std::string, std::string> defaults)
        : values_(std::move(defaults)) {
        for (int i = 1; i < argc; i += 2) {
            const std::string name = argv[i];
            if (name.rfind("--", 0) != 0 || values_.count(name.substr(2)) == 0 || i + 1 >= argc) {
                throw std::invalid_argument("unknown option or missing value: " + name);
            }
            values_[name.substr(2)] = argv[i + 1];
        }
    }

    const std::string& Text(const std::string& name) const { return values_.at(name); }
    double Number(const std::string& name) const {
        std::size_t used = 0;
        const std::string& text = Text(name);
        const double value = std::stod(text, &used);
        if (used != text.size() || value < 0) {
            throw std::invalid_argument("--" + name + " takes a number, not " + text);
        }
        return value;
    }

  private:
    std::map<std::string, std::string> values_;
};

}  // namespace varlo::load
