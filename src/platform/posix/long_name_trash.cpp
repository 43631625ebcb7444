#include "long_name_trash.h"
#include "file_descriptor.h"
#include "posix_support.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace lp::platform::posix {

namespace {

std::error_code failure(std::errc reason) {
    return std::make_error_code(reason);
}

// The name GIO gives the id-th entry of one name in the trash: "a.tar.gz", "a.2.tar.gz", ...
std::string gioNumberedName(const std::string& name, int id) {
    if (id == 1)
        return name;
    const auto dot = name.find('.');
    if (dot == std::string::npos)
        return name + "." + std::to_string(id);
    return name.substr(0, dot) + "." + std::to_string(id) + name.substr(dot);
}

// Whether every byte of text is part of a well-formed UTF-8 character.
bool validUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

// Makes the trash's folder and the folders above it that are missing, as the user's alone.
std::error_code makeFolders(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) == 0)
        return S_ISDIR(status.st_mode) ? std::error_code{} : failure(std::errc::not_a_directory);
    if (folder != "/" && folder != ".")
        if (const std::error_code refused = makeFolders(folderOf(folder)))
            return refused;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return lastError();
    return {};
}

} // namespace

bool GioCanRecord(const TrashPlace& place, const std::string& name) {
    const std::string info = place.folder + "/info/";
    // GIO takes the first numbered name whose record does not exist yet.
    for (int id = 1; id < 10000; ++id) {
        const std::string recorded = gioNumberedName(name, id);
        if (recorded.size() + kTrashRecordSuffix + kGioWritingSuffix > place.longestName)
            return false;
        struct stat status {};
        if (::lstat((info + recorded + ".trashinfo").c_str(), &status) != 0)
            return true;
    }
    return false;
}

std::string ShortTrashName(const std::string& name, std::size_t longest,
                           const std::string& unique) {
    const std::size_t room = longest - kTrashRecordSuffix - 1 - unique.size();
    const auto dot = name.rfind('.');
    // An extension keeps the file opening as what it is; a long one is only the name's end.
    const std::string extension =
        dot != std::string::npos && dot > 0 && name.size() - dot <= std::min<std::size_t>(16, room)
            ? name.substr(dot)
            : "";
    std::size_t cut = std::min(room - extension.size(), name.size() - extension.size());
    // A UTF-8 name stays UTF-8: the cut falls where a character starts.
    if (validUtf8(name))
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
    return name.substr(0, cut) + "-" + unique + extension;
}

std::error_code TrashUnderShortName(const std::string& path, const std::string& name,
                                    const struct stat& entry, const TrashPlace& place) {
    const std::string info = place.folder + "/info";
    const std::string files = place.folder + "/files";
    for (const std::string& folder : {info, files})
        if (const std::error_code refused = makeFolders(folder))
            return refused;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string shortName = ShortTrashName(name, place.longestName, randomSuffix());
        std::string record = info;
        record.append("/").append(shortName).append(".trashinfo");
        // Making the record first reserves the name: no other trashing takes it meanwhile.
        const FileDescriptor fd(
            ::open(record.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd.get() < 0) {
            if (errno == EEXIST)
                continue;
            return lastError();
        }
        if (const std::error_code written = WriteTrashRecord(fd.get(), path, place)) {
            const std::error_code reason = written.value() == ENOSPC || written.value() == EDQUOT
                                               ? written
                                               : failure(std::errc::io_error);
            ::unlink(record.c_str());
            return reason;
        }
        std::string inTrash = files;
        inTrash.append("/").append(shortName);
        if (const std::error_code reason = renameNoReplace(path, inTrash)) {
            ::unlink(record.c_str());
            if (reason == std::errc::file_exists)
                continue; // a file without a record took that name
            return reason;
        }
        // Another file put at path since it was examined goes back, and this trashing fails.
        struct stat moved {};
        if (::lstat(inTrash.c_str(), &moved) == 0 && !sameFile(moved, entry) &&
            !renameNoReplace(inTrash, path)) {
            ::unlink(record.c_str());
            return failure(std::errc::no_such_file_or_directory);
        }
        return {};
    }
    return failure(std::errc::file_exists);
}

} // namespace lp::platform::posix
