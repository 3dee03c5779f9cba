#pragma once

#include <optional>
#include <string>

// A song of the local catalogue. Columns that were NULL stay unset, except the second singer
// and the source, which read as empty text.
struct SongObject {
    std::optional<std::string> songCode;
    std::optional<std::string> songName;
    std::optional<std::string> singerId1;
    std::optional<std::string> singerId2;
    std::optional<std::string> singerName1;
    std::optional<std::string> singerName2;
    std::optional<std::string> songSource;
    bool isSelected = false;
    std::optional<std::string> language;

    // Stores the label of a language code 1 to 16; any other code leaves the label as it was.
    void setLanguage(const std::string& code);
};
