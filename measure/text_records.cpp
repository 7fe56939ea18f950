#include "measure/text_records.h"

#include <cmath>

#include "storage/numbers.h"

namespace sonora {

namespace {

// Lines of this many characters or fewer carry no record.
constexpr std::size_t kShortestUsedLine = 4;
// Thinning: first tolerance of the frequency ratio and its growth per pass.
constexpr double kThinStartTolerance = 0.0025;
constexpr double kThinToleranceStep = 0.00025;
constexpr double kHalfTurnDegrees = 180.0;
constexpr double kFullTurnDegrees = 360.0;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool startsNextField(char c) {
    return c == '\t' || c == ';' || c == '+' || c == '-' || isDigit(c);
}

// Mean of two finite values without overflow for values near the double range.
double mean(double a, double b) {
    return 0.5 * a + 0.5 * b;
}

MeasuredRecord mergeRecords(const MeasuredRecord& a, const MeasuredRecord& b) {
    return {mean(a.f, b.f), mean(a.x, b.x), meanPhaseDegrees(a.y, b.y)};
}

// One walk from the top pair down. A merge at k joins records k and k + 1 and continues at
// k - 2, otherwise the walk continues at k - 1, so every comparison sees two records as they were
// before the walk. That lets the walk build its result in one pass instead of moving the later
// records down after each merge. Returns false when nothing was merged.
bool thinOnce(std::vector<MeasuredRecord>& records, double tolerance) {
    const int count = static_cast<int>(records.size());
    std::vector<MeasuredRecord> reversed;
    reversed.reserve(records.size());
    int top = count - 1; // highest record not yet passed on; always k + 1 inside the loop
    bool merged = false;
    for (int k = count - 2; k >= 1;) {
        if (records[k].f / records[k + 1].f > 1.0 - tolerance) {
            reversed.push_back(mergeRecords(records[k], records[k + 1]));
            top = k - 1;
            k -= 2;
            merged = true;
        } else {
            reversed.push_back(records[k + 1]);
            top = k;
            k -= 1;
        }
    }
    if (!merged) {
        return false;
    }
    for (int i = top; i >= 0; --i) {
        reversed.push_back(records[i]);
    }
    records.assign(reversed.rbegin(), reversed.rend());
    return true;
}

} // namespace

double takeNumber(std::string_view& rest) {
    const ParseResult number = parseFloat(rest);
    rest.remove_prefix(number.end);
    while (!rest.empty() && !startsNextField(rest.front())) {
        rest.remove_prefix(1);
    }
    if (!rest.empty() && (rest.front() == ';' || rest.front() == '\t')) {
        rest.remove_prefix(1);
    }
    return number.value;
}

std::string_view nextTextLine(std::string_view text, std::size_t& pos) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
        end = text.size();
    }
    const std::string_view line = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size() && text[pos] == '\r') {
        ++pos;
    }
    if (pos < text.size() && text[pos] == '\n') {
        ++pos;
    }
    return line;
}

bool isRecordLine(std::string_view line) {
    if (line.size() < kShortestUsedLine) {
        return false;
    }
    const char c = line.front();
    return c == ' ' || c == '+' || c == '-' || c == '.' || c == ',' || isDigit(c);
}

std::vector<MeasuredRecord> readMeasuredRecords(std::string_view text) {
    std::vector<MeasuredRecord> records;
    std::size_t pos = 0;
    while (pos < text.size() && records.size() < static_cast<std::size_t>(kMaxTextRecords)) {
        std::string_view line = nextTextLine(text, pos);
        if (!isRecordLine(line)) {
            continue;
        }
        const double f = takeNumber(line);
        const double x = takeNumber(line);
        const double y = takeNumber(line);
        if (f > 0.0 && std::isfinite(f) && std::isfinite(x) && std::isfinite(y)) {
            records.push_back({f, x, y});
        }
    }
    return records;
}

double meanPhaseDegrees(double a, double b) {
    double m = mean(a, b);
    const bool oppositeSigns = (a < 0.0 && b > 0.0) || (a > 0.0 && b < 0.0);
    if (oppositeSigns && std::fabs(a - b) > kHalfTurnDegrees) {
        m += kHalfTurnDegrees;
        if (m > kHalfTurnDegrees) {
            m -= kFullTurnDegrees;
        }
    }
    return m;
}

void thinMeasuredRecords(std::vector<MeasuredRecord>& records) {
    double tolerance = kThinStartTolerance;
    while (records.size() > static_cast<std::size_t>(kMaxThinnedRecords)) {
        thinOnce(records, tolerance);
        tolerance += kThinToleranceStep;
    }
}

} // namespace sonora
