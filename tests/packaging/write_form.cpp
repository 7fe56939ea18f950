// Writes a project or driver file again in the chosen form, through the storage code:
//   sonora_write_form IN OUT plain|compressed|scrambled
// The install test uses it for the scrambled form, which no program of ours writes any more.
#include <cstdio>
#include <cstring>

#include "storage/file_form.h"
#include "storage/my_ini_file.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s IN OUT plain|compressed|scrambled\n", argv[0]);
        return 2;
    }
    const char* form = argv[3];
    const bool plain = std::strcmp(form, "plain") == 0;
    const bool compressed = std::strcmp(form, "compressed") == 0;
    if (!plain && !compressed && std::strcmp(form, "scrambled") != 0) {
        std::fprintf(stderr, "unknown form %s\n", form);
        return 2;
    }
    const sonora::FileForm inForm = sonora::detectFileFormOf(argv[1]);
    if (inForm == sonora::FileForm::Unknown) {
        std::fprintf(stderr, "%s: unknown form\n", argv[1]);
        return 1;
    }
    sonora::TMyIniFile source(argv[1], true, false, inForm != sonora::FileForm::Plain,
                              inForm == sonora::FileForm::Compressed);
    if (source.readRefused() || source.allSections().empty()) {
        std::fprintf(stderr, "%s: not readable\n", argv[1]);
        return 1;
    }
    sonora::TMyIniFile target(argv[2], false, true, !plain, compressed);
    target.replaceAllSections(source.allSections());
    return target.save() ? 0 : 1;
}
