#include "bench/text_table.h"

#include <algorithm>
#include <cstdio>

namespace bench {

namespace {

// Display width: counts UTF-8 code points, not bytes.
size_t width(const std::string &s) {
    return static_cast<size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

}  // namespace

TextTable::TextTable(std::vector<std::string> header) {
    rows_.push_back(std::move(header));
}

void TextTable::addRow(std::vector<std::string> cells) {
    rows_.push_back(std::move(cells));
}

std::string TextTable::render(size_t leftColumns) const {
    std::vector<size_t> widths;
    for (const auto &row : rows_) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], width(row[c]));
        }
    }
    std::string out;
    auto line = [&](const std::vector<std::string> &row) {
        std::string text;
        for (size_t c = 0; c < widths.size(); ++c) {
            const std::string cell = c < row.size() ? row[c] : std::string();
            const std::string pad(widths[c] - width(cell), ' ');
            text += c == 0 ? "" : "  ";
            text += c < leftColumns ? cell + pad : pad + cell;
        }
        text.erase(text.find_last_not_of(' ') + 1);
        out += text + '\n';
    };
    line(rows_.front());
    size_t total = 0;
    for (size_t w : widths) {
        total += w;
    }
    out += std::string(total + 2 * (widths.size() - 1), '-') + '\n';
    for (size_t r = 1; r < rows_.size(); ++r) {
        line(rows_[r]);
    }
    return out;
}

std::string fixed(double value, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

}  // namespace bench
