#include "app/shell/dropped_files.h"

#include <algorithm>
#include <cstddef>

#include "storage/file_io.h"
#include "storage/latin1.h"
#include "storage/project_file.h"

namespace sonora {
namespace {

bool endsWithProjectExtension(const std::string& name) {
    return endsWithIgnoringAsciiCase(name, kProjectExtension);
}

} // namespace

DropDecision classifyDroppedFiles(const std::vector<std::string>& names) {
    DropDecision d;
    const std::size_t n = std::min<std::size_t>(names.size(), kMaxDroppedFiles);
    d.files.assign(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(n));
    const bool allProjects = std::all_of(d.files.begin(), d.files.end(), [](const std::string& f) {
        return endsWithProjectExtension(f) && fileExists(f);
    });
    if (d.files.empty() || !allProjects) {
        d.files.clear();
        return d;
    }
    d.kind = d.files.size() == 1 ? DropKind::OneFile : DropKind::Several;
    return d;
}

} // namespace sonora
