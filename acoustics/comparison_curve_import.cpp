#include "acoustics/comparison_curve_import.h"

#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "measure/file_messages.h"
#include "measure/text_records.h"
#include "storage/file_io.h"
#include "storage/latin1.h"

namespace sonora {

bool readComparisonCurve(std::string_view text, ComparisonCurve& curve) {
    clearComparisonCurve(curve);
    std::size_t pos = 0;
    // Once the curve is full the remaining lines cannot add anything: the first pairs are kept.
    for (int lines = 0;
         lines < kMaxComparisonFileLines && pos < text.size() && curve.count < kComparisonPoints;
         ++lines) {
        std::string_view line = nextTextLine(text, pos);
        if (!isRecordLine(line)) {
            continue;
        }
        // Same field rules as the measurement import: number, skipped unit text, one separator.
        const double f = takeNumber(line);
        const double level = takeNumber(line);
        if (f > 0.0 && std::isfinite(f) && std::isfinite(level)) {
            curve.points[curve.count++] = {f, level};
        }
    }
    curve.valid = curve.count > 0;
    return curve.valid;
}

CurveImportResult importComparisonCurve(const std::string& fileName, ComparisonCurve& curve) {
    clearComparisonCurve(curve);
    CurveImportResult result;
    std::vector<std::uint8_t> bytes;
    const ReadStatus status = readFileBytes(fileName, bytes, kMaxFileBytes);
    if (status == ReadStatus::Missing) {
        result.message = utf8ToLatin1("Datei " + fileName + " existiert nicht.");
        return result;
    }
    if (status != ReadStatus::Ok) {
        result.message = fileReadMessage(fileName, status, kMaxFileBytes);
        return result;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!readComparisonCurve(text, curve)) {
        result.message = utf8ToLatin1("Die Datei enthält keine passenden Daten.");
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace sonora
