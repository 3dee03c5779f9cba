#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The pictures the program wrote into a folder of the user's, kept there in a file of its own, so
// that a later run removes those and nothing else: a name alone does not tell who wrote a file. A
// picture still counts as the one written while it is the same regular file, neither replaced
// nor changed in size; a link, a folder or the user's own file under its name stays.
class PictureRecord {
public:
    static constexpr std::string_view FileName = ".floorpad-screens.json";

    // ownName: the form of the names the program writes; the record lies where others may write,
    // so a name of any other form in it is never removed.
    PictureRecord(std::filesystem::path folder, std::function<bool(std::string_view)> ownName);

    // Removes the pictures the last record names and starts an empty one. A record that is no
    // record (damaged, or a file of someone else's) is moved aside and nothing is removed.
    // How many went.
    std::size_t removeRecordedPictures();
    // Records a picture just written under that name in the folder. Whether the record was kept.
    bool add(const std::string& name);

private:
    struct Entry {
        std::string name;
        std::uint64_t inode;
        std::int64_t size;
    };
    bool save() const;

    std::filesystem::path m_folder;
    std::function<bool(std::string_view)> m_ownName;
    std::vector<Entry> m_entries;
};
