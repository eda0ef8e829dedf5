// A plain text table with aligned columns, for a report read in a terminal or a README.
#pragma once

#include <string>
#include <vector>

namespace bench {

class TextTable {
public:
    explicit TextTable(std::vector<std::string> header);
    void addRow(std::vector<std::string> cells);
    // Left-aligned first `leftColumns` columns, the others (numbers) right-aligned.
    std::string render(size_t leftColumns = 1) const;

private:
    std::vector<std::vector<std::string>> rows_;
};

// "12.34" with `decimals` places.
std::string fixed(double value, int decimals);

}  // namespace bench
