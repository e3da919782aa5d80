// The golden table of conversions (tests/golden/conversions.tsv), read into rows, and the
// sample of it that the tests of real windows play.
#pragma once

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tarvel::testing {

/// One row: a new form, the category picked by its position, unit A and unit B by name, the
/// box (A or B) emptied by Backspace and `text` pasted into it; then what UA, UB and the
/// message line show.
struct GoldenRow {
    int line = 0;
    std::string locale;  ///< "comma" (es_ES) or "stop" (en_US)
    int category = 0;
    std::string unitA, unitB;
    bool onA = true;
    std::string text, UA, UB, message;
};

/// Every row of the file; a malformed line is a row with category -1.
inline std::vector<GoldenRow> readGolden(const std::string& path) {
    std::ifstream in(path);
    std::vector<GoldenRow> rows;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
        if (line.back() == '\t') f.emplace_back();
        if (f.size() != 9) {
            rows.push_back({number, {}, -1, {}, {}, true, {}, {}, {}, {}});
            continue;
        }
        rows.push_back({number, f[0], std::stoi(f[1]), f[2], f[3], f[4] == "A", f[5], f[6], f[7],
                        f[8]});
    }
    return rows;
}

/// The rows of one locale that real windows play: the first of each message in each box,
/// then `count` rows spread evenly over the table, so every message, both boxes and most
/// categories come up, the same rows every run.
inline std::vector<GoldenRow> goldenSample(const std::vector<GoldenRow>& rows,
                                           const std::string& locale, std::size_t count) {
    std::vector<GoldenRow> of;
    std::vector<GoldenRow> out;
    std::vector<std::string> kinds;
    for (const GoldenRow& r : rows) {
        if (r.locale != locale) continue;
        of.push_back(r);
        const std::string kind = r.message + (r.onA ? "A" : "B");
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) {
            kinds.push_back(kind);
            out.push_back(r);
        }
    }
    for (std::size_t i = 0; i < count && !of.empty(); ++i) {
        out.push_back(of[i * of.size() / count]);
    }
    return out;
}

}  // namespace tarvel::testing
