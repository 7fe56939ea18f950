#include "measure/file_messages.h"

#include "storage/latin1.h"

namespace sonora {

namespace {

constexpr std::size_t kBytesPerMiB = 1024u * 1024u;

} // namespace

std::string fileReadMessage(const std::string& path, ReadStatus status, std::size_t maxBytes) {
    switch (status) {
    case ReadStatus::Ok:
        break;
    case ReadStatus::Missing:
        return utf8ToLatin1("Die Datei " + path + " wurde nicht gefunden.");
    case ReadStatus::TooLarge:
        return utf8ToLatin1("Die Datei " + path + " ist größer als " +
                            std::to_string(maxBytes / kBytesPerMiB) +
                            " MiB und wird nicht gelesen.");
    case ReadStatus::Failed:
        break;
    }
    return utf8ToLatin1("Die Datei " + path + " kann nicht gelesen werden.");
}

std::string damagedFileMessage(const std::string& path) {
    return utf8ToLatin1("Die Datei " + path +
                        " ist unvollständig oder beschädigt und kann nicht gelesen werden.");
}

} // namespace sonora
