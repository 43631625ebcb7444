#include "placed_files.h"
#include "globals/log_sink.h"
#include "globals/quoted_value.h"
#include "platform/atomic_file.h"
#include "platform/user_folders.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>

namespace lp {

// One line a file: its folder and its path below it, quoted, then its size and its date as
// listed, which the file must still have to count as placed.

namespace {

// What lastNoted holds after a note could not be written: no text a note can hold.
constexpr std::string_view kNotWritten = "\n";

std::string lineOf(const std::string& folder, const filerec& file) {
    // Whatever the locale, and read back to the same bits.
    std::array<char, 32> date{};
    const auto written = std::to_chars(date.data(), date.data() + date.size(), file.date);
    return QuoteValue(folder) + ' ' + QuoteValue(file.name) + ' ' + std::to_string(file.size) +
           ' ' + std::string(date.data(), written.ptr) + '\n';
}

template <typename Number> bool readNumber(std::string_view& text, Number& number) {
    while (text.starts_with(' '))
        text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc{})
        return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

bool readField(std::string_view& text, std::string& value) {
    while (text.starts_with(' '))
        text.remove_prefix(1);
    auto read = ReadQuotedValue(text);
    if (!read)
        return false;
    value = std::move(*read);
    return true;
}

} // namespace

std::string PlacedFilesPath() {
    const std::string state = platform::UserStateFolder();
    return state.empty() ? std::string() : state + "/Larchpost/placed-files";
}

void ReadPlacedFiles(const std::string& path, ServiceTable& table) {
    if (path.empty())
        return;
    std::ifstream in(platform::Utf8Path(path), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        std::string_view text = line;
        std::string folder;
        filerec file;
        if (!readField(text, folder) || !readField(text, file.name) ||
            !readNumber(text, file.size) || !readNumber(text, file.date))
            continue; // a damaged line: that file may be taken up once more
        for (rServiceRules& service : table.services)
            if (service.sharedir == folder)
                service.renamedInPlace.push_back(file);
    }
    // Looked up by name.
    for (rServiceRules& service : table.services)
        std::ranges::sort(service.renamedInPlace, {}, &filerec::name);
}

void NotePlacedFiles(const std::string& path, const ServiceTable& table, std::string& lastNoted) {
    if (path.empty())
        return;
    std::string text;
    for (const rServiceRules& service : table.services)
        for (const filerec& file : service.renamedInPlace)
            text += lineOf(service.sharedir, file);
    if (text == lastNoted)
        return;
    std::error_code error;
    if (text.empty()) {
        std::filesystem::remove(platform::Utf8Path(path), error);
    } else {
        std::filesystem::create_directories(platform::Utf8Path(path).parent_path(), error);
        error = platform::WriteFileAtomically(path, text);
    }
    // One that could not be written is tried again after the next cycle, and said once, when it
    // first fails: a later start may then take those files up again.
    if (!error) {
        lastNoted = std::move(text);
    } else if (lastNoted != kNotWritten) {
        LogWarning("The note of the files the rules placed in their own folders cannot be written"
                   " to " +
                   path + " (" + error.message() +
                   "); after a restart, a rule that acts on every file may act on them again.");
        lastNoted = kNotWritten;
    }
}

} // namespace lp
